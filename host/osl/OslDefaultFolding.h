#pragma once
// Default and metadata expressions, and their folding into constant
// components of a declared type. Internal to the source parser.

#include "OslLexer.h"
#include "OslShaderInfo.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Norvane::osl
{

// Thrown inside the parser only; the public functions turn it into an error value.
struct OslSyntaxError
{
    std::string message;
};

// arrayLength of a declared "x[]" until its initialiser gives the length.
constexpr int UNSIZED_ARRAY = -1;

struct Expr
{
    enum class Kind
    {
        IntLiteral,
        FloatLiteral,
        StringLiteral,
        Name,
        Unary,
        Binary,
        Call,
        InitList,
        Other
    };
    Kind kind = Kind::Other;
    double number = 0.0;
    std::string text; // name, operator or string contents
    std::vector<Expr> operands;
    const Token* at = nullptr;
};

struct FoldedDefault
{
    bool constant = true;
    std::vector<OslValue> components; // zeros when not constant
};

class DefaultFolder
{
  public:
    using FailFunction = std::function<void(const Token&, const std::string&)>; // must not return

    DefaultFolder(const std::map<std::string, OslStructDecl>& structs, FailFunction fail) :
        structs_(structs),
        fail_(std::move(fail)) {}

    // Fits the expression to the type; an unsized array gets its length here.
    // `what` names the declaration in messages ("parameter 'amount'").
    FoldedDefault foldTo(const Expr& expr, OslType& type, const std::string& what);

  private:
    enum class Shape
    {
        Int,
        Float,
        Triple,
        Matrix,
        String,
        Struct
    };
    struct Folded
    {
        bool constant = true;
        Shape shape = Shape::Float;
        std::string structName;
        std::vector<OslValue> components;
    };

    static Folded notConstant();
    Folded fold(const Expr& expr);
    Folded foldCall(const Expr& call);
    Folded foldArithmetic(const Expr& expr);
    FoldedDefault foldElement(const Expr& expr, const OslType& type, const std::string& what);
    FoldedDefault foldStruct(const Expr& at, const std::vector<Expr>& items, const OslStructDecl& decl,
                             const std::string& what);
    FoldedDefault coerce(const Expr& expr, const Folded& value, const OslType& type, const std::string& what);
    [[noreturn]] void fail(const Expr& at, const std::string& message) const;
    static std::string shapeName(const Folded& value);

    const std::map<std::string, OslStructDecl>& structs_;
    FailFunction fail_;
};

} // namespace Norvane::osl
