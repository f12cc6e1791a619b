#include "OslTypeCheck.h"

#include <functional>
#include <set>
#include <sstream>

namespace oslgen::types
{

using oslgen::lint::isPunct;
using oslgen::lint::skipGroup;
using oslgen::lint::Token;

namespace
{

// The type of an expression. An empty base marks an expression already reported.
struct Ty
{
    std::string base;
    int array = -1;    // -1: not an array, 0: unsized
    bool poly = false; // a built-in whose result type comes from where it is stored
    bool lvalue = false;
    bool isList = false; // a compound initializer
    std::vector<Ty> list;

    bool bad() const { return base.empty() && !isList; }
};

Ty of(const std::string& base, int array = -1)
{
    Ty t;
    t.base = base;
    t.array = array;
    return t;
}

bool isPtype(const std::string& b)
{
    return b == "point" || b == "vector" || b == "normal";
}
bool isTriple(const std::string& b)
{
    return b == "color" || isPtype(b);
}
bool isScalar(const std::string& b)
{
    return b == "int" || b == "float";
}

std::string describe(const Ty& t)
{
    if (t.isList)
        return "{...}";
    if (t.poly)
        return "<result-typed built-in>";
    return t.base + (t.array >= 0 ? "[" + (t.array ? std::to_string(t.array) : std::string()) + "]" : "");
}

// Merges two-character operators the tokenizer split.
std::vector<Token> mergeOperators(const std::vector<Token>& in)
{
    static const std::set<std::string> pairs = { "==", "!=", "<=", ">=", "&&", "||",
                                                 "+=", "-=", "*=", "/=", "++", "--" };
    std::vector<Token> out;
    for (size_t i = 0; i < in.size(); ++i)
    {
        if (i + 1 < in.size() && in[i].kind == Token::Punct && in[i + 1].kind == Token::Punct &&
            pairs.count(in[i].text + in[i + 1].text))
        {
            out.push_back({ Token::Punct, in[i].text + in[i + 1].text });
            ++i;
        }
        else
        {
            out.push_back(in[i]);
        }
    }
    return out;
}

struct Candidate
{
    std::string ret;
    struct P
    {
        std::string type; // a type, "ANY" or "ARRAY"
        bool isArray = false;
        bool isOutput = false;
    };
    std::vector<P> params;
    bool variadic = false; // optional name/value pairs follow
};

// Built-in functions the shaders may call, "T" standing for float and the triples,
// "P" for the point-like types.
const std::map<std::string, std::vector<Candidate>>& builtins()
{
    static const std::map<std::string, std::vector<Candidate>> table = [] {
        static const char* signatures[] = {
            "T floor(T)", "T ceil(T)", "T round(T)", "T abs(T)", "T sign(T)", "T sin(T)",
            "T cos(T)", "T tan(T)", "T asin(T)", "T acos(T)", "T sqrt(T)", "T log(T)", "T exp(T)",
            "T radians(T)", "T Dx(T)", "T Dy(T)", "T atan2(T,T)", "T pow(T,T)", "T pow(T,float)",
            "T min(T,T)", "T max(T,T)", "T mod(T,T)", "T clamp(T,T,T)", "T mix(T,T,T)",
            "T mix(T,T,float)", "T smoothstep(T,T,T)", "float dot(vector,vector)",
            "vector cross(vector,vector)", "float length(vector)", "vector normalize(vector)",
            "normal normalize(normal)", "float distance(point,point)", "P transform(string,P)",
            "P transform(string,string,P)", "P transform(matrix,P)",
            "color transformc(string,string,color)", "color transformc(string,color)",
            "vector calculatenormal(point)", "int getattribute(string,out ANY)",
            "int gettextureinfo(string,string,out ANY)", "poly texture(string,float,float,...)",
            "poly noise(string,float,float,...)", "poly noise(string,point,...)",
            "poly cellnoise(float,float)", "poly cellnoise(point)", "poly hashnoise(float,float)",
            "poly hashnoise(point)", "int trace(point,vector,...)", "vector reflect(vector,vector)",
            "vector refract(vector,vector,float)", "matrix transpose(matrix)",
            "float determinant(matrix)", "string substr(string,int,int)", "int arraylength(ARRAY)",
            "color blackbody(float)", "float luminance(color)"
        };
        std::map<std::string, std::vector<Candidate>> t;
        for (const char* signature : signatures)
        {
            std::string s = signature;
            const size_t space = s.find(' ');
            const size_t open = s.find('(');
            const std::string ret = s.substr(0, space);
            const std::string name = s.substr(space + 1, open - space - 1);
            std::vector<std::string> params;
            std::stringstream list(s.substr(open + 1, s.size() - open - 2));
            for (std::string p; std::getline(list, p, ',');)
                params.push_back(p);
            std::vector<std::string> generics = { "" };
            if (s.find('T') != std::string::npos && (ret == "T" || s.find("(T") != std::string::npos ||
                                                     s.find(",T") != std::string::npos))
                generics = { "float", "color", "point", "vector", "normal" };
            else if (ret == "P")
                generics = { "point", "vector", "normal" };
            for (const std::string& g : generics)
            {
                Candidate c;
                c.ret = ret == "T" || ret == "P" ? g : ret;
                for (const std::string& p : params)
                {
                    if (p == "...")
                    {
                        c.variadic = true;
                        continue;
                    }
                    Candidate::P param;
                    param.isOutput = p.rfind("out ", 0) == 0;
                    param.type = param.isOutput ? p.substr(4) : p;
                    if (param.type == "T" || param.type == "P")
                        param.type = g;
                    param.isArray = param.type == "ARRAY";
                    c.params.push_back(param);
                }
                t[name].push_back(c);
            }
        }
        return t;
    }();
    return table;
}

class Checker
{
  public:
    Checker(const Declarations& decls, size_t visibleFunctions, std::vector<std::string>& problems,
            std::string where) :
        decls_(decls),
        visible_(visibleFunctions),
        problems_(problems),
        where_(std::move(where))
    {
        scopes_.emplace_back();
        for (const auto& [name, type] : std::map<std::string, std::string>{
                 { "P", "point" }, { "N", "normal" }, { "Ng", "normal" }, { "I", "vector" }, { "u", "float" }, { "v", "float" }, { "dPdu", "vector" }, { "dPdv", "vector" }, { "time", "float" }, { "dtime", "float" }, { "M_PI", "float" }, { "M_2PI", "float" } })
            scopes_.front()[name] = { type, -1, true };
        scopes_.emplace_back();
    }

