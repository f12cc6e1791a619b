#include "DebugChannel.h"

#include "DebugPrint.h"
#include "WideFormat.h"

#include <cstdarg>
#include <cstdio>

namespace Norvane
{

DebugChannel::DebugChannel() :
    echo_(qEnvironmentVariableIsSet("NORVANE_DEBUG_STDERR")) {}

DebugChannel& DebugChannel::Instance()
{
    static DebugChannel channel;
    return channel;
}

void DebugChannel::Write(const QString& text)
{
    text_ += text;
    // A large import writes lines per map: only the latest are kept, and the
    // older ones are dropped in bulk so that each line costs its own length.
    if (text_.size() > 2 * KEPT_CHARACTERS)
        text_.remove(0, KeptStart());
    if (echo_)
    {
        std::fputs(text.toUtf8().constData(), stderr);
        std::fflush(stderr);
    }
}

int DebugChannel::KeptStart() const
{
    if (text_.size() <= KEPT_CHARACTERS)
        return 0;
    const int cut = text_.indexOf(QLatin1Char('\n'), text_.size() - KEPT_CHARACTERS);
    return cut < 0 ? text_.size() - KEPT_CHARACTERS : cut + 1;
}

QString DebugChannel::Text() const
{
    return text_.mid(KeptStart());
}

QStringList DebugChannel::Lines() const
{
    QStringList lines = Text().split(QLatin1Char('\n'));
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
