// Lays swatch pictures out on one sheet, each named below, for the README.
//
// Usage: rozo_swatch_sheet OUT.png COLUMNS SWATCH.png...
// A picture's name is its file name without the extension.

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 4)
    {
        std::fprintf(stderr, "usage: %s OUT.png COLUMNS SWATCH.png...\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv); // fonts
    const int columns = std::max(1, std::atoi(argv[2]));
    std::vector<QImage> swatches;
    std::vector<QString> names;
    int side = 0;
    for (int i = 3; i < argc; ++i)
    {
        QImage image(QString::fromLocal8Bit(argv[i]));
        if (image.isNull())
        {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        side = std::max(side, image.width());
        swatches.push_back(image);
        names.push_back(QFileInfo(QString::fromLocal8Bit(argv[i])).completeBaseName().replace('_', ' '));
    }
    constexpr int GAP = 8;
    constexpr int LABEL_HEIGHT = 22;
    const int count = static_cast<int>(swatches.size());
    const int rows = (count + columns - 1) / columns;
    const int shown = std::min(columns, count);
    QImage sheet(GAP + shown * (side + GAP), GAP + rows * (side + LABEL_HEIGHT + GAP), QImage::Format_RGB32);
    sheet.fill(QColor(246, 246, 246));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 40));
    for (int i = 0; i < count; ++i)
    {
        const int x = GAP + (i % columns) * (side + GAP);
        const int y = GAP + (i / columns) * (side + LABEL_HEIGHT + GAP);
        painter.drawImage(QRect(x, y, side, side), swatches[static_cast<size_t>(i)]);
        const QRect label(x - GAP / 2, y + side, side + GAP, LABEL_HEIGHT);
        painter.drawText(label, Qt::AlignCenter,
                         painter.fontMetrics().elidedText(names[static_cast<size_t>(i)], Qt::ElideRight, label.width()));
    }
    painter.end();
    if (!sheet.save(QString::fromLocal8Bit(argv[1]), "PNG"))
    {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
