#pragma once
// Splits preprocessed OSL into tokens, each knowing its file and line.

#include "OslPreprocessor.h"

#include <string>
#include <vector>

namespace Norvane::osl
{

enum class TokenKind
{
    Identifier,
    IntLiteral,
    FloatLiteral,
    StringLiteral,
    Punctuator,
    End
};

struct Token
{
    TokenKind kind = TokenKind::End;
    std::string text; // identifier, punctuator, or the string literal's unescaped contents
    double number = 0.0;
    const std::string* file = nullptr; // points into the lexed SourceLines
    int line = 0;

    bool is(const char* punctuator) const { return kind == TokenKind::Punctuator && text == punctuator; }
    bool isWord(const char* word) const { return kind == TokenKind::Identifier && text == word; }
};

struct LexResult
{
    std::vector<Token> tokens; // always ends with an End token when ok
    std::string error;
    bool ok() const { return error.empty(); }
};

// The tokens refer to the lines' file names: keep `lines` alive while they are used.
LexResult lexOsl(const std::vector<SourceLine>& lines);

} // namespace Norvane::osl
