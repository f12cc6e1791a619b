#pragma once
// A read-only JSON document as the host's file readers walk it, parsed in one
// pass without Qt's JSON tree. Lookups answer as QJsonValue's do: a missing
// key or index, or a value of another kind, reads as undefined, empty, 0 or
// false; of repeated keys the last one counts.
#include <QString>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QByteArray;
class QJsonValue;

namespace Norvane {

class JsonValue {
public:
    enum class Type : unsigned char { Undefined, Null, Bool, Number, String, Array, Object };

    JsonValue() = default;
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
    int size() const { return type_ == Type::Array ? static_cast<int>(items_.size()) : 0; }
    const JsonValue& operator[](int i) const;
    const JsonValue* begin() const { return type_ == Type::Array ? items_.data() : nullptr; }
    const JsonValue* end() const { return type_ == Type::Array ? items_.data() + items_.size() : nullptr; }

    // Members of an object.
    const JsonValue& value(std::string_view key) const;
    bool contains(std::string_view key) const { return Find(key) != nullptr; }
    // Member keys in file order (repeats included); none for anything but an object.
    const std::vector<std::string>& keys() const { return keys_; }

private:
    friend class JsonParser;
    const JsonValue* Find(std::string_view key) const;

    Type type_ = Type::Undefined;
    double number_ = 0.0;
    QString text_;
    std::vector<JsonValue> items_;  // array entries, or object member values
    std::vector<std::string> keys_;  // object member keys (UTF-8), one per item
};

} // namespace Norvane
