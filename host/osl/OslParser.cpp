// Parses the declarations of an OSL source: struct types, the shader with its
// parameters, defaults and metadata. Function and shader bodies are skipped by
// brace matching.

#include "OslDefaultFolding.h"
#include "OslFrontEnd.h"
#include "OslLexer.h"
#include "OslPreprocessor.h"
#include "OslText.h"

#include <algorithm>
#include <map>
#include <optional>

namespace Norvane::osl
{

namespace
{

class Parser
{
  public:
    Parser(const std::vector<Token>& tokens, const std::string& fallbackFile) :
        tokens_(tokens),
        fallbackFile_(fallbackFile) {}

    OslShaderInfo parse()
    {
        bool haveShader = false;
        while (peek().kind != TokenKind::End)
        {
            const Token& token = peek();
            if (token.isWord("struct"))
            {
                structDeclaration();
            }
            else if (const auto kind = shaderKind(token))
            {
                if (haveShader)
                    fail(token, "a file holds one shader; '" + info_.name + "' was declared already");
                shaderDeclaration(*kind);
                haveShader = true;
            }
            else if (startsType(token))
            {
                functionDeclaration();
            }
            else if (token.is(";"))
            {
                next();
            }
            else
            {
                fail(token, "expected a shader, struct or function declaration, found " + describe(token));
            }
        }
        if (!haveShader)
            fail(peek(), "no shader declaration found");
        collectUsedStructs();
        return info_;
    }

  private:
    const Token& peek(size_t ahead = 0) const { return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)]; }
    const Token& next()
    {
        const Token& token = peek();
        if (pos_ < tokens_.size() - 1)
            ++pos_;
        return token;
    }
    bool accept(const char* punctuator)
    {
        if (!peek().is(punctuator))
            return false;
        next();
        return true;
    }
    const Token& expect(const char* punctuator, const std::string& context)
    {
        if (!peek().is(punctuator))
            fail(peek(), std::string("expected '") + punctuator + "' " + context + ", found " + describe(peek()));
        return next();
    }
    std::string identifier(const std::string& context)
    {
        if (peek().kind != TokenKind::Identifier)
            fail(peek(), "expected " + context + ", found " + describe(peek()));
        return next().text;
    }

    [[noreturn]] void fail(const Token& token, const std::string& what) const
    {
        throw OslSyntaxError{ (token.file ? *token.file : fallbackFile_) + ":" + std::to_string(token.line) +
                              ": error: " + what };
    }

    static std::string describe(const Token& token)
    {
        switch (token.kind)
        {
            case TokenKind::End:
                return "the end of the file";
            case TokenKind::StringLiteral:
                return "a string";
            default:
                return "'" + token.text + "'";
        }
    }

    static std::optional<OslShaderKind> shaderKind(const Token& token)
    {
        if (token.isWord("shader"))
            return OslShaderKind::Shader;
        if (token.isWord("surface"))
            return OslShaderKind::Surface;
        if (token.isWord("displacement"))
            return OslShaderKind::Displacement;
        if (token.isWord("volume"))
            return OslShaderKind::Volume;
        return std::nullopt;
    }

    static std::optional<OslBaseType> builtinType(const std::string& word)
    {
        const std::optional<OslBaseType> type = baseTypeFromName(word);
        return type == OslBaseType::Struct ? std::nullopt : type;
    }

    bool startsType(const Token& token) const
    {
        return token.kind == TokenKind::Identifier && (builtinType(token.text) || structs_.count(token.text));
    }

    OslType typeSpec()
    {
        const Token& token = peek();
        if (token.kind != TokenKind::Identifier)
            fail(token, "expected a type, found " + describe(token));
        OslType type;
        if (const auto builtin = builtinType(token.text))
        {
            next();
            type.base = *builtin;
            if (type.base == OslBaseType::Closure && !next().isWord("color"))
                fail(token, "expected 'color' after 'closure'");
        }
        else if (structs_.count(token.text))
        {
            next();
            type.base = OslBaseType::Struct;
            type.structName = token.text;
        }
        else
        {
            fail(token, "unknown type '" + token.text + "'");
        }
        return type;
    }

