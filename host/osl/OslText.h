#pragma once
// Character classes and operator precedence shared by the preprocessor's #if
// expressions and the parser's default expressions.

#include <map>
#include <string>

namespace Norvane::osl
{

// ASCII only, as OSL identifiers are; no locale lookups in the lexer's inner loop.
inline bool isDigitChar(char c)
{
    return c >= '0' && c <= '9';
}
inline bool isIdentStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
inline bool isIdentChar(char c)
{
    return isIdentStart(c) || isDigitChar(c);
}
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// C precedence of a binary operator (higher binds tighter), -1 for none.
inline int binaryPrecedence(const std::string& op)
{
    static const std::map<std::string, int> table = {
        { "||", 1 }, { "&&", 2 }, { "|", 3 }, { "^", 4 }, { "&", 5 }, { "==", 6 }, { "!=", 6 }, { "<", 7 }, { ">", 7 }, { "<=", 7 }, { ">=", 7 }, { "<<", 8 }, { ">>", 8 }, { "+", 9 }, { "-", 9 }, { "*", 10 }, { "/", 10 }, { "%", 10 }
    };
    const auto found = table.find(op);
    return found == table.end() ? -1 : found->second;
}

} // namespace Norvane::osl
