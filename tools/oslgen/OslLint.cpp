#include "OslLint.h"

#include <cctype>

namespace oslgen::lint
{

namespace
{

const std::set<std::string>& builtinTypes()
{
    static const std::set<std::string> types = { "int", "float", "color", "vector", "point",
                                                 "normal", "matrix", "string", "void" };
    return types;
}

// Keywords, globals and library functions of OSL that the shaders may use.
const std::set<std::string>& builtinNames()
{
    static const std::set<std::string> names = {
        "if", "else", "for", "while", "do", "return", "break", "continue", "output", "struct",
        "shader", "P", "N", "Ng", "I", "u", "v", "dPdu", "dPdv", "time", "M_PI",
        "floor", "ceil", "round", "abs", "sign", "sin", "cos", "tan", "asin", "acos", "atan2",
        "sqrt", "log", "exp", "pow", "mod", "min", "max", "clamp", "mix", "smoothstep", "step",
        "dot", "cross", "length", "distance", "normalize", "transform", "transformc",
        "calculatenormal", "getattribute", "gettextureinfo", "texture", "noise", "cellnoise",
        "hashnoise", "trace", "radians", "Dx", "Dy", "reflect", "refract", "transpose",
        "determinant", "substr", "arraylength", "blackbody", "luminance"
    };
    return names;
}

bool isIdentStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string joinTokens(const std::vector<Token>& tokens)
{
    std::string out;
    for (const Token& t : tokens)
        out += (out.empty() ? "" : " ") + t.text;
    return out;
}

} // namespace

size_t skipGroup(const std::vector<Token>& tokens, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < tokens.size(); ++i)
    {
        const std::string& t = tokens[i].text;
        if (tokens[i].kind != Token::Punct)
            continue;
        if (t == "(" || t == "[" || t == "{")
            ++depth;
        else if (t == ")" || t == "]" || t == "}")
            if (--depth == 0)
                return i + 1;
    }
    return tokens.size();
}

namespace
{

// Splits tokens[begin, end) at commas outside brackets.
std::vector<std::vector<Token>> splitTopLevel(const std::vector<Token>& tokens, size_t begin,
                                              size_t end)
{
    std::vector<std::vector<Token>> parts(1);
    int depth = 0;
    for (size_t i = begin; i < end; ++i)
    {
        const Token& t = tokens[i];
        if (t.kind == Token::Punct)
        {
            if (t.text == "(" || t.text == "[" || t.text == "{")
                ++depth;
            else if (t.text == ")" || t.text == "]" || t.text == "}")
                --depth;
            else if (t.text == "," && depth == 0)
            {
                parts.emplace_back();
                continue;
            }
        }
        parts.back().push_back(t);
    }
    if (parts.size() == 1 && parts[0].empty())
        parts.clear();
    return parts;
}

} // namespace

bool isPunct(const std::vector<Token>& tokens, size_t i, const char* text)
{
    return i < tokens.size() && tokens[i].kind == Token::Punct && tokens[i].text == text;
}

bool isBuiltinType(const std::string& name)
{
    return builtinTypes().count(name) > 0;
}