    // Optional "[N]" or "[]" after a declared name; an unsized array gets UNSIZED_ARRAY.
    void arraySuffix(OslType& type, const std::string& name)
    {
        if (!peek().is("[") || peek(1).is("["))
            return;
        const Token& open = next();
        if (accept("]"))
        {
            type.arrayLength = UNSIZED_ARRAY;
            return;
        }
        const Token& length = next();
        if (length.kind != TokenKind::IntLiteral || length.number < 1)
            fail(open, "the length of array '" + name + "' must be a positive whole number");
        type.arrayLength = static_cast<int>(length.number);
        expect("]", "after the length of array '" + name + "'");
    }

    void structDeclaration()
    {
        const Token& keyword = next();
        const std::string name = identifier("a struct name");
        if (structs_.count(name) || builtinType(name))
            fail(keyword, "type '" + name + "' is defined already");
        OslStructDecl decl;
        decl.name = name;
        expect("{", "after 'struct " + name + "'");
        while (!accept("}"))
        {
            const Token& start = peek();
            const OslType fieldType = typeSpec();
            if (fieldType.isStruct() || fieldType.base == OslBaseType::Closure || fieldType.base == OslBaseType::Void)
                fail(start, "field of struct '" + name + "' has unsupported type " + typeName(fieldType));
            do
            {
                const std::string fieldName = identifier("a field name");
                OslType withArray = fieldType;
                arraySuffix(withArray, fieldName);
                if (withArray.arrayLength != 0)
                    fail(start, "array fields in struct '" + name + "' are not supported");
                for (const OslStructField& field : decl.fields)
                    if (field.name == fieldName)
                        fail(start, "struct '" + name + "' has two fields named '" + fieldName + "'");
                decl.fields.push_back({ fieldName, fieldType.base });
            } while (accept(","));
            expect(";", "after a field of struct '" + name + "'");
        }
        accept(";");
        if (decl.fields.empty())
            fail(keyword, "struct '" + name + "' has no fields");
        structs_[name] = decl;
    }

    void functionDeclaration()
    {
        typeSpec();
        const std::string name = identifier("a function name");
        const Token& open = expect("(", "after function name '" + name + "'");
        skipBalanced(open, "(", ")", "parameter list of function '" + name + "'");
        if (peek().is("[") && peek(1).is("["))
            metadataBlock();
        if (accept(";"))
            return;
        const Token& body = expect("{", "to open the body of function '" + name + "'");
        skipBalanced(body, "{", "}", "body of function '" + name + "'");
    }

    // The opening token has been read; consumes up to and including its match.
    void skipBalanced(const Token& openToken, const char* open, const char* close, const std::string& what)
    {
        int depth = 1;
        while (depth > 0)
        {
            const Token& token = next();
            if (token.kind == TokenKind::End)
                fail(openToken, std::string("missing '") + close + "' to close the " + what);
            if (token.is(open))
                ++depth;
            else if (token.is(close))
                --depth;
        }
    }

    void shaderDeclaration(OslShaderKind kind)
    {
        next();
        info_.kind = kind;
        info_.name = identifier("a shader name");
        if (peek().is("[") && peek(1).is("["))
            info_.metadata = metadataBlock();
        expect("(", "to open the parameters of shader '" + info_.name + "'");
        while (!accept(")"))
        {
            OslParameter parameter = shaderParameter();
            if (info_.findParameter(parameter.name))
                fail(tokens_[pos_ - 1], "shader '" + info_.name + "' has two parameters named '" + parameter.name + "'");
            info_.parameters.push_back(std::move(parameter));
            if (!peek().is(")"))
                expect(",", "between shader parameters");
        }
        const Token& body = expect("{", "to open the body of shader '" + info_.name + "'");
        skipBalanced(body, "{", "}", "body of shader '" + info_.name + "'");
    }

