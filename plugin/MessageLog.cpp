#include "plugin/PluginState.h"

void rozo::PluginState::clearMessages()
{
    messageLog.str(std::string());
    messageLog.clear();
}

std::string rozo::PluginState::messageText() const
{
    return messageLog.str();
}

WStr rozo::PluginState::getErrorText() const
{
    // Decoded up to the first zero byte, as the readers of the log expect.
    const std::string text = messageText();
    return WStr::FromUTF8(text.c_str());
}