    void declare(const std::string& name, const Variable& v) { scopes_.back()[name] = v; }

    void checkStatements(const std::vector<Token>& tokens, const std::string& returnType)
    {
        toks_ = mergeOperators(tokens);
        pos_ = 0;
        returnType_ = returnType;
        while (pos_ < toks_.size() && ok_)
            statement();
    }

    // Checks `tokens` as one expression whose value is stored in `target`.
    void checkInitializer(const std::vector<Token>& tokens, const Ty& target, const std::string& what)
    {
        toks_ = mergeOperators(tokens);
        pos_ = 0;
        const Ty value = expression();
        if (ok_ && pos_ != toks_.size())
            fail("unexpected '" + toks_[pos_].text + "' in " + what);
        if (ok_)
            requireAssignable(target, value, what);
    }

    static Ty typeOfDeclared(const std::string& type, int array) { return of(type, array); }

  private:
    // ---- tokens
    const std::string& peek(size_t k = 0) const
    {
        static const std::string end;
        return pos_ + k < toks_.size() ? toks_[pos_ + k].text : end;
    }
    bool accept(const std::string& text)
    {
        if (peek() == text && pos_ < toks_.size() && toks_[pos_].kind != Token::String)
        {
            ++pos_;
            return true;
        }
        return false;
    }
    void expect(const std::string& text)
    {
        if (!accept(text))
            fail("expected '" + text + "' before '" + peek() + "'");
    }
    void fail(const std::string& message)
    {
        if (ok_)
            problems_.push_back(where_ + ": " + message);
        ok_ = false;
    }
    void report(const std::string& message) { problems_.push_back(where_ + ": " + message); }

    bool isTypeName(const std::string& name) const
    {
        return oslgen::lint::isBuiltinType(name) || decls_.structs.count(name);
    }

    const Variable* lookup(const std::string& name) const
    {
        for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope)
        {
            const auto found = scope->find(name);
            if (found != scope->end())
                return &found->second;
        }
        return nullptr;
    }

