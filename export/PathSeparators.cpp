#include "export/PathSeparators.h"

#include <QDir>

int lastSeparator(const QString& path)
{
    const int native = path.lastIndexOf(QDir::separator());
    const int backslash = path.lastIndexOf(QLatin1Char('\\'));
    return native > backslash ? native : backslash;
}

QString folderWithSeparator(const QString& path)
{
    const int cut = lastSeparator(path);
    return cut > 0 ? path.left(cut + 1) : QString();
}

QString fileNamePart(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}
