#pragma once
// A light reading of OSL source: tokens, bracket balance, the shader header, and names
// used but never declared. The generator checks what it writes with it, as no OSL
// compiler is at hand at build time.
#include <set>
#include <string>
#include <vector>

namespace oslgen::lint
{

struct Token
{
    enum Kind
    {
        Identifier,
        Number,
        String,
        Punct
    } kind;
    std::string text;
};

// Comments and preprocessor lines are dropped.
std::vector<Token> tokenize(const std::string& source);

// Empty when (), [] and {} nest properly; else a description of the first problem.
std::string bracketProblem(const std::vector<Token>& tokens);

struct Parameter
{
    bool isOutput = false;
    std::string type;
    std::string name;
    std::string arraySize;   // empty when not an array
    std::string defaultText; // tokens of the default joined by single spaces
    std::vector<Token> defaultTokens;
};

struct ShaderHeader
{
    std::string name;
    std::vector<std::vector<Token>> metadata; // one token list per metadata item
    std::vector<Parameter> parameters;
    std::vector<Token> body;
    bool includesFuncs = false;
};

// Parses "shader NAME [[ ... ]] ( params ) { body }"; on failure sets `error`.
bool parseShader(const std::string& source, ShaderHeader& header, std::string& error);

struct Library
{
    std::set<std::string> structs;
    std::set<std::string> functions;
};

// The struct and function names of an include file; checks each function body the
// same way as a shader body (problems appended to `problems`).
Library readLibrary(const std::string& source, std::vector<std::string>& problems);

// Problems of a shader or function body: names used but neither OSL built-ins,
// `declared` names, library functions or types, nor locals declared in the body; local
// declarations whose type is not a type or whose name is an OSL keyword; calls of a
// name that a variable hides; locals named like a standard library function; and
// assignments to the `readOnly` names.
std::vector<std::string> undeclaredNames(const std::vector<Token>& body,
                                         const std::set<std::string>& declared,
                                         const Library& library,
                                         const std::set<std::string>& readOnly = {});

// Keywords and reserved words of OSL, which may not name anything.
bool isReservedWord(const std::string& name);

// Functions of OSL's standard library. A local variable may not take such a name
// (a shader parameter may, with a warning).
bool isLibraryFunction(const std::string& name);

bool isBuiltinType(const std::string& name);

// Whether tokens[i] is the punctuation `text`.
bool isPunct(const std::vector<Token>& tokens, size_t i, const char* text);

// Index just past the bracket group that opens at tokens[open].
size_t skipGroup(const std::vector<Token>& tokens, size_t open);

} // namespace oslgen::lint