    // ---- conversions
    int conversionCost(const Ty& from, const Candidate::P& to) const
    {
        if (from.bad())
            return 0;
        if (from.poly || from.isList)
            return -1;
        if (to.type == "ANY")
            return 0;
        if (to.isArray)
            return from.array >= 0 ? 0 : -1;
        if (from.array >= 0)
            return -1;
        if (from.base == to.type)
            return 0;
        if (to.isOutput)
            return isPtype(from.base) && isPtype(to.type) ? 1 : -1;
        if (from.base == "int" && to.type == "float")
            return 1;
        if (isScalar(from.base) && isTriple(to.type))
            return 2;
        if (isPtype(from.base) && isPtype(to.type))
            return 1;
        return -1;
    }

    bool assignable(const Ty& to, const Ty& from) const
    {
        if (from.bad() || to.bad())
            return true;
        if (from.isList)
        {
            if (to.array >= 0)
            {
                if (to.array > 0 && static_cast<int>(from.list.size()) > to.array)
                    return false;
                for (const Ty& e : from.list)
                    if (!assignable(of(to.base), e))
                        return false;
                return true;
            }
            const auto s = decls_.structs.find(to.base);
            if (s == decls_.structs.end() || s->second.size() != from.list.size())
                return false;
            for (size_t i = 0; i < from.list.size(); ++i)
                if (!assignable(of(s->second[i].type), from.list[i]))
                    return false;
            return true;
        }
        if (from.poly)
            return to.array < 0 && (to.base == "float" || isTriple(to.base));
        if (to.array >= 0 || from.array >= 0)
            return to.array >= 0 && from.array >= 0 && to.base == from.base &&
                   (to.array == 0 || from.array <= to.array);
        if (to.base == from.base)
            return true;
        if (to.base == "float" && from.base == "int")
            return true;
        if ((isTriple(to.base) || to.base == "matrix") && isScalar(from.base))
            return true;
        return isPtype(to.base) && isPtype(from.base);
    }

    void requireAssignable(const Ty& to, const Ty& from, const std::string& what)
    {
        if (!assignable(to, from))
            report("cannot store " + describe(from) + " in " + describe(to) + " (" + what + ")");
    }

    // Picks the best overload; reports no match or ambiguity.
    Ty resolve(const std::string& name, const std::vector<Candidate>& candidates, const std::vector<Ty>& args)
    {
        int best = -1;
        std::vector<const Candidate*> winners;
        for (const Candidate& c : candidates)
        {
            if (args.size() < c.params.size() || (!c.variadic && args.size() != c.params.size()))
                continue;
            int cost = 0;
            for (size_t i = 0; i < c.params.size() && cost >= 0; ++i)
            {
                const int k = conversionCost(args[i], c.params[i]);
                if (k < 0 || (c.params[i].isOutput && !args[i].lvalue && !args[i].bad()))
                    cost = -1;
                else
                    cost += k;
            }
            if (cost < 0)
                continue;
            if (best < 0 || cost < best)
            {
                best = cost;
                winners = { &c };
            }
            else if (cost == best)
            {
                winners.push_back(&c);
            }
        }
        std::string argText;
        for (const Ty& a : args)
            argText += (argText.empty() ? "" : ", ") + describe(a);
        if (winners.empty())
        {
            report("no " + name + "(" + argText + ")");
            return Ty{};
        }
        for (const Candidate* w : winners)
        {
            bool same = w->params.size() == winners[0]->params.size();
            for (size_t i = 0; same && i < w->params.size(); ++i)
                same = w->params[i].type == winners[0]->params[i].type;
            if (!same)
            {
                report("ambiguous " + name + "(" + argText + ")");
                return Ty{};
            }
        }
        Ty r = of(winners[0]->ret);
        r.poly = winners[0]->ret == "poly";
        if (r.poly)
            r.base = "float";
        return r;
    }

    std::vector<Candidate> libraryCandidates(const std::string& name) const
    {
        std::vector<Candidate> out;
        for (size_t i = 0; i < visible_ && i < decls_.functions.size(); ++i)
        {
            const FunctionSignature& f = decls_.functions[i];
            if (f.name != name)
                continue;
            Candidate c;
            c.ret = f.returnType;
            for (const FunctionSignature::Param& p : f.params)
                c.params.push_back({ p.type, p.isArray, p.isOutput });
            out.push_back(c);
        }
        return out;
    }

    Ty structOperator(const std::string& op, const Ty& a, const Ty& b)
    {
        const std::vector<Candidate> c = libraryCandidates("__operator__" + op + "__");
        if (c.empty())
        {
            report("no operator " + op + " for " + describe(a) + " and " + describe(b));
            return Ty{};
        }
        return resolve("__operator__" + op + "__", c, { a, b });
    }

