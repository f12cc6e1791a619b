#include "DialogProvider.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace Norvane
{
namespace
{

// After a choice the file name holds the chosen path and the folder its folder.
void TakeChoice(const QString& chosen, QString& fileName, QString& folder)
{
    fileName = chosen;
    QString forward = chosen;
    forward.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const int cut = forward.lastIndexOf(QLatin1Char('/'));
    folder = cut > 0 ? chosen.left(cut) : QString();
}

QString StartPath(const QString& fileName, const QString& folder)
{
    if (fileName.isEmpty())
        return folder;
    if (folder.isEmpty() || QFileInfo(fileName).isAbsolute())
        return fileName;
    return QDir(folder).filePath(fileName);
}

// A Qt dialog's answer: empty for a cancel.
bool Take(const QString& chosen, QString& fileName, QString& folder)
{
    if (chosen.isEmpty())
        return false;
    TakeChoice(QDir::toNativeSeparators(chosen), fileName, folder);
    return true;
}

} // namespace

std::vector<QueuedDialogProvider::Shown> QueuedDialogProvider::Warnings() const
{
    std::vector<Shown> out;
    for (const Shown& s : shown_)
        if (s.kind == QLatin1String("warning"))
            out.push_back(s);
    return out;
}

bool QueuedDialogProvider::Answer(const QString& kind, const QString& title, QString& fileName, QString& folder)
{
    shown_.push_back({ kind, title, fileName, folder });
    if (answers_.empty())
        return false;
    QString answer = answers_.front();
    answers_.pop_front();
    if (answer.isEmpty())
        return false;
    TakeChoice(answer, fileName, folder);
    return true;
}

bool QueuedDialogProvider::OpenFile(QWidget*, const QString& title, QString& fileName, QString& folder,
                                    const QString&)
{
    return Answer(QStringLiteral("open"), title, fileName, folder);
}

bool QueuedDialogProvider::SaveFile(QWidget*, const QString& title, QString& fileName, QString& folder,
                                    const QString&)
{
    return Answer(QStringLiteral("save"), title, fileName, folder);
}

void QueuedDialogProvider::Warning(QWidget*, const QString& title, const QString& text)
{
    shown_.push_back({ QStringLiteral("warning"), title, text, QString() });
}

bool QtDialogProvider::OpenFile(QWidget* parent, const QString& title, QString& fileName, QString& folder,
                                const QString& filter)
{
    return Take(QFileDialog::getOpenFileName(parent, title, StartPath(fileName, folder), filter), fileName, folder);
}

bool QtDialogProvider::SaveFile(QWidget* parent, const QString& title, QString& fileName, QString& folder,
                                const QString& filter)
{
    return Take(QFileDialog::getSaveFileName(parent, title, StartPath(fileName, folder), filter), fileName, folder);
}

void QtDialogProvider::Warning(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::warning(parent, title, text, QMessageBox::Ok, QMessageBox::NoButton);
}

} // namespace Norvane
