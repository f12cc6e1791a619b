#include "ShaderCheck.h"

namespace oslgen
{

ShaderChecker::ShaderChecker(const std::string& funcsHeader)
{
    const std::string brackets = lint::bracketProblem(lint::tokenize(funcsHeader));
    if (!brackets.empty())
        headerProblems_.push_back(brackets);
    library_ = lint::readLibrary(funcsHeader, headerProblems_);
    declarations_ = types::readDeclarations(funcsHeader, headerProblems_);
    for (const std::string& p : types::checkFunctions(declarations_))
        headerProblems_.push_back(p);
}

std::vector<std::string> ShaderChecker::check(const std::string& shaderText) const
{
    std::vector<std::string> problems;
    const std::string brackets = lint::bracketProblem(lint::tokenize(shaderText));
    if (!brackets.empty())
        return { brackets };
    lint::ShaderHeader header;
    std::string error;
    if (!lint::parseShader(shaderText, header, error))
        return { error };
    if (header.metadata.size() != 1)
        problems.push_back("the shader has " + std::to_string(header.metadata.size()) +
                           " metadata items");

    std::set<std::string> parameters;
    std::set<std::string> inputs;
    bool usesShared = false;
    for (const lint::Parameter& p : header.parameters)
    {
        if (!parameters.insert(p.name).second)
            problems.push_back("parameter " + p.name + " is declared twice");
        if (lint::isReservedWord(p.name))
            problems.push_back("parameter " + p.name + " is a reserved word");
        // A parameter named like a struct hides the type from the declarations after it.
        if (library_.structs.count(p.name))
            problems.push_back("parameter " + p.name + " is named like a type of mx_funcs.h");
        const bool isStruct = library_.structs.count(p.type) > 0;
        if (!lint::isBuiltinType(p.type) && !isStruct)
            problems.push_back("parameter " + p.name + " has the undeclared type " + p.type);
        if (isStruct && !p.arraySize.empty())
            problems.push_back("parameter " + p.name + " is an array of structs");
        usesShared = usesShared || isStruct;
        if (!p.isOutput)
            inputs.insert(p.name);
    }
    for (const std::string& p : lint::undeclaredNames(header.body, parameters, library_, inputs))
        problems.push_back(p);
    for (const lint::Token& t : header.body)
        usesShared = usesShared || library_.functions.count(t.text) || library_.structs.count(t.text);
    if (header.includesFuncs != usesShared)
        problems.push_back(usesShared ? "mx_funcs.h is used but not included"
                                      : "mx_funcs.h is included but not used");
    for (const std::string& p : types::checkShader(header, declarations_))
        problems.push_back(p);
    return problems;
}

} // namespace oslgen
