#pragma once
// A type check of OSL statements: declarations, expressions, operator
// and function overloads, assignments. It knows the OSL built-ins the prepared shaders
// use and is stricter than OSL where OSL's rules are loose (no implicit colour/point
// mixing, no conditional expressions on structs), so a clean result means the code
// is well typed.
#include "OslLint.h"

#include <map>
#include <string>
#include <vector>

namespace oslgen::types
{

struct Field
{
    std::string type;
    std::string name;
};

struct FunctionSignature
{
    std::string returnType;
    std::string name;
    struct Param
    {
        std::string type;
        bool isArray = false;
        bool isOutput = false;
        std::string name;
    };
    std::vector<Param> params;
    std::vector<oslgen::lint::Token> body;
};

// Struct and function declarations of an include file, in order.
struct Declarations
{
    std::map<std::string, std::vector<Field>> structs;
    std::vector<FunctionSignature> functions;
};

// Reads the declarations of `source`; problems (unparsable parts) go to `problems`.
Declarations readDeclarations(const std::string& source, std::vector<std::string>& problems);

// Type problems of each function body in `decls` (a function sees the functions
// declared before it and itself).
std::vector<std::string> checkFunctions(const Declarations& decls);

struct Variable
{
    std::string type;
    int arrayLength = -1; // -1: not an array, 0: unsized
    bool readOnly = false;
};

// Type problems of a shader: each default against its parameter, then the body.
std::vector<std::string> checkShader(const oslgen::lint::ShaderHeader& shader, const Declarations& decls);

} // namespace oslgen::types
