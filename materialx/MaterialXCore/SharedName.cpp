#include <MaterialXCore/SharedName.h>

#include <MaterialXCore/Util.h>

#include <cstring>
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
    static constexpr size_t SIZE = 4096;
    const string* slots[SIZE] = {};
};

size_t recentSlot(std::string_view text)
{
    // Only a slot is wanted: the length and the first and last eight bytes
    // tell nearly all names apart, at the same cost for every length.
    uint64_t head = 0;
    uint64_t tail = 0;
    const size_t n = text.size();
    std::memcpy(&head, text.data(), n < 8 ? n : 8);
    if (n > 8)
        std::memcpy(&tail, text.data() + (n < 16 ? 8 : n - 8), n < 16 ? n - 8 : 8);
    uint64_t hash = (head ^ (tail * 0x9E3779B97F4A7C15ull) ^ n) * 0xFF51AFD7ED558CCDull;
    return size_t(hash >> 40) % RecentTexts::SIZE;
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
