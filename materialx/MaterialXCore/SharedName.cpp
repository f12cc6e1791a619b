#include <MaterialXCore/SharedName.h>

#include <MaterialXCore/Util.h>

#include <deque>
#include <mutex>

MATERIALX_NAMESPACE_BEGIN

namespace
{

// The shared texts live as long as the process: elements may still hold
// them while static objects are being destroyed.
struct SharedTexts
{
    std::mutex mutex;
    std::deque<string> texts;
    std::unordered_map<std::string_view, const string*> byText;
};

SharedTexts& sharedTexts()
{
    static SharedTexts* texts = new SharedTexts;
    return *texts;
}

// Each thread remembers recent answers, so that the table's lock is only
// taken for texts the thread has not met lately.
struct RecentTexts
{
    static constexpr size_t SIZE = 512;
    const string* slots[SIZE] = {};
};

size_t recentSlot(std::string_view text)
{
    // FNV-1a: names are short, and only a slot is wanted.
    uint32_t hash = 2166136261u;
    for (char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash % RecentTexts::SIZE;
}

} // anonymous namespace

uintptr_t SharedName::bitsFor(std::string_view text)
{
    if (text.empty())
        return 0;
    if (text.size() > SHARED_LENGTH_LIMIT)
        return ownCopy(text);

    thread_local RecentTexts recent;
    const string*& slot = recent.slots[recentSlot(text)];
    if (slot && *slot == text)
        return reinterpret_cast<uintptr_t>(slot);

    SharedTexts& shared = sharedTexts();
    std::lock_guard<std::mutex> lock(shared.mutex);
    auto found = shared.byText.find(text);
    if (found == shared.byText.end())
    {
        if (shared.texts.size() >= SHARED_LIMIT)
            return ownCopy(text);
        shared.texts.emplace_back(text);
        found = shared.byText.emplace(shared.texts.back(), &shared.texts.back()).first;
    }
    slot = found->second;
    return reinterpret_cast<uintptr_t>(slot);
}

uintptr_t SharedName::ownCopy(std::string_view text)
{
    return reinterpret_cast<uintptr_t>(new string(text)) | 1u;
}

const string& SharedName::emptyText()
{
    return EMPTY_STRING;
}

MATERIALX_NAMESPACE_END