bool isLibraryFunction(const std::string& name)
{
    static const std::set<std::string> names = {
        "abs", "acos", "area", "arraylength", "asin", "atan", "atan2", "background",
        "backfacing", "blackbody", "bump", "calculatenormal", "cbrt", "ceil", "cellnoise",
        "clamp", "concat", "conductor_bsdf", "cos", "cosh", "cross", "degrees", "determinant",
        "dielectric_bsdf", "diffuse", "displace", "distance", "dot", "Dx", "Dy", "Dz", "emission",
        "endswith", "environment", "erf", "erfc", "error", "exit", "exp", "exp2", "expm1", "fabs",
        "faceforward", "filterwidth", "floor", "fmod", "format", "fprintf", "fresnel",
        "generalized_schlick_bsdf", "getattribute", "getchar", "getmatrix", "getmessage",
        "gettextureinfo", "hash", "hashnoise", "holdout", "hypot", "inversesqrt", "isconnected",
        "isconstant", "isfinite", "isinf", "isnan", "layer", "length", "linearstep", "log",
        "log10", "log2", "logb", "luminance", "max", "microfacet", "min", "mix", "mod", "noise",
        "normalize", "oren_nayar", "phong", "pnoise", "pointcloud_get", "pointcloud_search",
        "pointcloud_write", "pow", "printf", "psnoise", "radians", "raytype", "reflect",
        "reflection", "refract", "refraction", "regex_match", "regex_search", "rotate", "round",
        "select", "setmessage", "sheen_bsdf", "sign", "sin", "sincos", "sinh",
        "smooth_linearstep", "smoothstep", "snoise", "spline", "splineinverse", "split", "sqrt",
        "startswith", "step", "stof", "stoi", "strlen", "subsurface_bssrdf", "substr",
        "surfacearea", "tan", "tanh", "texture", "texture3d", "trace", "transform", "transformc",
        "transformu", "translucent", "translucent_bsdf", "transparent", "transparent_bsdf",
        "transpose", "trunc", "uniform_edf", "ward", "warning", "wavelength_color"
    };
    return names.count(name) > 0;
}

bool isReservedWord(const std::string& name)
{
    static const std::set<std::string> words = {
        "and", "break", "closure", "color", "continue", "do", "else", "emit", "float", "for",
        "if", "illuminance", "illuminate", "int", "matrix", "normal", "not", "or", "output",
        "point", "public", "return", "string", "struct", "vector", "void", "while", "bool",
        "case", "catch", "char", "class", "const", "delete", "default", "double", "enum",
        "extern", "false", "friend", "goto", "inline", "long", "new", "operator", "private",
        "protected", "short", "signed", "sizeof", "static", "switch", "template", "this",
        "throw", "true", "try", "typedef", "uniform", "union", "unsigned", "varying",
        "virtual", "volatile"
    };
    return words.count(name) > 0;
}

std::vector<Token> tokenize(const std::string& s)
{
    std::vector<Token> tokens;
    size_t i = 0;
    bool lineStart = true;
    while (i < s.size())
    {
        const char c = s[i];
        if (c == '\n')
        {
            lineStart = true;
            ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c)))
        {
            ++i;
            continue;
        }
        if (lineStart && c == '#')
        {
            while (i < s.size() && s[i] != '\n')
                ++i;
            continue;
        }
        lineStart = false;
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '/')
        {
            while (i < s.size() && s[i] != '\n')
                ++i;
        }
        else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*')
        {
            const size_t end = s.find("*/", i + 2);
            i = end == std::string::npos ? s.size() : end + 2;
        }
        else if (c == '"')
        {
            std::string text = "\"";
            ++i;
            while (i < s.size() && s[i] != '"')
            {
                if (s[i] == '\\' && i + 1 < s.size())
                    text += s[i++];
                text += s[i++];
            }
            ++i;
            tokens.push_back({ Token::String, text + "\"" });
        }
        else if (isIdentStart(c))
        {
            size_t j = i;
            while (j < s.size() && isIdentChar(s[j]))
                ++j;
            tokens.push_back({ Token::Identifier, s.substr(i, j - i) });
            i = j;
        }
        else if (std::isdigit(static_cast<unsigned char>(c)) ||
                 (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1]))))
        {
            size_t j = i;
            while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '.' ||
                                    ((s[j] == '-' || s[j] == '+') && (s[j - 1] == 'e' || s[j - 1] == 'E'))))
                ++j;
            tokens.push_back({ Token::Number, s.substr(i, j - i) });
            i = j;
        }
        else
        {
            tokens.push_back({ Token::Punct, std::string(1, c) });
            ++i;
        }
    }
    return tokens;
}

std::string bracketProblem(const std::vector<Token>& tokens)
{
    std::vector<char> stack;
    for (const Token& t : tokens)
    {
        if (t.kind != Token::Punct)
            continue;
        const char c = t.text[0];
        if (c == '(' || c == '[' || c == '{')
        {
            stack.push_back(c);
        }
        else if (c == ')' || c == ']' || c == '}')
        {
            const char open = c == ')' ? '(' : c == ']' ? '['
                                                        : '{';
            if (stack.empty() || stack.back() != open)
                return std::string("unexpected '") + c + "'";
            stack.pop_back();
        }
    }
    if (!stack.empty())
        return std::string("unclosed '") + stack.back() + "'";
    return {};
}

