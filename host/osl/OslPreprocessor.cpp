#include "OslPreprocessor.h"

#include "OslText.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace Norvane::osl
{

namespace fs = std::filesystem;

namespace
{

constexpr int MAX_INCLUDE_DEPTH = 32;

struct PreprocessError
{
    std::string message;
};

[[noreturn]] void fail(const std::string& file, int line, const std::string& what)
{
    throw PreprocessError{ file + ":" + std::to_string(line) + ": error: " + what };
}

std::string trim(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t\r\f\v");
    if (begin == std::string::npos)
        return {};
    const auto end = text.find_last_not_of(" \t\r\f\v");
    return text.substr(begin, end - begin + 1);
}

// Skips a string literal starting at text[pos] == '"'; returns the index after it.
size_t skipStringLiteral(const std::string& text, size_t pos)
{
    ++pos;
    while (pos < text.size() && text[pos] != '"')
        pos += text[pos] == '\\' ? 2 : 1;
    return std::min(pos + 1, text.size());
}

struct LogicalLine
{
    int line;
    std::string text;
};

// Joins continued lines and replaces comments by a blank, keeping the number
// of the physical line each logical line starts on.
std::vector<LogicalLine> spliceAndStripComments(const std::string& text, const std::string& file)
{
    std::vector<LogicalLine> lines;
    std::string current;
    int physical = 1;
    int start = 1;
    int commentStart = 0;
    enum class State
    {
        Code,
        String,
        LineComment,
        BlockComment
    } state = State::Code;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == '\\' && (i + 1 < text.size()) && (text[i + 1] == '\n' || (text[i + 1] == '\r' && i + 2 < text.size() && text[i + 2] == '\n')))
        {
            i += text[i + 1] == '\r' ? 2 : 1;
            ++physical;
            continue;
        }
        if (c == '\n')
        {
            ++physical;
            if (state == State::BlockComment)
                continue;
            lines.push_back({ start, current });
            current.clear();
            start = physical;
            state = State::Code;
            continue;
        }
        switch (state)
        {
            case State::Code:
                if (c == '"')
                {
                    state = State::String;
                    current += c;
                }
                else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/')
                {
                    state = State::LineComment;
                    ++i;
                }
                else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*')
                {
                    state = State::BlockComment;
                    commentStart = physical;
                    current += ' ';
                    ++i;
                }
                else
                {
                    current += c;
                }
                break;
            case State::String:
                current += c;
                if (c == '\\' && i + 1 < text.size() && text[i + 1] != '\n')
                    current += text[++i];
                else if (c == '"')
                    state = State::Code;
                break;
            case State::LineComment:
                break;
            case State::BlockComment:
                if (c == '*' && i + 1 < text.size() && text[i + 1] == '/')
                {
                    state = State::Code;
                    ++i;
                }
                break;
        }
    }
    if (state == State::BlockComment)
        fail(file, commentStart, "comment not closed ('/*' without '*/')");
    if (!current.empty())
        lines.push_back({ start, current });
    return lines;
}

struct Macro
{
    bool functionLike = false;
    std::string body;
};

// Integer expression of #if / #elif, after defined() and macros are replaced.
class ConditionEvaluator
{
  public:
    ConditionEvaluator(const std::string& text, const std::string& file, int line) :
        file_(file),
        line_(line)
    {
        tokenize(text);
    }

    long evaluate()
    {
        const long value = conditional();
        if (pos_ != tokens_.size())
            fail(file_, line_, "unexpected '" + tokens_[pos_] + "' in #if expression");
        return value;
    }

  private:
    void tokenize(const std::string& text)
    {
        static const char* const twoChar[] = { "&&", "||", "==", "!=", "<=", ">=", "<<", ">>" };
        for (size_t i = 0; i < text.size();)
        {
            const char c = text[i];
            if (isBlank(c))
            {
                ++i;
            }
            else if (isDigitChar(c) || isIdentStart(c))
            {
                size_t end = i;
                while (end < text.size() && (isIdentChar(text[end]) || text[end] == '.'))
                    ++end;
                tokens_.push_back(text.substr(i, end - i));
                i = end;
            }
            else
            {
                std::string op(1, c);
                for (const char* two : twoChar)
                    if (text.compare(i, 2, two) == 0)
                        op = two;
                tokens_.push_back(op);
                i += op.size();
            }
        }
    }

    bool accept(const char* op)
    {
        if (pos_ < tokens_.size() && tokens_[pos_] == op)
        {
            ++pos_;
            return true;
        }
        return false;
    }

