#include "DebugChannel.h"

#include "DebugPrint.h"
#include "WideFormat.h"

#include <cstdarg>
#include <cstdio>

namespace Norvane {

DebugChannel::DebugChannel() : echo_(qEnvironmentVariableIsSet("NORVANE_DEBUG_STDERR")) {}

DebugChannel& DebugChannel::Instance()
{
    static DebugChannel channel;
    return channel;
}

void DebugChannel::Write(const QString& text)
{
    text_ += text;
    // A large import writes lines per map: only the latest are kept, from a line start.
    if (text_.size() > kKeptCharacters) {
        const int cut = text_.indexOf(QLatin1Char('\n'), text_.size() - kKeptCharacters);
        text_.remove(0, cut < 0 ? text_.size() - kKeptCharacters : cut + 1);
    }
    if (echo_) {
        std::fputs(text.toUtf8().constData(), stderr);
        std::fflush(stderr);
    }
}

QStringList DebugChannel::Lines() const
{
    QStringList lines = text_.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace Norvane

void DebugPrint(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = Norvane::FormatWide(format, args);
    va_end(args);
    Norvane::DebugChannel::Instance().Write(QString::fromStdWString(text));
}
