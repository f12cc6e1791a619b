#include "plugin/MtlXIOUtil.h"

void MtlXIOUtil::clearMessages()
{
    messageLog.str(std::string());
    messageLog.clear();
}

std::string MtlXIOUtil::messageText() const
{
    return messageLog.str();
}

WStr MtlXIOUtil::getErrorText() const
{
    // Decoded up to the first zero byte, as the readers of the log expect.
    const std::string text = messageText();
    return WStr::FromUTF8(text.c_str());
}
