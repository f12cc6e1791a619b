#pragma once
// Where DebugPrint goes: kept in memory, echoed to stderr on request (or
// from the start when NORVANE_DEBUG_STDERR is set).
#include <QString>
#include <QStringList>

namespace Norvane
{

class DebugChannel
{
  public:
    static DebugChannel& Instance();
    void Write(const QString& text);
    // What was written since the last Clear, its last KEPT_CHARACTERS at most.
    static constexpr int KEPT_CHARACTERS = 1 << 16;
    QString Text() const;
    // The text split into lines (a last line without line end included).
    QStringList Lines() const;
    void Clear() { text_.clear(); }
    void SetEcho(bool on) { echo_ = on; }
    bool Echo() const { return echo_; }

  private:
    DebugChannel();
    // Where the kept text starts in text_, which may hold up to twice as much.
    int KeptStart() const;
    QString text_;
    bool echo_;
};

} // namespace Norvane
