#pragma once
// The messages of one run, as the user reads them (GetError, warning boxes,
// the command line) and with the element each one is about.

#include <NorvaneSDK.h>

#include <string>
#include <vector>

namespace rozo
{
class MessageLog
{
  public:
    struct Record
    {
        /// The entry as shown, with its own line ends.
        std::string text;
        /// The name path of the element it is about; empty when it is about none.
        std::string elementPath;
        /// What the cause said, kept for diagnosis and not shown.
        std::string detail;
    };

    void report(std::string text, std::string elementPath = std::string(), std::string detail = std::string());
    /// Adds the other log's records after these.
    void append(const MessageLog& other);

    const std::vector<Record>& records() const { return records_; }
    /// True when nothing is shown.
    bool empty() const;
    /// The entries one after another, as the user sees them.
    std::string text() const;
    /// The text as the script interface answers it.
    WStr getErrorText() const;

  private:
    std::vector<Record> records_;
};
} // namespace rozo
