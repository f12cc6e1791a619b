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
    static constexpr size_t SIZE = 16384;
    const string* slots[SIZE] = {};
};

uint64_t load64(const char* bytes)
{
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

uint32_t load32(const char* bytes)
{
    uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// The words a text's slot is found by. Up to 16 bytes they hold the whole
// text (overlapping in the middle), so comparing them with a candidate's
// words is comparing the texts; only longer texts compare their middle too.
// Whole-word loads that may overlap keep the cost the same for every length
// (a copy of a variable length into a word stalls the load that follows it).
struct TextWords
{
    uint64_t head;
    uint64_t tail;

    explicit TextWords(std::string_view text)
    {
        const char* p = text.data();
        const size_t n = text.size();
        if (n >= 8)
        {
            head = load64(p);
            tail = load64(p + n - 8);
        }
        else if (n >= 4)
        {
            head = load32(p);
            tail = load32(p + n - 4);
        }
        else
        {
            head = uint8_t(p[0]) | uint64_t(uint8_t(p[n / 2])) << 8;
            tail = uint8_t(p[n - 1]);
        }
    }

    size_t slot(size_t n) const
    {
        // Multiplying carries a byte's change only upwards, so the product is
        // folded down again: names that differ only in their last letter
        // ("..._color3", "..._color4") must not share a slot.
        uint64_t hash = (head * 0x9E3779B97F4A7C15ull) ^ (tail * 0xC2B2AE3D27D4EB4Full) ^ n;
        hash ^= hash >> 33;
        hash *= 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 33;
        return size_t(hash) % RecentTexts::SIZE;
    }

    bool matches(const string* candidate, std::string_view text) const
    {
        const size_t n = text.size();
        if (!candidate || candidate->size() != n)
            return false;
        const TextWords other(*candidate);
        if (other.head != head || other.tail != tail)
            return false;
        return n <= 16 || std::memcmp(candidate->data() + 8, text.data() + 8, n - 16) == 0;
    }
};

} // anonymous namespace

uintptr_t SharedName::bitsFor(std::string_view text)
{
    if (text.empty())
        return 0;
    if (text.size() > SHARED_LENGTH_LIMIT)
        return ownCopy(text);

    // Two ways per set: the newest answer first, the one before it second.
    thread_local RecentTexts recent;
    const TextWords words(text);
    const string** set = &recent.slots[words.slot(text.size()) & ~size_t(1)];
    if (words.matches(set[0], text))
        return reinterpret_cast<uintptr_t>(set[0]);
    if (words.matches(set[1], text))
        return reinterpret_cast<uintptr_t>(set[1]);
    const string*& slot = set[0];
    set[1] = set[0];

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