    long conditional()
    {
        const long condition = binary(0);
        if (!accept("?"))
            return condition;
        const long whenTrue = conditional();
        if (!accept(":"))
            fail(file_, line_, "missing ':' in #if expression");
        const long whenFalse = conditional();
        return condition ? whenTrue : whenFalse;
    }

    long binary(int minPrecedence)
    {
        long left = unary();
        while (pos_ < tokens_.size())
        {
            const std::string op = tokens_[pos_];
            const int prec = binaryPrecedence(op);
            if (prec < 0 || prec < minPrecedence)
                break;
            ++pos_;
            const long right = binary(prec + 1);
            left = apply(op, left, right);
        }
        return left;
    }

    long apply(const std::string& op, long a, long b)
    {
        if ((op == "/" || op == "%") && b == 0)
            fail(file_, line_, "division by zero in #if expression");
        if (op == "||")
            return a || b;
        if (op == "&&")
            return a && b;
        if (op == "|")
            return a | b;
        if (op == "^")
            return a ^ b;
        if (op == "&")
            return a & b;
        if (op == "==")
            return a == b;
        if (op == "!=")
            return a != b;
        if (op == "<")
            return a < b;
        if (op == ">")
            return a > b;
        if (op == "<=")
            return a <= b;
        if (op == ">=")
            return a >= b;
        if (op == "<<")
            return a << b;
        if (op == ">>")
            return a >> b;
        if (op == "+")
            return a + b;
        if (op == "-")
            return a - b;
        if (op == "*")
            return a * b;
        if (op == "/")
            return a / b;
        return a % b;
    }

    long unary()
    {
        if (accept("!"))
            return !unary();
        if (accept("-"))
            return -unary();
        if (accept("+"))
            return unary();
        if (accept("~"))
            return ~unary();
        if (accept("("))
        {
            const long value = conditional();
            if (!accept(")"))
                fail(file_, line_, "missing ')' in #if expression");
            return value;
        }
        if (pos_ >= tokens_.size())
            fail(file_, line_, "#if expression ends too early");
        const std::string& token = tokens_[pos_++];
        if (std::isdigit(static_cast<unsigned char>(token[0])))
        {
            try
            {
                return static_cast<long>(std::stod(token));
            }
            catch (...)
            {
                fail(file_, line_, "bad number '" + token + "' in #if expression");
            }
        }
        if (isIdentStart(token[0]))
            return 0; // names that are no macro count as 0, as in C
        fail(file_, line_, "unexpected '" + token + "' in #if expression");
    }

    std::vector<std::string> tokens_;
    size_t pos_ = 0;
    const std::string& file_;
    int line_;
};

struct Conditional
{
    bool parentActive;
    bool active;
    bool taken; // some branch of this #if chain was active already
    bool sawElse;
    int line;
};

class Preprocessor
{
  public:
    explicit Preprocessor(const std::vector<std::string>& includeFolders) :
        includeFolders_(includeFolders)
    {
        const std::pair<const char*, const char*> predefined[] = {
            { "OSL_VERSION_MAJOR", "1" }, { "OSL_VERSION_MINOR", "12" }, { "OSL_VERSION_PATCH", "0" }, { "OSL_VERSION", "11200" }, { "M_PI", "3.1415926535897932" }, { "M_PI_2", "1.5707963267948966" }, { "M_PI_4", "0.7853981633974483" }, { "M_2_PI", "0.6366197723675813" }, { "M_2PI", "6.2831853071795865" }, { "M_4PI", "12.566370614359173" }, { "M_2_SQRTPI", "1.1283791670955126" }, { "M_E", "2.7182818284590452" }, { "M_LN2", "0.6931471805599453" }, { "M_LN10", "2.3025850929940457" }, { "M_LOG2E", "1.4426950408889634" }, { "M_LOG10E", "0.4342944819032518" }, { "M_SQRT2", "1.4142135623730950" }, { "M_SQRT1_2", "0.7071067811865475" }
        };
        for (const auto& [name, value] : predefined)
            macros_[name] = Macro{ false, value };
    }

    void processFile(const std::string& text, const std::string& file, const std::string& folder, int depth)
    {
        std::vector<Conditional> conditions;
        for (const LogicalLine& logical : spliceAndStripComments(text, file))
        {
            const std::string line = trim(logical.text);
            if (!line.empty() && line[0] == '#')
            {
                directive(line.substr(1), file, folder, logical.line, depth, conditions);
            }
            else if (isActive(conditions))
            {
                std::set<std::string> hidden;
                result_.push_back({ expand(logical.text, hidden), file, logical.line });
            }
        }
        if (!conditions.empty())
            fail(file, conditions.back().line, "#if without #endif");
    }

