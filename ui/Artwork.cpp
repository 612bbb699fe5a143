#include "ui/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <array>
#include <map>

namespace {

// Every image is drawn on a 22-unit grid and scaled to the requested size.
constexpr double kGrid = 22.0;

QColor Shade(const QColor& c, bool hot)
{
    return hot ? c.lighter(115) : c;
}

void DrawPage(QPainter& p, const QRectF& r, bool hot, bool lines)
{
    const double fold = 4.5;
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(QPen(QColor(70, 80, 95), 1.1));
    p.setBrush(hot ? QColor(255, 255, 255) : QColor(246, 248, 252));
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(200, 208, 220));
    p.drawPath(corner);
    if (lines) {
        p.setPen(QPen(Shade(QColor(90, 130, 200), hot), 1.0));
        for (double y = r.top() + 7; y < r.bottom() - 2; y += 3)
            p.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 2.5, y));
    }
}

void DrawImage(QPainter& p, ToolImage image, bool hot)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case ToolImage::New:
        DrawPage(p, QRectF(4.5, 2.5, 13, 17), hot, false);
        p.setPen(Qt::NoPen);
        p.setBrush(Shade(QColor(255, 196, 0), hot));
        p.drawEllipse(QPointF(15.5, 5.5), 3.2, 3.2);
        break;
    case ToolImage::Open: {
        p.setPen(QPen(QColor(140, 100, 20), 1.1));
        p.setBrush(Shade(QColor(226, 180, 70), hot));
        p.drawRect(QRectF(2.5, 5.5, 15, 12));
        p.drawRect(QRectF(2.5, 4.0, 6, 2));
        QPolygonF flap({QPointF(5.5, 9.5), QPointF(20.5, 9.5), QPointF(17.5, 17.5), QPointF(2.5, 17.5)});
        p.setBrush(Shade(QColor(250, 214, 110), hot));
        p.drawPolygon(flap);
        break;
    }
    case ToolImage::Save:
        p.setPen(QPen(QColor(30, 50, 90), 1.1));
        p.setBrush(Shade(QColor(60, 100, 180), hot));
        p.drawRoundedRect(QRectF(3.5, 3.5, 15, 15), 1.5, 1.5);
        p.setBrush(QColor(240, 240, 240));
        p.drawRect(QRectF(6.5, 3.5, 9, 6));
        p.setBrush(QColor(200, 205, 215));
        p.drawRect(QRectF(6.5, 12.5, 9, 6));
        p.setBrush(QColor(30, 50, 90));
        p.drawRect(QRectF(12.5, 4.5, 2, 4));
        break;
    case ToolImage::Erase:
        p.setPen(QPen(Shade(QColor(200, 30, 30), hot), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.5, 5.5), QPointF(16.5, 16.5));
        p.drawLine(QPointF(16.5, 5.5), QPointF(5.5, 16.5));
        break;
    case ToolImage::Cut:
        p.setPen(QPen(QColor(90, 90, 100), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 3), QPointF(13.5, 13.5));
        p.drawLine(QPointF(15, 3), QPointF(8.5, 13.5));
        p.setPen(QPen(Shade(QColor(200, 40, 40), hot), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(7, 16.5), 3, 3);
        p.drawEllipse(QPointF(15, 16.5), 3, 3);
        break;
    case ToolImage::Copy:
        DrawPage(p, QRectF(2.5, 2.5, 11, 13), hot, true);
        DrawPage(p, QRectF(8.5, 6.5, 11, 13), hot, true);
        break;
    case ToolImage::Paste:
        p.setPen(QPen(QColor(110, 75, 30), 1.1));
        p.setBrush(Shade(QColor(190, 140, 80), hot));
        p.drawRoundedRect(QRectF(3.5, 3.5, 13, 16), 1.5, 1.5);
        p.setBrush(QColor(170, 170, 180));
        p.drawRect(QRectF(7.5, 2.0, 5, 3));
        DrawPage(p, QRectF(9.5, 8.5, 10, 12), hot, true);
        break;
    case ToolImage::Properties:
        p.setPen(QPen(QColor(60, 70, 90), 1.1));
        p.setBrush(hot ? QColor(255, 255, 255) : QColor(244, 246, 250));
        p.drawRoundedRect(QRectF(2.5, 4.5, 17, 13), 1.5, 1.5);
        p.setBrush(Shade(QColor(60, 110, 200), hot));
        p.drawRect(QRectF(2.5, 4.5, 17, 3));
        p.setPen(QPen(QColor(120, 130, 150), 1.0));
        p.drawLine(QPointF(5, 10.5), QPointF(11, 10.5));
        p.drawLine(QPointF(5, 13.5), QPointF(11, 13.5));
        p.setPen(QPen(QColor(40, 40, 40), 1.0));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(13.5, 9.5, 3.5, 3.5));
        p.drawRect(QRectF(13.5, 13.0, 3.5, 3.5));
        break;
    case ToolImage::Stop: {
        QPolygonF octagon;
        for (int i = 0; i < 8; ++i) {
            const double a = qDegreesToRadians(22.5 + 45.0 * i);
            octagon << QPointF(11 + 8.5 * std::cos(a), 11 + 8.5 * std::sin(a));
        }
        p.setPen(QPen(QColor(120, 10, 10), 1.1));
        p.setBrush(Shade(QColor(215, 35, 35), hot));
        p.drawPolygon(octagon);
        p.setPen(QPen(Qt::white, 2.0));
        p.drawLine(QPointF(7, 11), QPointF(15, 11));
        break;
    }
    case ToolImage::Refresh: {
        const QColor c = Shade(QColor(30, 140, 60), hot);
        p.setPen(QPen(c, 2.4, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 4, 14, 14), 100 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(QPolygonF({QPointF(10, 0.8), QPointF(15.5, 4.2), QPointF(10, 7.8)}));
        break;
    }
    case ToolImage::Search:
        p.setPen(QPen(QColor(50, 60, 80), 1.6));
        p.setBrush(Shade(QColor(190, 225, 250), hot));
        p.drawEllipse(QPointF(9, 9), 5.5, 5.5);
        p.setPen(QPen(QColor(80, 60, 40), 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(13.5, 13.5), QPointF(19, 19));
        break;
    }
}

} // namespace

