#include "OslLexer.h"

#include "OslText.h"

#include <array>
#include <cctype>
#include <cstdlib>

namespace Norvane::osl
{

namespace
{

// Longest first, so that "<<=" wins over "<<" and "<".
const char* const PUNCTUATORS[] = { "<<=", ">>=", "&&", "||", "==", "!=", "<=", ">=", "+=", "-=", "*=", "/=",
                                    "%=", "&=", "|=", "^=", "++", "--", "<<", ">>", "+", "-", "*", "/",
                                    "%", "=", "<", ">", "!", "&", "|", "^", "~", "(", ")", "{",
                                    "}", "[", "]", ",", ";", ".", "?", ":" };

// The punctuators that begin with each character, longest first.
const std::vector<std::string>& punctuatorsStartingWith(char c)
{
    static const auto table = [] {
        std::array<std::vector<std::string>, 256> byFirst;
        for (const char* punctuator : PUNCTUATORS)
            byFirst[static_cast<unsigned char>(punctuator[0])].push_back(punctuator);
        return byFirst;
    }();
    return table[static_cast<unsigned char>(c)];
}

bool isDigit(char c)
{
    return isDigitChar(c);
}

std::string where(const SourceLine& line)
{
    return line.file + ":" + std::to_string(line.line) + ": error: ";
}

char unescape(char c)
{
    switch (c)
    {
        case 'n':
            return '\n';
        case 't':
            return '\t';
        case 'r':
            return '\r';
        case '0':
            return '\0';
        case 'a':
            return '\a';
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'v':
            return '\v';
        default:
            return c;
    }
}

// Lexes one number at text[pos]; returns its end, or npos for a malformed number.
size_t lexNumber(const std::string& text, size_t pos, Token& token)
{
    size_t end = pos;
    if (text.compare(pos, 2, "0x") == 0 || text.compare(pos, 2, "0X") == 0)
    {
        end += 2;
        while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end])))
            ++end;
        if (end == pos + 2)
            return std::string::npos;
        token.kind = TokenKind::IntLiteral;
        token.number = static_cast<double>(std::strtoll(text.c_str() + pos, nullptr, 16));
    }
    else
    {
        bool isFloat = false;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        if (end < text.size() && text[end] == '.')
        {
            isFloat = true;
            ++end;
            while (end < text.size() && isDigit(text[end]))
                ++end;
        }
        if (end < text.size() && (text[end] == 'e' || text[end] == 'E'))
        {
            size_t exponent = end + 1;
            if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
                ++exponent;
            if (exponent >= text.size() || !isDigit(text[exponent]))
                return std::string::npos;
            while (exponent < text.size() && isDigit(text[exponent]))
                ++exponent;
            end = exponent;
            isFloat = true;
        }
        token.kind = isFloat ? TokenKind::FloatLiteral : TokenKind::IntLiteral;
        token.number = std::strtod(text.substr(pos, end - pos).c_str(), nullptr);
    }
    token.text = text.substr(pos, end - pos);
    if (end < text.size() && isIdentChar(text[end]))
        return std::string::npos;
    return end;
}

} // namespace

LexResult lexOsl(const std::vector<SourceLine>& lines)
{
    LexResult result;
    size_t characters = 0;
    for (const SourceLine& line : lines)
        characters += line.text.size();
    result.tokens.reserve(characters / 3 + 1);
    for (const SourceLine& line : lines)
    {
        const std::string& text = line.text;
        for (size_t pos = 0; pos < text.size();)
        {
            const char c = text[pos];
            if (isBlank(c))
            {
                ++pos;
                continue;
            }
            Token token;
            token.file = &line.file;
            token.line = line.line;
            if (isIdentStart(c))
            {
                size_t end = pos;
                while (end < text.size() && isIdentChar(text[end]))
                    ++end;
                token.kind = TokenKind::Identifier;
                token.text = text.substr(pos, end - pos);
                pos = end;
            }
            else if (isDigit(c) || (c == '.' && pos + 1 < text.size() && isDigit(text[pos + 1])))
            {
                const size_t end = lexNumber(text, pos, token);
                if (end == std::string::npos)
                {
                    result.error = where(line) + "malformed number";
                    return result;
                }
                pos = end;
            }
            else if (c == '"')
            {
                token.kind = TokenKind::StringLiteral;
                size_t end = pos + 1;
                while (end < text.size() && text[end] != '"')
                {
                    if (text[end] == '\\' && end + 1 < text.size())
                    {
                        token.text += unescape(text[end + 1]);
                        end += 2;
                    }
                    else
                    {
                        token.text += text[end++];
                    }
                }
                if (end >= text.size())
                {
                    result.error = where(line) + "string not closed";
                    return result;
                }
                pos = end + 1;
            }
            else
            {
                for (const std::string& punctuator : punctuatorsStartingWith(c))
                {
                    if (text.compare(pos, punctuator.size(), punctuator) == 0)
                    {
                        token.kind = TokenKind::Punctuator;
                        token.text = punctuator;
                        break;
                    }
                }
                if (token.kind != TokenKind::Punctuator)
                {
                    result.error = where(line) + "unexpected character '" + std::string(1, c) + "'";
                    return result;
                }
                pos += token.text.size();
            }
            result.tokens.push_back(std::move(token));
        }
    }
    Token end;
    end.kind = TokenKind::End;
    end.text = "end of file";
    if (!lines.empty())
    {
        end.file = &lines.back().file;
        end.line = lines.back().line;
    }
    result.tokens.push_back(end);
    return result;
}

} // namespace Norvane::osl