    OslParameter shaderParameter()
    {
        OslParameter parameter;
        if (peek().isWord("output"))
        {
            next();
            parameter.isOutput = true;
        }
        const Token& start = peek();
        parameter.type = typeSpec();
        if (parameter.type.base == OslBaseType::Void)
            fail(start, "a shader parameter cannot be void");
        parameter.name = identifier("a parameter name");
        arraySuffix(parameter.type, parameter.name);
        if (!peek().is("="))
            fail(peek(), "parameter '" + parameter.name + "' needs a default value");
        next();
        const size_t first = pos_;
        const Expr value = parseExpression();
        DefaultFolder folder(structs_, [this](const Token& at, const std::string& what) { fail(at, what); });
        const FoldedDefault folded = folder.foldTo(value, parameter.type, "parameter '" + parameter.name + "'");
        parameter.defaults = folded.components;
        if (!folded.constant)
            parameter.defaultExpression = sourceText(first, pos_);
        if (peek().is("[") && peek(1).is("["))
            parameter.metadata = metadataBlock();
        return parameter;
    }

    std::vector<OslMetadata> metadataBlock()
    {
        next();
        next();
        std::vector<OslMetadata> items;
        while (!(peek().is("]") && peek(1).is("]")))
        {
            const Token& start = peek();
            OslMetadata item;
            item.type = typeSpec();
            if (item.type.isStruct() || item.type.base == OslBaseType::Closure || item.type.base == OslBaseType::Void)
                fail(start, "metadata cannot be of type " + typeName(item.type));
            item.name = identifier("a metadata name");
            arraySuffix(item.type, item.name);
            expect("=", "after metadata name '" + item.name + "'");
            const Expr value = parseExpression();
            DefaultFolder folder(structs_, [this](const Token& at, const std::string& what) { fail(at, what); });
            const FoldedDefault folded = folder.foldTo(value, item.type, "metadata '" + item.name + "'");
            if (!folded.constant)
                fail(start, "metadata '" + item.name + "' needs a constant value");
            item.values = folded.components;
            items.push_back(std::move(item));
            if (!(peek().is("]") && peek(1).is("]")))
                expect(",", "between metadata items");
        }
        next();
        next();
        return items;
    }

    // ---- expressions of defaults and metadata values ----

    Expr parseExpression()
    {
        Expr condition = binary(1);
        if (!peek().is("?"))
            return condition;
        Expr other = makeExpr(Expr::Kind::Other, next());
        other.operands.push_back(std::move(condition));
        other.operands.push_back(parseExpression());
        expect(":", "in a conditional expression");
        other.operands.push_back(parseExpression());
        return other;
    }

    static int precedence(const Token& token)
    {
        return token.kind == TokenKind::Punctuator ? binaryPrecedence(token.text) : -1;
    }

    Expr binary(int minPrecedence)
    {
        Expr left = unary();
        for (int prec = precedence(peek()); prec >= minPrecedence; prec = precedence(peek()))
        {
            Expr node = makeExpr(Expr::Kind::Binary, next());
            node.operands.push_back(std::move(left));
            node.operands.push_back(binary(prec + 1));
            left = std::move(node);
        }
        return left;
    }

    Expr unary()
    {
        if (peek().is("-") || peek().is("+") || peek().is("!") || peek().is("~"))
        {
            Expr node = makeExpr(Expr::Kind::Unary, next());
            node.operands.push_back(unary());
            return node;
        }
        return postfix();
    }

    Expr postfix()
    {
        Expr value = primary();
        for (;;)
        {
            if (peek().is("."))
            {
                Expr member = makeExpr(Expr::Kind::Other, next());
                member.operands.push_back(std::move(value));
                identifier("a field name after '.'");
                value = std::move(member);
            }
            else if (peek().is("[") && !peek(1).is("["))
            {
                Expr index = makeExpr(Expr::Kind::Other, next());
                index.operands.push_back(std::move(value));
                index.operands.push_back(parseExpression());
                expect("]", "after an array index");
                value = std::move(index);
            }
            else
            {
                return value;
            }
        }
    }

