#include <MaterialXCore/Value.h>

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <sstream>

namespace mx = MaterialX;

namespace
{

// Parses value as type and returns the value's own formatting, or "<null>"
// when the string does not parse.
std::string roundTrip(const std::string& value, const std::string& type)
{
    mx::ValuePtr v = mx::Value::createValueFromStrings(value, type);
    return v ? v->getValueString() : "<null>";
}

struct ParseCase
{
    const char* type;
    const char* value;
    const char* formatted; // nullptr: the string must not parse
};

class ValueParseTest : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(ValueParseTest, ParsesAndFormatsLikeTheReference)
{
    const ParseCase& c = GetParam();
    mx::ValuePtr v = mx::Value::createValueFromStrings(c.value, c.type);
    if (!c.formatted)
    {
        EXPECT_FALSE(v) << c.type << " \"" << c.value << "\" parsed as \"" << v->getValueString() << "\"";
        return;
    }
    ASSERT_TRUE(v) << c.type << " \"" << c.value << "\"";
    EXPECT_EQ(v->getValueString(), c.formatted);
}

INSTANTIATE_TEST_SUITE_P(Scalars, ValueParseTest, ::testing::Values(ParseCase{ "float", "0.8", "0.8" }, ParseCase{ "float", "1", "1" }, ParseCase{ "float", "-0.25", "-0.25" }, ParseCase{ "float", "+2", "2" }, ParseCase{ "float", ".5", "0.5" }, ParseCase{ "float", "5.", "5" }, ParseCase{ "float", "1e3", "1000" }, ParseCase{ "float", "2.5E-2", "0.025" }, ParseCase{ "float", "0.123456789", "0.123457" }, ParseCase{ "float", "123456789", "1.23457e+08" }, ParseCase{ "float", "0.0000001", "1e-07" }, ParseCase{ "float", "-0", "-0" }, ParseCase{ "float", "0.05", "0.05" }, ParseCase{ "float", "1.0000000001", "1" }, ParseCase{ "float", "16777217", "1.67772e+07" }, ParseCase{ "float", "  3", "3" }, // leading white space is skipped
                                                                    ParseCase{ "float", "1.5abc", "1.5" },                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                              // trailing text is ignored
                                                                    ParseCase{ "float", "1 2", "1" }, ParseCase{ "float", "1e-50", "0" },                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                                               // underflow is not an error
                                                                    ParseCase{ "float", "abc", nullptr }, ParseCase{ "float", "", nullptr }, ParseCase{ "float", " ", nullptr }, ParseCase{ "float", ".", nullptr }, ParseCase{ "float", "-", nullptr }, ParseCase{ "float", "1e", nullptr },                                                                                                                                                                                                                                                                                                                                                                                                                           // an exponent without digits
                                                                    ParseCase{ "float", "1e+", nullptr }, ParseCase{ "float", "e5", nullptr }, ParseCase{ "float", "inf", nullptr }, ParseCase{ "float", "nan", nullptr }, ParseCase{ "float", "1e50", nullptr },                                                                                                                                                                                                                                                                                                                                                                                                                                                       // overflow is
                                                                    ParseCase{ "float", ",1", nullptr }, ParseCase{ "integer", "42", "42" }, ParseCase{ "integer", "-7", "-7" }, ParseCase{ "integer", "+7", "7" }, ParseCase{ "integer", "007", "7" }, ParseCase{ "integer", "1.9", "1" }, ParseCase{ "integer", "2147483647", "2147483647" }, ParseCase{ "integer", "-2147483648", "-2147483648" }, ParseCase{ "integer", "2147483648", nullptr }, ParseCase{ "integer", "-2147483649", nullptr }, ParseCase{ "integer", "99999999999999999999999", nullptr }, ParseCase{ "integer", "x1", nullptr }, ParseCase{ "integer", "", nullptr }, ParseCase{ "integer", "-", nullptr }, ParseCase{ "boolean", "true", "true" }, ParseCase{ "boolean", "false", "false" }, ParseCase{ "boolean", "True", nullptr }, ParseCase{ "boolean", "1", nullptr }, ParseCase{ "boolean", " true", nullptr }, ParseCase{ "boolean", "", nullptr }));

INSTANTIATE_TEST_SUITE_P(Vectors, ValueParseTest, ::testing::Values(ParseCase{ "color3", "0.8, 0.5, 0.25", "0.8, 0.5, 0.25" }, ParseCase{ "color3", "0.8,0.5,0.25", "0.8, 0.5, 0.25" }, ParseCase{ "color3", "  1 ,, 2   3 ", "1, 2, 3" }, // separators run together
                                                                    ParseCase{ "color3", "0.1, 0.2", nullptr }, ParseCase{ "color3", "0.1, 0.2, 0.3, 0.4", nullptr }, ParseCase{ "color3", "0.1, x, 0.3", nullptr }, ParseCase{ "color3", "", nullptr }, ParseCase{ "color4", "1, 0, 0, 0.5", "1, 0, 0, 0.5" }, ParseCase{ "color4", "1, 0, 0", nullptr }, ParseCase{ "vector2", "2,3", "2, 3" }, ParseCase{ "vector2", "2", nullptr }, ParseCase{ "vector3", "0, 0, 1", "0, 0, 1" }, ParseCase{ "vector3", "0;0;1", nullptr }, ParseCase{ "vector4", "1, 2, 3, 4", "1, 2, 3, 4" }, ParseCase{ "vector4", "1, 2, 3, 4, 5", nullptr }, ParseCase{ "matrix33", "1,0,0, 0,1,0, 0,0,1", "1, 0, 0, 0, 1, 0, 0, 0, 1" }, ParseCase{ "matrix33", "1, 0, 0, 0, 1, 0, 0, 0", nullptr }, ParseCase{ "matrix44", "1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1", "1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1" }, ParseCase{ "matrix44", "1, 0, 0, 0, 1, 0, 0, 0, 1", nullptr }));

INSTANTIATE_TEST_SUITE_P(ArraysAndStrings, ValueParseTest, ::testing::Values(ParseCase{ "integerarray", "1, 2, 3", "1, 2, 3" }, ParseCase{ "integerarray", "", "" }, ParseCase{ "integerarray", "1, a", nullptr }, ParseCase{ "floatarray", "0.5 1.5,2", "0.5, 1.5, 2" }, ParseCase{ "floatarray", "0.5, ?", nullptr }, ParseCase{ "booleanarray", "true, false", "true, false" }, ParseCase{ "booleanarray", "true, no", nullptr }, ParseCase{ "stringarray", "a, b c", "a, b, c" }, ParseCase{ "string", "any text, kept as is ", "any text, kept as is " }, ParseCase{ "string", "", "" },
                                                                             // Types without a data form of their own are held as strings.
                                                                             ParseCase{ "filename", "../tex/wood.png", "../tex/wood.png" }, ParseCase{ "surfaceshader", "", "" }, ParseCase{ "no_such_type", "0.1, 0.2", "0.1, 0.2" }));

// The reference reads scalars with formatted stream extraction; random
// strings over the characters that matter must give the same verdicts and
// values as a stream does.
template <class T> bool streamReads(const std::string& str, T& data)
{
    std::istringstream ss(str);
    return static_cast<bool>(ss >> data);
}

template <class T> void compareWithStream(const std::string& type)
{
    std::mt19937 rng(7);
    const std::string alphabet = "0123456789+-.eE\t x";
    for (int i = 0; i < 20000; i++)
    {
        std::string str;
        const size_t len = rng() % 9;
        for (size_t j = 0; j < len; j++)
            str += alphabet[rng() % alphabet.size()];
        T expected{};
        const bool ok = streamReads(str, expected);
        mx::ValuePtr v = mx::Value::createValueFromStrings(str, type);
        ASSERT_EQ(ok, v != nullptr) << type << " \"" << str << "\"";
        if (ok)
        {
            ASSERT_EQ(v->asA<T>(), expected) << type << " \"" << str << "\"";
        }
    }
}

TEST(ValueStreamRules, FloatsParseAsAStreamReadsThem)
{
    compareWithStream<float>("float");
}

TEST(ValueStreamRules, IntegersParseAsAStreamReadsThem)
{
    compareWithStream<int>("integer");
}

TEST(ValueTypes, TypeStringsFollowTheParsedType)
{
    EXPECT_EQ(mx::Value::createValueFromStrings("1", "integer")->getTypeString(), "integer");
    EXPECT_EQ(mx::Value::createValueFromStrings("1", "float")->getTypeString(), "float");
    EXPECT_EQ(mx::Value::createValueFromStrings("1,1,1", "color3")->getTypeString(), "color3");
    EXPECT_EQ(mx::Value::createValueFromStrings("1,1", "vector2")->getTypeString(), "vector2");
    EXPECT_EQ(mx::Value::createValueFromStrings("a", "stringarray")->getTypeString(), "stringarray");
    EXPECT_EQ(mx::Value::createValueFromStrings("a.png", "filename")->getTypeString(), "string");
    EXPECT_EQ(mx::getTypeString<mx::Matrix44>(), "matrix44");
    EXPECT_EQ(mx::getTypeString<mx::BoolVec>(), "booleanarray");
    EXPECT_EQ(mx::getTypeString<mx::Color4>(), "color4");
}

TEST(ValueTypes, IsAAndAsAMatchTheStoredType)
{
    mx::ValuePtr c = mx::Value::createValue(mx::Color3(0.8f, 0.5f, 0.25f));
    EXPECT_TRUE(c->isA<mx::Color3>());
    EXPECT_FALSE(c->isA<mx::Vector3>()); // same layout, different type
    EXPECT_FALSE(c->isA<float>());
    EXPECT_EQ(c->asA<mx::Color3>(), mx::Color3(0.8f, 0.5f, 0.25f));
    EXPECT_THROW(c->asA<mx::Vector3>(), mx::ExceptionTypeError);
    EXPECT_THROW(c->asA<std::string>(), mx::Exception);

    mx::ValuePtr s = mx::Value::createValue("text");
    ASSERT_TRUE(s->isA<std::string>());
    EXPECT_EQ(s->asA<std::string>(), "text");
    try
    {
        s->asA<int>();
        FAIL() << "asA on a mismatched type must throw";
    }
    catch (const mx::ExceptionTypeError& e)
    {
        EXPECT_STRNE(e.what(), "");
    }
}

TEST(ValueTypes, CopiesCompareEqualAndAreIndependent)
{
    mx::ValuePtr a = mx::Value::createValueFromStrings("1, 2, 3", "vector3");
    mx::ValuePtr b = a->copy();
    EXPECT_EQ(*a, *b);
    std::static_pointer_cast<mx::TypedValue<mx::Vector3>>(b)->setData(mx::Vector3(1, 2, 4));
    EXPECT_NE(*a, *b);
    EXPECT_EQ(a->getValueString(), "1, 2, 3");
    // Equal data of different types are not equal values.
    EXPECT_NE(*mx::Value::createValueFromStrings("1,2,3", "color3"), *a);
}

TEST(ValueStrings, ToAndFromValueStringForEveryType)
{
    EXPECT_EQ(mx::toValueString(true), "true");
    EXPECT_EQ(mx::toValueString(false), "false");
    EXPECT_EQ(mx::toValueString(5), "5");
    EXPECT_EQ(mx::toValueString(0.5f), "0.5");
    EXPECT_EQ(mx::toValueString(0.1f), "0.1");
    EXPECT_EQ(mx::toValueString(1.0f / 3.0f), "0.333333");
    EXPECT_EQ(mx::toValueString(mx::Vector2(2, 3)), "2, 3");
    EXPECT_EQ(mx::toValueString(mx::Color4(1, 0.5f, 0, 1)), "1, 0.5, 0, 1");
    EXPECT_EQ(mx::toValueString(mx::Matrix33::IDENTITY), "1, 0, 0, 0, 1, 0, 0, 0, 1");
    EXPECT_EQ(mx::toValueString(mx::IntVec{ 1, -2 }), "1, -2");
    EXPECT_EQ(mx::toValueString(mx::BoolVec{ true, false }), "true, false");
    EXPECT_EQ(mx::toValueString(mx::FloatVec{}), "");
    EXPECT_EQ(mx::toValueString(mx::StringVec{ "a", "b" }), "a, b");
    EXPECT_EQ(mx::toValueString(std::string("x y")), "x y");

    EXPECT_EQ(mx::fromValueString<int>("12"), 12);
    EXPECT_EQ(mx::fromValueString<float>("0.25"), 0.25f);
    EXPECT_EQ(mx::fromValueString<bool>("true"), true);
    EXPECT_EQ(mx::fromValueString<mx::Color3>("1, 0, 0"), mx::Color3(1, 0, 0));
    EXPECT_EQ(mx::fromValueString<mx::Matrix44>(mx::toValueString(mx::Matrix44::IDENTITY)), mx::Matrix44::IDENTITY);
    EXPECT_EQ(mx::fromValueString<mx::StringVec>("a,b"), (mx::StringVec{ "a", "b" }));
    EXPECT_THROW(mx::fromValueString<int>("abc"), mx::ExceptionTypeError);
    EXPECT_THROW(mx::fromValueString<mx::Vector3>("1, 2"), mx::ExceptionTypeError);
    EXPECT_THROW(mx::fromValueString<bool>("yes"), mx::ExceptionTypeError);
}

TEST(ValueStrings, FormattedFloatsParseBackToTheSameValue)
{
    for (float f : { 0.8f, 1e-7f, 123456.0f, -3.5f, 0.0f, 1e30f })
    {
        mx::ValuePtr v = mx::Value::createValueFromStrings(mx::toValueString(f), "float");
        ASSERT_TRUE(v);
        EXPECT_NEAR(v->asA<float>(), f, std::abs(f) * 1e-5f);
    }
}

TEST(ValueStrings, FloatFormattingIsScoped)
{
    {
        mx::Value::ScopedFloatFormatting fmt(mx::Value::FloatFormatFixed, 3);
        EXPECT_EQ(mx::toValueString(0.5f), "0.500");
        EXPECT_EQ(mx::toValueString(mx::Vector2(1, 2)), "1.000, 2.000");
        {
            mx::Value::ScopedFloatFormatting sci(mx::Value::FloatFormatScientific);
            EXPECT_EQ(mx::toValueString(1500.0f), "1.500e+03");
        }
        EXPECT_EQ(mx::Value::getFloatFormat(), mx::Value::FloatFormatFixed);
    }
    EXPECT_EQ(mx::Value::getFloatFormat(), mx::Value::FloatFormatDefault);
    EXPECT_EQ(mx::Value::getFloatPrecision(), 6);
    EXPECT_EQ(mx::toValueString(0.5f), "0.5");
}

TEST(ValueStrings, VeryLongStringsDoNotBreakParsing)
{
    const std::string digits(100000, '1');
    EXPECT_FALSE(mx::Value::createValueFromStrings(digits, "integer"));
    EXPECT_FALSE(mx::Value::createValueFromStrings(digits, "float")); // overflows
    EXPECT_EQ(roundTrip("0." + digits, "float"), "0.111111");
    std::string many;
    for (int i = 0; i < 10000; i++)
        many += "1, ";
    mx::ValuePtr v = mx::Value::createValueFromStrings(many, "integerarray");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->asA<mx::IntVec>().size(), 10000u);
    EXPECT_FALSE(mx::Value::createValueFromStrings(many, "vector3"));
}