bool parseShader(const std::string& source, ShaderHeader& header, std::string& error)
{
    header = ShaderHeader{};
    header.includesFuncs = source.find("#include \"mx_funcs.h\"") != std::string::npos;
    const std::vector<Token> tokens = tokenize(source);
    size_t i = 0;
    if (tokens.size() < 2 || tokens[0].text != "shader" || tokens[1].kind != Token::Identifier)
    {
        error = "does not start with 'shader NAME'";
        return false;
    }
    header.name = tokens[1].text;
    i = 2;
    if (isPunct(tokens, i, "[") && isPunct(tokens, i + 1, "["))
    {
        const size_t end = skipGroup(tokens, i);
        header.metadata = splitTopLevel(tokens, i + 2, end - 2);
        i = end;
    }
    if (!isPunct(tokens, i, "("))
    {
        error = "no parameter list";
        return false;
    }
    const size_t paramsEnd = skipGroup(tokens, i);
    for (const std::vector<Token>& part : splitTopLevel(tokens, i + 1, paramsEnd - 1))
    {
        Parameter p;
        size_t k = 0;
        if (k < part.size() && part[k].text == "output")
        {
            p.isOutput = true;
            ++k;
        }
        if (k + 1 >= part.size() || part[k].kind != Token::Identifier ||
            part[k + 1].kind != Token::Identifier)
        {
            error = "malformed parameter '" + joinTokens(part) + "'";
            return false;
        }
        p.type = part[k].text;
        p.name = part[k + 1].text;
        k += 2;
        if (k + 2 < part.size() && part[k].text == "[" && part[k + 2].text == "]")
        {
            p.arraySize = part[k + 1].text;
            k += 3;
        }
        if (k >= part.size() || part[k].text != "=")
        {
            error = "parameter " + p.name + " has no default";
            return false;
        }
        p.defaultTokens.assign(part.begin() + k + 1, part.end());
        p.defaultText = joinTokens(p.defaultTokens);
        header.parameters.push_back(p);
    }
    i = paramsEnd;
    if (!isPunct(tokens, i, "{"))
    {
        error = "no body";
        return false;
    }
    const size_t bodyEnd = skipGroup(tokens, i);
    if (bodyEnd != tokens.size())
    {
        error = "text after the shader body";
        return false;
    }
    header.body.assign(tokens.begin() + i + 1, tokens.begin() + bodyEnd - 1);
    return true;
}

std::vector<std::string> undeclaredNames(const std::vector<Token>& body,
                                         const std::set<std::string>& declared,
                                         const Library& library,
                                         const std::set<std::string>& readOnly)
{
    static const std::set<std::string> notTypes = { "return", "else", "output", "struct", "shader" };
    auto isType = [&](const std::string& n) { return isBuiltinType(n) || library.structs.count(n); };
    auto punct = [&](size_t i, const char* text) { return isPunct(body, i, text); };
    std::set<std::string> locals;
    std::vector<std::string> problems;
    for (size_t i = 0; i + 1 < body.size(); ++i)
    {
        if (body[i].kind == Token::Identifier && body[i + 1].kind == Token::Identifier &&
            !notTypes.count(body[i].text) && (i == 0 || body[i - 1].text != "."))
        {
            if (!isType(body[i].text))
                problems.push_back("'" + body[i].text + "' is used as a type");
            if (isReservedWord(body[i + 1].text))
                problems.push_back("'" + body[i + 1].text + "' is a reserved word");
            if (declared.count(body[i + 1].text))
                problems.push_back("'" + body[i + 1].text + "' is declared again");
            if (isLibraryFunction(body[i + 1].text))
                problems.push_back("the local '" + body[i + 1].text + "' clashes with a library function");
            locals.insert(body[i + 1].text);
        }
    }
    for (size_t i = 0; i < body.size(); ++i)
    {
        const Token& t = body[i];
        if (t.kind != Token::Identifier || (i > 0 && body[i - 1].text == "."))
            continue;
        const std::string& n = t.text;
        const bool variable = declared.count(n) || locals.count(n);
        if (variable && punct(i + 1, "("))
            problems.push_back("'" + n + "' is called but a variable of that name hides it");
        if (readOnly.count(n) && !locals.count(n))
        {
            // Skip a component or element selection, then look for an assignment.
            size_t k = i + 1;
            while (k < body.size())
            {
                if (punct(k, "["))
                {
                    k = skipGroup(body, k);
                }
                else if (punct(k, ".") && k + 1 < body.size())
                {
                    k += 2;
                }
                else
                {
                    break;
                }
            }
            const bool plain = punct(k, "=") && !punct(k + 1, "=");
            const bool compound = (punct(k, "+") || punct(k, "-") || punct(k, "*") || punct(k, "/")) &&
                                  punct(k + 1, "=");
            if (plain || compound)
                problems.push_back("'" + n + "' is read-only but assigned");
        }
        if (builtinNames().count(n) || isType(n) || variable || library.functions.count(n))
            continue;
        problems.push_back("'" + n + "' is not declared");
    }
    return problems;
}

