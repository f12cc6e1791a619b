#pragma once
// Compact JSON written straight into a byte buffer, as the host's files are:
// no tree is built, so a large scene costs one pass over its objects.
// The caller writes the keys of an object in the order the file keeps them.
#include <QByteArray>
#include <string>
#include <vector>

class QString;

namespace Norvane
{

class JsonWriter
{
  public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The key of the next value of the current object.
    JsonWriter& Key(const char* latin1);

    void Null();
    void Bool(bool v);
    void Int(long long v);
    // Shortest text that reads back as the same double; a non-finite value is null.
    void Double(double v);
    void String(const QString& s);
    void String(const std::wstring& s);
    void String(const char* latin1);
    // An already written value (a whole JSON text) of the current container.
    void Raw(const QByteArray& json);

    const QByteArray& Bytes() const { return out_; }
    QByteArray Take() { return std::move(out_); }

  private:
    void Separate();
    void Escaped(char32_t c);
    QByteArray out_;
    std::vector<bool> first_; // per open container: no value written yet
    bool afterKey_ = false;
};

} // namespace Norvane
