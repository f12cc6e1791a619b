#include "plugin/PathParts.h"

#include <algorithm>

namespace rozo
{
int lastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
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
} // namespace rozo
