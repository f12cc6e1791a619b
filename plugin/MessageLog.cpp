#include "plugin/MessageLog.h"

namespace rozo
{
void MessageLog::report(std::string text, std::string elementPath, std::string detail)
{
    records_.push_back(Record{ std::move(text), std::move(elementPath), std::move(detail) });
}

void MessageLog::append(const MessageLog& other)
{
    records_.insert(records_.end(), other.records_.begin(), other.records_.end());
}

bool MessageLog::empty() const
{
    for (const Record& record : records_)
        if (!record.text.empty())
            return false;
    return true;
}

std::string MessageLog::text() const
{
    std::string joined;
    for (const Record& record : records_)
        joined += record.text;
    return joined;
}

WStr MessageLog::getErrorText() const
{
    // Decoded up to the first zero byte, as the readers of the log expect.
    const std::string joined = text();
    return WStr::FromUTF8(joined.c_str());
}
} // namespace rozo