TEST(Types, VectorAndMatrixArithmetic)
{
    const mx::Vector3 a(1, 0, 0), b(0, 1, 0);
    EXPECT_EQ(a.cross(b), mx::Vector3(0, 0, 1));
    EXPECT_EQ(a.dot(b), 0.0f);
    EXPECT_EQ((a + b) * 2.0f, mx::Vector3(2, 2, 0));
    EXPECT_FLOAT_EQ(mx::Vector2(3, 4).getMagnitude(), 5.0f);
    EXPECT_EQ(mx::Vector2(3, 4).getNormalized(), mx::Vector2(0.6f, 0.8f));
    EXPECT_EQ(-mx::Color3(1, 2, 3), mx::Color3(-1, -2, -3));
    EXPECT_TRUE(mx::Vector2(1, 2) < mx::Vector2(1, 3));

    const mx::Matrix44 t = mx::Matrix44::createTranslation(mx::Vector3(1, 2, 3));
    EXPECT_EQ(t.transformPoint(mx::Vector3(0, 0, 0)), mx::Vector3(1, 2, 3));
    EXPECT_EQ(t.transformVector(mx::Vector3(1, 0, 0)), mx::Vector3(1, 0, 0));
    EXPECT_TRUE((t * t.getInverse()).isEquivalent(mx::Matrix44::IDENTITY, 1e-6f));
    const mx::Matrix33 s = mx::Matrix33::createScale(mx::Vector2(2, 4));
    EXPECT_FLOAT_EQ(s.getDeterminant(), 8.0f);
    EXPECT_TRUE((s / s).isEquivalent(mx::Matrix33::IDENTITY, 1e-6f));
    EXPECT_EQ(s.getTranspose(), s);
}

} // anonymous namespace