    // ---- expressions
    Ty expression() { return assignment(); }

    Ty assignment()
    {
        Ty lhs = conditional();
        static const std::set<std::string> ops = { "=", "+=", "-=", "*=", "/=" };
        if (ok_ && ops.count(peek()))
        {
            const std::string op = peek();
            ++pos_;
            const Ty rhs = assignment();
            if (!lhs.lvalue && !lhs.bad())
                report("assignment to something that is not a variable");
            const Ty value = op == "=" ? rhs : arithmetic(op.substr(0, 1), lhs, rhs);
            requireAssignable(lhs, value, "assignment");
            lhs.lvalue = false;
        }
        return lhs;
    }

    Ty conditional()
    {
        const Ty cond = logicalOr();
        if (!accept("?"))
            return cond;
        const Ty a = assignment();
        expect(":");
        const Ty b = conditional();
        if (a.bad() || b.bad())
            return Ty{};
        if (decls_.structs.count(a.base) || decls_.structs.count(b.base))
        {
            report("conditional expression on struct values");
            return Ty{};
        }
        if (assignable(a, b) && !(a.base == "int" && b.base == "float"))
            return of(a.base);
        if (assignable(b, a))
            return of(b.base);
        report("conditional branches " + describe(a) + " and " + describe(b) + " differ");
        return Ty{};
    }

    Ty logicalOr()
    {
        Ty t = logicalAnd();
        while (ok_ && (peek() == "||"))
        {
            ++pos_;
            logicalAnd();
            t = of("int");
        }
        return t;
    }
    Ty logicalAnd()
    {
        Ty t = equality();
        while (ok_ && (peek() == "&&"))
        {
            ++pos_;
            equality();
            t = of("int");
        }
        return t;
    }
    Ty equality()
    {
        Ty t = relational();
        while (ok_ && (peek() == "==" || peek() == "!="))
        {
            ++pos_;
            const Ty r = relational();
            if (!t.bad() && !r.bad() && !(t.base == r.base || (isScalar(t.base) && isScalar(r.base)) || (isScalar(t.base) && isTriple(r.base)) || (isTriple(t.base) && isScalar(r.base))))
                report("comparison of " + describe(t) + " with " + describe(r));
            if (!t.bad() && decls_.structs.count(t.base))
                report("comparison of struct values");
            t = of("int");
        }
        return t;
    }
    Ty relational()
    {
        Ty t = additive();
        while (ok_ && (peek() == "<" || peek() == ">" || peek() == "<=" || peek() == ">="))
        {
            ++pos_;
            const Ty r = additive();
            if (!t.bad() && !r.bad() && !(isScalar(t.base) && isScalar(r.base) && t.array < 0 && r.array < 0))
                report("ordering comparison of " + describe(t) + " with " + describe(r));
            t = of("int");
        }
        return t;
    }
    Ty additive()
    {
        Ty t = multiplicative();
        while (ok_ && (peek() == "+" || peek() == "-"))
        {
            const std::string op = peek();
            ++pos_;
            t = arithmetic(op, t, multiplicative());
        }
        return t;
    }
    Ty multiplicative()
    {
        Ty t = unary();
        while (ok_ && (peek() == "*" || peek() == "/" || peek() == "%"))
        {
            const std::string op = peek();
            ++pos_;
            t = arithmetic(op, t, unary());
        }
        return t;
    }

    Ty arithmetic(const std::string& op, const Ty& a, const Ty& b)
    {
        if (a.bad() || b.bad())
            return Ty{};
        const std::string a0 = a.base, b0 = b.base;
        if (a.poly || b.poly)
        {
            report("result-typed built-in used in arithmetic");
            return Ty{};
        }
        if (a.array >= 0 || b.array >= 0 || a0 == "string" || b0 == "string")
        {
            report("arithmetic on " + describe(a) + " and " + describe(b));
            return Ty{};
        }
        static const std::map<std::string, std::string> names = {
            { "+", "add" }, { "-", "sub" }, { "*", "mul" }, { "/", "div" }, { "%", "mod" }
        };
        if (decls_.structs.count(a0) || decls_.structs.count(b0))
            return structOperator(names.at(op), a, b);
        if (op == "%")
        {
            if (a0 == "int" && b0 == "int")
                return of("int");
            report("% on " + describe(a) + " and " + describe(b));
            return Ty{};
        }
        if (a0 == "matrix" || b0 == "matrix")
        {
            const bool other = (a0 == "matrix" || isScalar(a0)) && (b0 == "matrix" || isScalar(b0));
            if (other && (op == "*" || op == "/"))
                return of("matrix");
            report("matrix " + op + " with " + describe(a) + " and " + describe(b));
            return Ty{};
        }
        if (isScalar(a0) && isScalar(b0))
            return of(a0 == "int" && b0 == "int" ? "int" : "float");
        if (isScalar(a0))
            return of(b0);
        if (isScalar(b0))
            return of(a0);
        if (a0 == "color" || b0 == "color")
        {
            if (a0 == b0)
                return of("color");
            report("mixing colour and point-like values in " + op);
            return Ty{};
        }
        return of(a0 == b0 && op != "-" ? a0 : "vector");
    }