Library readLibrary(const std::string& source, std::vector<std::string>& problems)
{
    const std::vector<Token> tokens = tokenize(source);
    Library library;
    struct Function
    {
        std::string name;
        std::set<std::string> params;
        std::set<std::string> readOnly;
        std::vector<Token> body;
    };
    std::vector<Function> functions;
    size_t i = 0;
    while (i < tokens.size())
    {
        if (tokens[i].text == "struct" && i + 2 < tokens.size())
        {
            library.structs.insert(tokens[i + 1].text);
            i = skipGroup(tokens, i + 2);
            if (isPunct(tokens, i, ";"))
                ++i;
            continue;
        }
        if (i + 2 < tokens.size() && tokens[i].kind == Token::Identifier &&
            tokens[i + 1].kind == Token::Identifier && isPunct(tokens, i + 2, "("))
        {
            Function f;
            f.name = tokens[i + 1].text;
            if (!isBuiltinType(tokens[i].text) && !library.structs.count(tokens[i].text))
                problems.push_back(f.name + ": return type '" + tokens[i].text + "' is not declared");
            const size_t paramsEnd = skipGroup(tokens, i + 2);
            for (const std::vector<Token>& part : splitTopLevel(tokens, i + 3, paramsEnd - 1))
            {
                if (part.size() < 2)
                {
                    problems.push_back(f.name + ": malformed parameter");
                    continue;
                }
                const size_t typeAt = part[0].text == "output" ? 1 : 0;
                if (!isBuiltinType(part[typeAt].text) && !library.structs.count(part[typeAt].text))
                    problems.push_back(f.name + ": parameter type '" + part[typeAt].text +
                                       "' is not declared");
                f.params.insert(part[typeAt + 1].text);
                if (typeAt == 0)
                    f.readOnly.insert(part[typeAt + 1].text);
                if (isReservedWord(part[typeAt + 1].text) || isLibraryFunction(part[typeAt + 1].text))
                    problems.push_back(f.name + ": parameter name '" + part[typeAt + 1].text +
                                       "' is a reserved word or a library function");
            }
            if (!isPunct(tokens, paramsEnd, "{"))
            {
                problems.push_back(f.name + ": no body");
                break;
            }
            const size_t bodyEnd = skipGroup(tokens, paramsEnd);
            f.body.assign(tokens.begin() + paramsEnd + 1, tokens.begin() + bodyEnd - 1);
            library.functions.insert(f.name);
            functions.push_back(f);
            i = bodyEnd;
            continue;
        }
        problems.push_back("unexpected '" + tokens[i].text + "' at top level");
        ++i;
    }
    // A function sees only the functions defined before it (and its own overloads
    // defined before it); its parameters are read-only.
    Library seen;
    seen.structs = library.structs;
    for (const Function& f : functions)
    {
        for (const std::string& p : undeclaredNames(f.body, f.params, seen, f.readOnly))
            problems.push_back(f.name + ": " + p);
        seen.functions.insert(f.name);
    }
    return library;
}

} // namespace oslgen::lint
