#pragma once
// Who answers the host's modal dialogs: Qt dialogs in a window session, queued
// answers when headless (scripts, tests).
#include <QString>
#include <deque>
#include <utility>
#include <vector>

class QWidget;

namespace Norvane
{

class DialogProvider
{
  public:
    virtual ~DialogProvider() = default;
    // `fileName` and `folder` go in and come back changed; false on cancel.
    virtual bool OpenFile(QWidget* parent, const QString& title, QString& fileName, QString& folder,
                          const QString& filter) = 0;
    virtual bool SaveFile(QWidget* parent, const QString& title, QString& fileName, QString& folder,
                          const QString& filter) = 0;
    virtual void Warning(QWidget* parent, const QString& title, const QString& text) = 0;
};

// Answers from a queue; an empty queue cancels. Every dialog and warning shown is recorded.
class QueuedDialogProvider : public DialogProvider
{
  public:
    struct Shown
    {
        QString kind; // "open", "save" or "warning"
        QString title;
        QString text; // the file name passed in, or the warning text
        QString folder;
    };
    // The next file dialog answers `path`.
    void QueueFile(const QString& path) { answers_.push_back(path); }
    // The next file dialog is cancelled.
    void QueueCancel() { answers_.push_back(QString()); }
    void ClearQueue() { answers_.clear(); }
    int Pending() const { return static_cast<int>(answers_.size()); }
    const std::vector<Shown>& History() const { return shown_; }
    std::vector<Shown> Warnings() const;
    void ClearHistory() { shown_.clear(); }

    bool OpenFile(QWidget*, const QString& title, QString& fileName, QString& folder, const QString&) override;
    bool SaveFile(QWidget*, const QString& title, QString& fileName, QString& folder, const QString&) override;
    void Warning(QWidget*, const QString& title, const QString& text) override;

  private:
    bool Answer(const QString& kind, const QString& title, QString& fileName, QString& folder);
    std::deque<QString> answers_;
    std::vector<Shown> shown_;
};

// Real Qt dialogs (needs a QApplication).
class QtDialogProvider : public DialogProvider
{
  public:
    bool OpenFile(QWidget* parent, const QString& title, QString& fileName, QString& folder,
                  const QString& filter) override;
    bool SaveFile(QWidget* parent, const QString& title, QString& fileName, QString& folder,
                  const QString& filter) override;
    void Warning(QWidget* parent, const QString& title, const QString& text) override;
};

} // namespace Norvane