    Ty unary()
    {
        if (accept("-") || accept("+"))
        {
            const Ty t = unary();
            if (t.bad())
                return t;
            if (decls_.structs.count(t.base))
            {
                const std::vector<Candidate> c = libraryCandidates("__operator__neg__");
                return resolve("__operator__neg__", c, { t });
            }
            if (!(isScalar(t.base) || isTriple(t.base) || t.base == "matrix") || t.array >= 0)
                report("negation of " + describe(t));
            return of(t.base);
        }
        if (accept("!"))
        {
            unary();
            return of("int");
        }
        return postfix();
    }

    Ty postfix()
    {
        Ty t = primary();
        while (ok_)
        {
            if (accept("["))
            {
                const Ty index = expression();
                expect("]");
                if (!index.bad() && index.base != "int")
                    report("index of type " + describe(index));
                if (t.bad())
                    continue;
                // OSL indexes variables and struct fields only, not computed values.
                if (!t.lvalue)
                {
                    report("indexing a computed " + describe(t));
                    t = Ty{};
                    continue;
                }
                const bool lv = t.lvalue;
                if (t.array >= 0)
                    t = of(t.base);
                else if (isTriple(t.base))
                    t = of("float");
                else if (t.base == "matrix")
                    t = of("matrix-row");
                else if (t.base == "matrix-row")
                    t = of("float");
                else
                {
                    report("indexing " + describe(t));
                    t = Ty{};
                }
                t.lvalue = lv;
            }
            else if (accept("."))
            {
                const std::string field = peek();
                ++pos_;
                if (t.bad())
                    continue;
                if (!t.lvalue)
                {
                    report("member of a computed " + describe(t));
                    t = Ty{};
                    continue;
                }
                const bool lv = t.lvalue;
                const auto s = decls_.structs.find(t.base);
                Ty r;
                if (t.array < 0 && s != decls_.structs.end())
                {
                    for (const Field& f : s->second)
                        if (f.name == field)
                            r = of(f.type);
                }
                else if (t.array < 0 && t.base == "color" && (field == "r" || field == "g" || field == "b"))
                {
                    r = of("float");
                }
                else if (t.array < 0 && isPtype(t.base) && (field == "x" || field == "y" || field == "z"))
                {
                    r = of("float");
                }
                if (r.bad())
                    report("no member '" + field + "' in " + describe(t));
                r.lvalue = lv;
                t = r;
            }
            else
            {
                break;
            }
        }
        return t;
    }

    std::vector<Ty> arguments()
    {
        std::vector<Ty> args;
        if (accept(")"))
            return args;
        do
        {
            args.push_back(expression());
        } while (ok_ && accept(","));
        expect(")");
        return args;
    }

    Ty constructor(const std::string& type, const std::vector<Ty>& args)
    {
        auto allScalar = [&](size_t from) {
            for (size_t i = from; i < args.size(); ++i)
                if (!args[i].bad() && !(isScalar(args[i].base) && args[i].array < 0 && !args[i].poly))
                    return false;
            return true;
        };
        const auto s = decls_.structs.find(type);
        if (s != decls_.structs.end())
        {
            if (args.size() != s->second.size())
            {
                report(type + " built from " + std::to_string(args.size()) + " values");
                return of(type);
            }
            for (size_t i = 0; i < args.size(); ++i)
                requireAssignable(of(s->second[i].type), args[i], type + " member " + s->second[i].name);
            return of(type);
        }
        const bool named = !args.empty() && !args[0].bad() && args[0].base == "string";
        const size_t first = named ? 1 : 0;
        const size_t n = args.size() - first;
        bool ok = false;
        if (type == "float" || type == "int")
            ok = args.size() == 1 && allScalar(0);
        else if (isTriple(type))
            ok = (n == 3 && allScalar(first)) ||
                 (n == 1 && (allScalar(first) ||
                             (!args[first].bad() && (args[first].base == type ||
                                                     (isPtype(type) && isPtype(args[first].base))))));
        else if (type == "matrix")
            ok = (n == 16 || n == 1) && allScalar(first);
        if (!ok)
            report("cannot build " + type + " from these values");
        return of(type);
    }

