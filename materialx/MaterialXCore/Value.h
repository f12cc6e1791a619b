#ifndef MATERIALX_VALUE_H
#define MATERIALX_VALUE_H

/// @file
/// Generic value classes

#include <MaterialXCore/Exception.h>
#include <MaterialXCore/Types.h>
#include <MaterialXCore/Util.h>

MATERIALX_NAMESPACE_BEGIN

/// A vector of integers.
using IntVec = vector<int>;
/// A vector of booleans.
using BoolVec = vector<bool>;
/// A vector of floats.
using FloatVec = vector<float>;

class Value;

/// A shared pointer to a Value
using ValuePtr = shared_ptr<Value>;
/// A shared pointer to a const Value
using ConstValuePtr = shared_ptr<const Value>;

template <class T> class TypedValue;

/// @class Value
/// A generic, discriminated value, whose type may be queried dynamically.
class MX_CORE_API Value
{
  public:
    /// Float formats to use when converting values to strings.
    enum FloatFormat
    {
        FloatFormatDefault = 0,
        FloatFormatFixed = 1,
        FloatFormatScientific = 2
    };

    /// Sets the float format and precision for the lifetime of the object,
    /// restoring the previous settings on destruction.
    class MX_CORE_API ScopedFloatFormatting
    {
      public:
        explicit ScopedFloatFormatting(FloatFormat format, int precision = -1);
        ~ScopedFloatFormatting();
        ScopedFloatFormatting(const ScopedFloatFormatting&) = delete;
        ScopedFloatFormatting& operator=(const ScopedFloatFormatting&) = delete;

      private:
        FloatFormat format_;
        int precision_;
    };

    Value() = default;
    virtual ~Value() = default;

    /// Create a new value from an object of any valid MaterialX type.
    template <class T> static ValuePtr createValue(const T& data)
    {
        return std::make_shared<TypedValue<T>>(data);
    }

    // Creates a string value from a character pointer.
    static ValuePtr createValue(const char* data)
    {
        return createValue(data ? string(data) : string());
    }

    /// Create a new value instance from value and type strings.
    /// @return A shared pointer to a typed value, or an empty shared pointer
    ///    if the conversion to the given data type cannot be performed.
    ///    Types without a registered form (filename, shader types, ...) are
    ///    held as string values.
    static ValuePtr createValueFromStrings(const string& value, const string& type);

    /// Create a deep copy of the value.
    virtual ValuePtr copy() const = 0;

    /// Return true if this value is of the given type.
    template <class T> bool isA() const;

    /// Return our underlying data as an object of the given type.
    /// @throws ExceptionTypeError if the value is not of the given type.
    template <class T> const T& asA() const;

    /// Return the type string for this value.
    virtual const string& getTypeString() const = 0;

    /// Return the value string for this value.
    virtual string getValueString() const = 0;

    bool operator==(const Value& rhs) const { return isEqual(rhs); }
    bool operator!=(const Value& rhs) const { return !isEqual(rhs); }

    /// Set float formatting for converting values to strings.
    static void setFloatFormat(FloatFormat format);
    /// Set float precision for converting values to strings.
    static void setFloatPrecision(int precision);
    static FloatFormat getFloatFormat();
    static int getFloatPrecision();

  protected:
    virtual bool isEqual(const Value& other) const = 0;
};

/// The class template for typed subclasses of Value
template <class T> class MX_CORE_API TypedValue : public Value
{
  public:
    TypedValue() :
        data_{}
    {
    }
    explicit TypedValue(const T& value) :
        data_(value)
    {
    }

    ValuePtr copy() const override { return Value::createValue<T>(data_); }

    void setData(const T& value) { data_ = value; }
    void setData(const TypedValue<T>& value) { data_ = value.data_; }
    const T& getData() const { return data_; }

    const string& getTypeString() const override;
    string getValueString() const override;

    /// Create a new value of this type from a value string.
    /// @return A shared pointer to a typed value, or an empty shared pointer
    ///    if the string does not parse as this type.
    static ValuePtr createFromString(const string& value);

    static const string TYPE;

  protected:
    bool isEqual(const Value& other) const override
    {
        const TypedValue<T>* typed = dynamic_cast<const TypedValue<T>*>(&other);
        return typed && data_ == typed->data_;
    }

  private:
    T data_;
};

/// Return the type string associated with the given data type.
template <class T> MX_CORE_API const string& getTypeString();

/// Convert the given data value to a value string.
template <class T> MX_CORE_API string toValueString(const T& data);

/// Convert the given value string to a data value of the given type.
/// @throws ExceptionTypeError if the conversion cannot be performed.
template <class T> MX_CORE_API T fromValueString(const string& value);

template <class T> bool Value::isA() const
{
    return dynamic_cast<const TypedValue<T>*>(this) != nullptr;
}

template <class T> const T& Value::asA() const
{
    const TypedValue<T>* typed = dynamic_cast<const TypedValue<T>*>(this);
    if (!typed)
        throw ExceptionTypeError("Incorrect type specified for value");
    return typed->getData();
}

// The supported data types, instantiated in Value.cpp.
#define MATERIALX_VALUE_TYPES(X) \
    X(int)                       \
    X(bool)                      \
    X(float)                     \
    X(Color3)                    \
    X(Color4)                    \
    X(Vector2)                   \
    X(Vector3)                   \
    X(Vector4)                   \
    X(Matrix33)                  \
    X(Matrix44)                  \
    X(string)                    \
    X(IntVec)                    \
    X(BoolVec)                   \
    X(FloatVec)                  \
    X(StringVec)                 \
    X(long)                      \
    X(double)

#define MATERIALX_DECLARE_VALUE_TYPE(T)                  \
    template <> const string TypedValue<T>::TYPE;        \
    extern template class TypedValue<T>;                 \
    extern template const string& getTypeString<T>();    \
    extern template string toValueString(const T& data); \
    extern template T fromValueString(const string& value);
MATERIALX_VALUE_TYPES(MATERIALX_DECLARE_VALUE_TYPE)
#undef MATERIALX_DECLARE_VALUE_TYPE

MATERIALX_NAMESPACE_END

#endif
