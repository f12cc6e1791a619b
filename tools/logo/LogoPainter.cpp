// Draws the panel's logo: three material balls on a rounded plate, on a
// transparent background, 2048 x 1580. Flat colours keep the PNG small, since
// the picture is compiled into the plug-in.
//
// Usage: rozo_logo OUT.png

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <cstdio>

namespace
{
constexpr int LOGO_WIDTH = 2048;
constexpr int LOGO_HEIGHT = 1580;

void drawBall(QPainter& painter, QPointF centre, double radius, QColor base)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(base.darker(160));
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(base);
    painter.drawEllipse(centre - QPointF(radius * 0.12, radius * 0.12), radius * 0.84, radius * 0.84);
    painter.setBrush(base.lighter(150));
    painter.drawEllipse(centre - QPointF(radius * 0.38, radius * 0.38), radius * 0.22, radius * 0.22);
}

void drawCross(QPainter& painter, QRectF box, QColor colour)
{
    QPen pen(colour, box.width() * 0.16, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(box.topLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomLeft());
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s OUT.png\n", argc > 0 ? argv[0] : "rozo_logo");
        return 2;
    }
    QImage image(LOGO_WIDTH, LOGO_HEIGHT, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);

        QPainterPath plate;
        plate.addRoundedRect(QRectF(64, 240, LOGO_WIDTH - 128, LOGO_HEIGHT - 480), 180, 180);
        painter.fillPath(plate, QColor(38, 44, 56, 235));

        const double radius = 300;
        const double y = LOGO_HEIGHT / 2.0;
        drawBall(painter, QPointF(440, y), radius, QColor(196, 64, 52));
        drawBall(painter, QPointF(1024, y), radius, QColor(212, 170, 60));
        drawBall(painter, QPointF(1608, y), radius, QColor(60, 118, 196));
        drawCross(painter, QRectF(1850, 330, 110, 110), QColor(236, 236, 236));
    }
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG"))
    {
        std::fprintf(stderr, "rozo_logo: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