    Ty primary()
    {
        if (pos_ >= toks_.size())
        {
            fail("expression ends early");
            return Ty{};
        }
        const Token t = toks_[pos_++];
        if (t.kind == Token::Number)
            return of(t.text.find_first_of(".eE") == std::string::npos ? "int" : "float");
        if (t.kind == Token::String)
            return of("string");
        if (t.text == "(")
        {
            Ty inner = expression();
            expect(")");
            return inner;
        }
        if (t.text == "{")
        {
            Ty list;
            list.isList = true;
            if (!accept("}"))
            {
                do
                {
                    list.list.push_back(expression());
                } while (ok_ && accept(","));
                expect("}");
            }
            return list;
        }
        if (t.kind != Token::Identifier)
        {
            fail("unexpected '" + t.text + "'");
            return Ty{};
        }
        if (accept("("))
        {
            const std::vector<Ty> args = arguments();
            if (isTypeName(t.text))
                return constructor(t.text, args);
            if (lookup(t.text))
            {
                report("'" + t.text + "' is a variable, not a function");
                return Ty{};
            }
            std::vector<Candidate> candidates = libraryCandidates(t.text);
            if (candidates.empty())
            {
                const auto b = builtins().find(t.text);
                if (b == builtins().end())
                {
                    report("unknown function '" + t.text + "'");
                    return Ty{};
                }
                candidates = b->second;
            }
            return resolve(t.text, candidates, args);
        }
        const Variable* v = lookup(t.text);
        if (!v)
        {
            report("'" + t.text + "' is not declared");
            return Ty{};
        }
        Ty r = of(v->type, v->arrayLength);
        r.lvalue = true;
        return r;
    }

    // ---- statements
    void statement()
    {
        if (accept(";"))
            return;
        if (accept("{"))
        {
            scopes_.emplace_back();
            while (ok_ && !accept("}"))
            {
                if (pos_ >= toks_.size())
                {
                    fail("unclosed block");
                    break;
                }
                statement();
            }
            scopes_.pop_back();
            return;
        }
        if (accept("if"))
        {
            expect("(");
            expression();
            expect(")");
            scoped([&] { statement(); });
            if (accept("else"))
                scoped([&] { statement(); });
            return;
        }
        if (accept("while"))
        {
            expect("(");
            expression();
            expect(")");
            scoped([&] { statement(); });
            return;
        }
        if (accept("for"))
        {
            scoped([&] {
                expect("(");
                if (!accept(";"))
                {
                    if (isTypeName(peek()))
                        declaration();
                    else
                    {
                        expression();
                        expect(";");
                    }
                }
                if (!accept(";"))
                {
                    expression();
                    expect(";");
                }
                if (!accept(")"))
                {
                    expression();
                    expect(")");
                }
                scoped([&] { statement(); });
            });
            return;
        }
        if (accept("return"))
        {
            if (accept(";"))
            {
                if (returnType_ != "void")
                    report("return without a value");
                return;
            }
            const Ty value = expression();
            expect(";");
            if (returnType_.empty() || returnType_ == "void")
                report("return with a value");
            else
                requireAssignable(of(returnType_), value, "return");
            return;
        }
        if (accept("break") || accept("continue"))
        {
            expect(";");
            return;
        }
        if (isTypeName(peek()) && pos_ + 1 < toks_.size() && toks_[pos_ + 1].kind == Token::Identifier)
        {
            declaration();
            return;
        }
        expression();
        expect(";");
    }

    void scoped(const std::function<void()>& body)
    {
        scopes_.emplace_back();
        body();
        scopes_.pop_back();
    }