    Expr primary()
    {
        const Token& token = peek();
        switch (token.kind)
        {
            case TokenKind::IntLiteral:
            case TokenKind::FloatLiteral:
            {
                Expr literal = makeExpr(token.kind == TokenKind::IntLiteral ? Expr::Kind::IntLiteral : Expr::Kind::FloatLiteral, next());
                literal.number = token.number;
                return literal;
            }
            case TokenKind::StringLiteral:
            {
                Expr literal = makeExpr(Expr::Kind::StringLiteral, next());
                while (peek().kind == TokenKind::StringLiteral)
                    literal.text += next().text; // "a" "b" is "ab"
                return literal;
            }
            case TokenKind::Identifier:
            {
                Expr name = makeExpr(Expr::Kind::Name, next());
                if (!accept("("))
                    return name;
                name.kind = Expr::Kind::Call;
                name.operands = expressionList(")", "arguments of '" + name.text + "'");
                return name;
            }
            default:
                break;
        }
        if (token.is("("))
        {
            next();
            Expr inner = parseExpression();
            expect(")", "to close a parenthesis");
            return inner;
        }
        if (token.is("{"))
        {
            Expr list = makeExpr(Expr::Kind::InitList, next());
            list.operands = expressionList("}", "initialiser list");
            return list;
        }
        fail(token, "expected a value, found " + describe(token));
    }

    std::vector<Expr> expressionList(const char* close, const std::string& what)
    {
        std::vector<Expr> items;
        while (!accept(close))
        {
            items.push_back(parseExpression());
            if (!peek().is(close))
                expect(",", "between the " + what);
        }
        return items;
    }

    Expr makeExpr(Expr::Kind kind, const Token& token) const
    {
        Expr expr;
        expr.kind = kind;
        expr.text = token.text;
        expr.at = &token;
        return expr;
    }

    // The tokens [first, last) as readable text, for non-constant defaults.
    std::string sourceText(size_t first, size_t last) const
    {
        static const char* const binaryOperators[] = { "+", "-", "*", "/", "%", "<", ">", "<=", ">=", "==", "!=", "&&", "||", "?", ":" };
        std::string text;
        bool spaceNext = false;
        for (size_t i = first; i < last; ++i)
        {
            const Token& token = tokens_[i];
            const bool word = token.kind != TokenKind::Punctuator;
            bool isBinary = false;
            if (i > first)
            {
                const Token& previous = tokens_[i - 1];
                const bool previousWord = previous.kind != TokenKind::Punctuator;
                if (previousWord || previous.is(")") || previous.is("]"))
                    for (const char* op : binaryOperators)
                        isBinary = isBinary || token.is(op);
                if (spaceNext || isBinary || (word && previousWord))
                    text += ' ';
            }
            text += token.kind == TokenKind::StringLiteral ? quoteOslString(token.text) : token.text;
            spaceNext = isBinary || token.is(",");
        }
        return text;
    }

    // In order of first use, as the precompiled text lists them.
    void collectUsedStructs()
    {
        for (const OslParameter& parameter : info_.parameters)
            if (parameter.type.isStruct() && !info_.findStruct(parameter.type.structName))
                info_.structs.push_back(structs_.at(parameter.type.structName));
    }

    const std::vector<Token>& tokens_;
    const std::string& fallbackFile_;
    size_t pos_ = 0;
    std::map<std::string, OslStructDecl> structs_;
    OslShaderInfo info_;
};

} // namespace

OslParseResult parseOslSource(const std::string& text, const std::string& sourceFilePath,
                              const std::vector<std::string>& includeFolders)
{
    OslParseResult result;
    const PreprocessResult preprocessed = preprocessOsl(text, sourceFilePath, includeFolders);
    if (!preprocessed.ok())
    {
        result.error = preprocessed.error;
        return result;
    }
    result.includedFiles = preprocessed.includedFiles;
    const LexResult lexed = lexOsl(preprocessed.lines);
    if (!lexed.ok())
    {
        result.error = lexed.error;
        return result;
    }
    const std::string fallbackFile = sourceFilePath.empty() ? UNNAMED_SOURCE_NAME : sourceFilePath;
    try
    {
        result.shader = Parser(lexed.tokens, fallbackFile).parse();
    }
    catch (const OslSyntaxError& error)
    {
        result.error = error.message;
    }
    return result;
}

OslParseResult parseOslCode(const std::string& text, const std::string& sourceFilePath,
                            const std::vector<std::string>& includeFolders)
{
    return isPrecompiled(text) ? parsePrecompiled(text) : parseOslSource(text, sourceFilePath, includeFolders);
}

} // namespace Norvane::osl
