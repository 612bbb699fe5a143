#include "ui/SplashWindow.h"

#include "core/Version.h"
#include "ui/Artwork.h"
#include "ui/UiText.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {
const QRect kTextBox(QPoint(25, 110), QPoint(274, 174)); // (25, 110) to (275, 175), exclusive

QFont SplashFont(int points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(points);
    return font;
}
} // namespace

CSplashWindow::CSplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      bitmap(SplashBitmap())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(AppTitle());
    lines << QString::fromLatin1(Version::ProductVersion) << QString::fromLatin1(Version::LegalCopyright);
    fontSize = FitFontSize(lines, kTextBox.size());
    setFixedSize(bitmap.size());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    closeTimer.setSingleShot(true);
    connect(&closeTimer, &QTimer::timeout, this, &QWidget::close);
    closeTimer.start(1500);
}

int CSplashWindow::FitFontSize(const QStringList& textLines, const QSize& box)
{
    int points = 15;
    for (; points > 1; --points) {
        QFontMetrics metrics(SplashFont(points));
        int widest = 0;
        for (const QString& line : textLines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (widest <= box.width() && metrics.height() * textLines.size() <= box.height())
            break;
    }
    return points;
}

void CSplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, bitmap);
    painter.setFont(SplashFont(fontSize));
    painter.setPen(Qt::white);
    const int lineHeight = QFontMetrics(painter.font()).height();
    int y = kTextBox.top();
    for (const QString& line : lines) {
        painter.drawText(QRect(kTextBox.left(), y, kTextBox.width(), lineHeight), Qt::AlignHCenter | Qt::AlignTop,
                         line);
        y += lineHeight;
    }
}

void CSplashWindow::mousePressEvent(QMouseEvent*)
{
    close();
}