    std::vector<SourceLine> takeLines() { return std::move(result_); }
    std::vector<std::string> includedFiles() const { return { included_.begin(), included_.end() }; }

  private:
    static bool isActive(const std::vector<Conditional>& conditions)
    {
        return conditions.empty() || conditions.back().active;
    }

    void directive(const std::string& rest, const std::string& file, const std::string& folder, int line, int depth,
                   std::vector<Conditional>& conditions)
    {
        size_t pos = rest.find_first_not_of(" \t");
        if (pos == std::string::npos)
            return; // a lone '#' is allowed
        size_t end = pos;
        while (end < rest.size() && isIdentChar(rest[end]))
            ++end;
        const std::string name = rest.substr(pos, end - pos);
        const std::string argument = trim(rest.substr(end));
        const bool active = isActive(conditions);

        if (name == "if" || name == "ifdef" || name == "ifndef")
        {
            bool value = false;
            if (active)
            {
                if (name == "if")
                    value = condition(argument, file, line);
                else
                    value = isDefined(macroName(argument, name, file, line)) == (name == "ifdef");
            }
            conditions.push_back({ active, active && value, value, false, line });
        }
        else if (name == "elif" || name == "else")
        {
            if (conditions.empty())
                fail(file, line, "#" + name + " without #if");
            Conditional& top = conditions.back();
            if (top.sawElse)
                fail(file, line, "#" + name + " after #else");
            bool value = !top.taken;
            if (name == "elif")
                value = value && top.parentActive && condition(argument, file, line);
            else
                top.sawElse = true;
            top.active = top.parentActive && value;
            top.taken = top.taken || value;
        }
        else if (name == "endif")
        {
            if (conditions.empty())
                fail(file, line, "#endif without #if");
            conditions.pop_back();
        }
        else if (!active)
        {
            return; // anything else inside a skipped group is ignored, as in C
        }
        else if (name == "include")
        {
            include(argument, file, folder, line, depth);
        }
        else if (name == "define")
        {
            define(argument, file, line);
        }
        else if (name == "undef")
        {
            macros_.erase(macroName(argument, name, file, line));
        }
        else if (name == "error")
        {
            fail(file, line, "#error " + argument);
        }
        else if (name == "pragma")
        {
            if (argument == "once")
                onceFiles_.insert(file);
        }
        else if (name != "warning" && name != "line")
        {
            fail(file, line, "unknown preprocessor directive #" + name);
        }
    }

    static std::string macroName(const std::string& argument, const std::string& directiveName, const std::string& file,
                                 int line)
    {
        size_t end = 0;
        while (end < argument.size() && isIdentChar(argument[end]))
            ++end;
        if (end == 0 || !isIdentStart(argument[0]))
            fail(file, line, "#" + directiveName + " needs a macro name");
        return argument.substr(0, end);
    }

    bool isDefined(const std::string& name) const { return macros_.count(name) != 0; }

    void define(const std::string& argument, const std::string& file, int line)
    {
        const std::string name = macroName(argument, "define", file, line);
        Macro macro;
        macro.functionLike = argument.size() > name.size() && argument[name.size()] == '(';
        macro.body = trim(argument.substr(name.size()));
        macros_[name] = macro;
    }

    bool condition(const std::string& argument, const std::string& file, int line)
    {
        if (argument.empty())
            fail(file, line, "#if needs an expression");
        // defined(NAME) and defined NAME are decided before macros are expanded.
        std::string replaced;
        for (size_t i = 0; i < argument.size();)
        {
            if (argument.compare(i, 7, "defined") == 0 && (i == 0 || !isIdentChar(argument[i - 1])) &&
                (i + 7 >= argument.size() || !isIdentChar(argument[i + 7])))
            {
                size_t pos = argument.find_first_not_of(" \t", i + 7);
                const bool parenthesised = pos != std::string::npos && argument[pos] == '(';
                if (parenthesised)
                    pos = argument.find_first_not_of(" \t", pos + 1);
                size_t end = pos == std::string::npos ? argument.size() : pos;
                while (end < argument.size() && isIdentChar(argument[end]))
                    ++end;
                if (pos == std::string::npos || end == pos)
                    fail(file, line, "'defined' needs a macro name");
                replaced += isDefined(argument.substr(pos, end - pos)) ? " 1 " : " 0 ";
                if (parenthesised)
                {
                    end = argument.find_first_not_of(" \t", end);
                    if (end == std::string::npos || argument[end] != ')')
                        fail(file, line, "missing ')' after 'defined'");
                    ++end;
                }
                i = end;
            }
            else
            {
                replaced += argument[i++];
            }
        }
        std::set<std::string> hidden;
        return ConditionEvaluator(expand(replaced, hidden), file, line).evaluate() != 0;
    }

