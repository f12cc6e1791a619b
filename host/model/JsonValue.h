#pragma once
// A read-only JSON document as the host's file readers walk it, parsed in one
// pass without Qt's JSON tree. Lookups answer as QJsonValue's do: a missing
// key or index, or a value of another kind, reads as undefined, empty, 0 or
// false; of repeated keys the last one counts.
#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QByteArray;
class QJsonValue;

namespace Norvane
{

struct JsonArena;

class JsonValue
{
  public:
    enum class Type : unsigned char
    {
        Undefined,
        Null,
        Bool,
        Number,
        String,
        Array,
        Object
    };

    JsonValue();
    JsonValue(JsonValue&&) noexcept;
    JsonValue& operator=(JsonValue&&) noexcept;
    JsonValue(const JsonValue&) = delete;
    JsonValue& operator=(const JsonValue&) = delete;
    ~JsonValue();

    // A copy of a value of Qt's tree.
    static JsonValue FromQt(const QJsonValue& v);
    // The document of `json`, a JSON object; false when `json` is not one or
    // uses what this parser leaves to Qt's (a byte-order mark, a lone control
    // character, a number beyond double, very deep nesting).
    static bool Parse(const QByteArray& json, JsonValue& out);

    Type type() const { return type_; }
    bool isUndefined() const { return type_ == Type::Undefined; }
    bool isNull() const { return type_ == Type::Null; }
    bool isBool() const { return type_ == Type::Bool; }
    bool isDouble() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isArray() const { return type_ == Type::Array; }
    bool isObject() const { return type_ == Type::Object; }

    bool toBool(bool otherwise = false) const { return type_ == Type::Bool ? number_ != 0.0 : otherwise; }
    double toDouble(double otherwise = 0.0) const { return type_ == Type::Number ? number_ : otherwise; }
    // A whole number in int's range; `otherwise` for anything else.
    int toInt(int otherwise = 0) const;
    QString toString() const { return type_ == Type::String ? text_ : QString(); }

    // Entries of an array; none for anything else.
    int size() const { return type_ == Type::Array ? static_cast<int>(count_) : 0; }
    const JsonValue& operator[](int i) const;
    const JsonValue* begin() const { return type_ == Type::Array ? items_ : nullptr; }
    const JsonValue* end() const { return type_ == Type::Array ? items_ + count_ : nullptr; }

    // Members of an object.
    const JsonValue& value(std::string_view key) const;
    bool contains(std::string_view key) const { return Find(key) != nullptr; }
    // Member keys in file order (repeats included); none for anything but an object.
    std::vector<std::string_view> keys() const;

  private:
    friend class JsonParser;
    friend struct JsonArena;
    const JsonValue* Find(std::string_view key) const;
    static void FromQt(const QJsonValue& v, JsonValue& out, JsonArena& arena);

    Type type_ = Type::Undefined;
    unsigned count_ = 0; // entries or members
    double number_ = 0.0;
    QString text_;
    // Entries (array) or member values (object) and keys, in the document's arena.
    JsonValue* items_ = nullptr;
    std::string_view* keys_ = nullptr;
    std::unique_ptr<JsonArena> arena_; // the document's top value only
};

} // namespace Norvane
