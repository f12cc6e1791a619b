#include "ParamText.h"

#include <QString>

#include <functional>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace
{

// Shorter texts (names, file paths) are cheaper to copy than to look up.
constexpr int SHARED_LENGTH = 128;

// The long texts alive now, by content. A text leaves the pool when its last
// holder lets go of it.
class TextPool
{
  public:
    std::shared_ptr<const WStr> Share(const WStr& s)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::wstring_view key(s.str());
        const auto found = texts_.find(key);
        if (found != texts_.end())
        {
            if (std::shared_ptr<const WStr> alive = found->second.lock())
                return alive;
            texts_.erase(found);
        }
        std::shared_ptr<const WStr> text(new WStr(s), [this](const WStr* gone) { Forget(gone); });
        texts_.emplace(std::wstring_view(text->str()), text);
        return text;
    }

  private:
    void Forget(const WStr* gone)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto found = texts_.find(std::wstring_view(gone->str()));
            // A newer text with the same content may have taken the place of an expired one.
            if (found != texts_.end() && found->first.data() == gone->data())
                texts_.erase(found);
        }
        delete gone;
    }

    std::mutex mutex_;
    std::unordered_map<std::wstring_view, std::weak_ptr<const WStr>> texts_;
};

TextPool& Pool()
{
    // Never destroyed: texts held by objects that outlive static destruction still find it.
    static TextPool* pool = new TextPool;
    return *pool;
}

} // namespace

ParamText& ParamText::operator=(const WStr& s)
{
    if (s.isNull())
        text_.reset();
    else if (s.Length() >= SHARED_LENGTH)
        text_ = Pool().Share(s);
    else
        text_ = std::make_shared<const WStr>(s);
    return *this;
}

QString ParamText::ToQString() const
{
    return str().ToQString();
}

const WStr& ParamText::Empty()
{
    static const WStr empty;
    return empty;
}