    void declaration()
    {
        const std::string type = peek();
        ++pos_;
        do
        {
            const std::string name = peek();
            ++pos_;
            int array = -1;
            if (accept("["))
            {
                array = 0;
                if (!accept("]"))
                {
                    array = std::atoi(peek().c_str());
                    ++pos_;
                    expect("]");
                }
            }
            Ty target = of(type, array);
            if (accept("="))
                requireAssignable(target, expression(), "initialiser of " + name);
            declare(name, { type, array, false });
        } while (ok_ && accept(","));
        expect(";");
    }

    const Declarations& decls_;
    size_t visible_;
    std::vector<std::string>& problems_;
    std::string where_;
    std::vector<std::map<std::string, Variable>> scopes_;
    std::vector<Token> toks_;
    size_t pos_ = 0;
    bool ok_ = true;
    std::string returnType_;
};

} // namespace

Declarations readDeclarations(const std::string& source, std::vector<std::string>& problems)
{
    const std::vector<Token> t = oslgen::lint::tokenize(source);
    Declarations d;
    size_t i = 0;
    while (i < t.size())
    {
        if (t[i].text == "struct" && i + 2 < t.size() && isPunct(t, i + 2, "{"))
        {
            const std::string name = t[i + 1].text;
            std::vector<Field> fields;
            size_t k = i + 3;
            while (k + 2 < t.size() && !isPunct(t, k, "}"))
            {
                fields.push_back({ t[k].text, t[k + 1].text });
                k += 3; // type name ;
            }
            d.structs[name] = fields;
            i = k + 1;
            if (isPunct(t, i, ";"))
                ++i;
            continue;
        }
        if (i + 2 < t.size() && t[i].kind == Token::Identifier && t[i + 1].kind == Token::Identifier &&
            isPunct(t, i + 2, "("))
        {
            FunctionSignature f;
            f.returnType = t[i].text;
            f.name = t[i + 1].text;
            const size_t end = skipGroup(t, i + 2);
            size_t k = i + 3;
            while (k < end - 1)
            {
                FunctionSignature::Param p;
                if (t[k].text == "output")
                {
                    p.isOutput = true;
                    ++k;
                }
                p.type = t[k].text;
                p.name = t[k + 1].text;
                k += 2;
                if (isPunct(t, k, "["))
                {
                    p.isArray = true;
                    k = skipGroup(t, k);
                }
                f.params.push_back(p);
                if (isPunct(t, k, ","))
                    ++k;
            }
            if (!isPunct(t, end, "{"))
            {
                problems.push_back(f.name + ": no body");
                return d;
            }
            const size_t bodyEnd = skipGroup(t, end);
            f.body.assign(t.begin() + end + 1, t.begin() + bodyEnd - 1);
            d.functions.push_back(f);
            i = bodyEnd;
            continue;
        }
        problems.push_back("cannot read the declaration at '" + t[i].text + "'");
        return d;
    }
    return d;
}

std::vector<std::string> checkFunctions(const Declarations& decls)
{
    std::vector<std::string> problems;
    for (size_t i = 0; i < decls.functions.size(); ++i)
    {
        const FunctionSignature& f = decls.functions[i];
        std::string where = f.returnType + " " + f.name + "(";
        for (size_t k = 0; k < f.params.size(); ++k)
            where += (k ? ", " : "") + f.params[k].type;
        where += ")";
        Checker checker(decls, i + 1, problems, where);
        for (const FunctionSignature::Param& p : f.params)
            checker.declare(p.name, { p.type, p.isArray ? 0 : -1, !p.isOutput });
        checker.checkStatements(f.body, f.returnType);
    }
    return problems;
}

std::vector<std::string> checkShader(const oslgen::lint::ShaderHeader& shader, const Declarations& decls)
{
    std::vector<std::string> problems;
    std::vector<Variable> declared;
    {
        Checker defaults(decls, decls.functions.size(), problems, shader.name);
        for (const oslgen::lint::Parameter& p : shader.parameters)
        {
            const int array = p.arraySize.empty() ? -1 : std::atoi(p.arraySize.c_str());
            Checker one(decls, decls.functions.size(), problems, shader.name + " parameter " + p.name);
            one.checkInitializer(p.defaultTokens, Checker::typeOfDeclared(p.type, array), "default");
            declared.push_back({ p.type, array, !p.isOutput });
        }
    }
    Checker body(decls, decls.functions.size(), problems, shader.name);
    for (size_t i = 0; i < shader.parameters.size(); ++i)
        body.declare(shader.parameters[i].name, declared[i]);
    body.checkStatements(shader.body, "");
    return problems;
}

} // namespace oslgen::types