    // Replaces object-like macros; a macro is not expanded again inside its own body.
    std::string expand(const std::string& text, std::set<std::string>& hidden) const
    {
        std::string out;
        for (size_t i = 0; i < text.size();)
        {
            const char c = text[i];
            if (c == '"')
            {
                const size_t end = skipStringLiteral(text, i);
                out.append(text, i, end - i);
                i = end;
            }
            else if (isDigitChar(c))
            {
                size_t end = i;
                while (end < text.size() && (isIdentChar(text[end]) || text[end] == '.' ||
                                             ((text[end] == '+' || text[end] == '-') && (text[end - 1] == 'e' || text[end - 1] == 'E'))))
                    ++end;
                out.append(text, i, end - i);
                i = end;
            }
            else if (isIdentStart(c))
            {
                size_t end = i;
                while (end < text.size() && isIdentChar(text[end]))
                    ++end;
                const std::string name = text.substr(i, end - i);
                const auto found = macros_.find(name);
                if (found != macros_.end() && !found->second.functionLike && !hidden.count(name))
                {
                    hidden.insert(name);
                    out += expand(found->second.body, hidden);
                    hidden.erase(name);
                }
                else
                {
                    out += name;
                }
                i = end;
            }
            else
            {
                out += c;
                ++i;
            }
        }
        return out;
    }

    void include(const std::string& argument, const std::string& file, const std::string& folder, int line, int depth)
    {
        if (argument.size() < 2 || !((argument.front() == '"' && argument.back() == '"') ||
                                     (argument.front() == '<' && argument.back() == '>')))
            fail(file, line, "#include needs a file name in \"...\" or <...>");
        const bool quoted = argument.front() == '"';
        const std::string name = argument.substr(1, argument.size() - 2);
        if (name == "stdosl.h")
            return; // the standard library is known to the front end itself
        if (depth >= MAX_INCLUDE_DEPTH)
            fail(file, line, "#include nested too deeply (does \"" + name + "\" include itself?)");

        const std::string path = resolve(name, quoted ? folder : std::string());
        if (path.empty())
            fail(file, line, "cannot find include file \"" + name + "\"");
        if (onceFiles_.count(path))
            return;
        included_.insert(path);
        std::ifstream stream(path, std::ios::binary);
        if (!stream)
            fail(file, line, "cannot read include file \"" + path + "\"");
        std::ostringstream content;
        content << stream.rdbuf();
        const std::string includedFolder = fs::path(path).parent_path().string();
        processFile(content.str(), path, includedFolder.empty() ? "." : includedFolder, depth + 1);
    }

    std::string resolve(const std::string& name, const std::string& includingFolder) const
    {
        std::error_code ignored;
        const fs::path given(name);
        if (given.is_absolute())
            return fs::is_regular_file(given, ignored) ? given.lexically_normal().string() : std::string();
        std::vector<std::string> folders;
        if (!includingFolder.empty())
            folders.push_back(includingFolder);
        folders.insert(folders.end(), includeFolders_.begin(), includeFolders_.end());
        for (const std::string& folder : folders)
        {
            const fs::path candidate = fs::path(folder) / given;
            if (fs::is_regular_file(candidate, ignored))
                return candidate.lexically_normal().string();
        }
        return {};
    }

    const std::vector<std::string>& includeFolders_;
    std::map<std::string, Macro> macros_;
    std::set<std::string> onceFiles_;
    std::set<std::string> included_;
    std::vector<SourceLine> result_;
};

} // namespace

PreprocessResult preprocessOsl(const std::string& text, const std::string& sourceFilePath,
                               const std::vector<std::string>& includeFolders)
{
    PreprocessResult result;
    Preprocessor preprocessor(includeFolders);
    const std::string file = sourceFilePath.empty() ? UNNAMED_SOURCE_NAME : sourceFilePath;
    std::string folder;
    if (!sourceFilePath.empty())
    {
        folder = fs::path(sourceFilePath).parent_path().string();
        if (folder.empty())
            folder = ".";
    }
    try
    {
        preprocessor.processFile(text, file, folder, 0);
        result.lines = preprocessor.takeLines();
        result.includedFiles = preprocessor.includedFiles();
    }
    catch (const PreprocessError& error)
    {
        result.error = error.message;
    }
    return result;
}

} // namespace Norvane::osl