QPixmap ToolbarImage(ToolImage image, int size, bool hot)
{
    static std::map<std::array<int, 3>, QPixmap> cache;
    const std::array<int, 3> key{static_cast<int>(image), size, hot ? 1 : 0};
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(size / kGrid, size / kGrid);
    DrawImage(painter, image, hot);
    painter.end();
    cache.emplace(key, pixmap);
    return pixmap;
}

QIcon ToolbarIcon(ToolImage image, bool big)
{
    const int size = big ? 22 : 16;
    QIcon icon;
    icon.addPixmap(ToolbarImage(image, size, false), QIcon::Normal);
    icon.addPixmap(ToolbarImage(image, size, true), QIcon::Active);
    return icon;
}

QPixmap ItemStateIcon(int index)
{
    static std::array<QPixmap, 3> icons;
    if (index < 0 || index > 2)
        index = 0;
    if (!icons[static_cast<std::size_t>(index)].isNull())
        return icons[static_cast<std::size_t>(index)];
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: // running auction: a price tag
        p.setPen(QPen(QColor(40, 90, 160), 1.0));
        p.setBrush(QColor(110, 170, 235));
        p.drawPolygon(QPolygonF({QPointF(1.5, 5.5), QPointF(5.5, 1.5), QPointF(14.5, 1.5),
                                 QPointF(14.5, 10.5), QPointF(10.5, 14.5), QPointF(1.5, 14.5)}));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(11, 5), 1.5, 1.5);
        break;
    case 1: // finished: a grey tag with a check mark
        p.setPen(QPen(QColor(110, 110, 110), 1.0));
        p.setBrush(QColor(200, 200, 200));
        p.drawPolygon(QPolygonF({QPointF(1.5, 5.5), QPointF(5.5, 1.5), QPointF(14.5, 1.5),
                                 QPointF(14.5, 10.5), QPointF(10.5, 14.5), QPointF(1.5, 14.5)}));
        p.setPen(QPen(QColor(30, 120, 40), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 8.5), QPointF(7, 11.5));
        p.drawLine(QPointF(7, 11.5), QPointF(12.5, 4.5));
        break;
    default: { // alarm raised: a bell
        p.setPen(QPen(QColor(150, 90, 0), 1.0));
        p.setBrush(QColor(255, 200, 30));
        QPainterPath bell;
        bell.moveTo(3, 12);
        bell.cubicTo(4.5, 10, 3.5, 3, 8, 2.5);
        bell.cubicTo(12.5, 3, 11.5, 10, 13, 12);
        bell.closeSubpath();
        p.drawPath(bell);
        p.setBrush(QColor(150, 90, 0));
        p.drawEllipse(QPointF(8, 13.5), 1.6, 1.6);
        break;
    }
    }
    p.end();
    icons[static_cast<std::size_t>(index)] = pixmap;
    return pixmap;
}

QIcon FrameIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        p.setPen(QPen(QColor(25, 60, 120), 1.5));
        p.setBrush(QColor(50, 110, 200));
        p.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
        // A gavel: the mark of an auction.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 215, 120));
        p.save();
        p.translate(16, 14);
        p.rotate(-40);
        p.drawRoundedRect(QRectF(-9, -4.5, 18, 9), 2, 2);
        p.drawRect(QRectF(-1.5, 4, 3, 12));
        p.restore();
        p.setBrush(QColor(250, 250, 250));
        p.drawRect(QRectF(6, 24, 14, 3));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap SplashBitmap()
{
    QPixmap pixmap(300, 190);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 190);
    sky.setColorAt(0, QColor(38, 84, 160));
    sky.setColorAt(1, QColor(16, 36, 80));
    p.fillRect(pixmap.rect(), sky);
    p.drawPixmap(22, 22, FrameIcon().pixmap(48, 48));
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(80, 20, 210, 56), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lotwarden"));
    p.setPen(QPen(QColor(250, 215, 120), 2));
    p.drawLine(QPointF(25, 92), QPointF(275, 92));
    p.end();
    return pixmap;
}
