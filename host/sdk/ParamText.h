#pragma once
// The text of a parameter value. Copies share one immutable string, and long
// texts with the same content share it too: every OSL Map of a scene holds
// the source of its shader, and undo records and scene loads copy values.
#include "WStr.h"

#include <memory>

class ParamText
{
  public:
    ParamText() = default;
    ParamText(const WStr& s) { *this = s; }
    ParamText& operator=(const WStr& s);

    const WStr& str() const { return text_ ? *text_ : Empty(); }
    operator const WStr&() const { return str(); }
    const wchar_t* data() const { return str().data(); }
    int Length() const { return str().Length(); }
    QString ToQString() const;

    friend bool operator==(const ParamText& a, const ParamText& b)
    {
        return a.text_ == b.text_ || a.str() == b.str();
    }
    friend bool operator!=(const ParamText& a, const ParamText& b) { return !(a == b); }

  private:
    static const WStr& Empty();
    std::shared_ptr<const WStr> text_;
};
