#include "ui/AboutBox.h"

#include "ui/AboutBoxText.h"
#include "ui/Artwork.h"
#include "ui/BrowserLaunch.h"
#include "ui/SheetOptionStrings.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

namespace {

QString Expanded(int id)
{
    return ToQt(ExpandVersionPlaceholders(FromQt(ResText(id))));
}

QFont LinkFont(QFont font)
{
    font.setUnderline(true);
    return font;
}

} // namespace

CLinkControl::CLinkControl(const QString& content, QStatusBar* bar, QWidget* parent)
    : QWidget(parent), statusBar(bar)
{
    const qsizetype newline = content.indexOf(QLatin1Char('\n'));
    display = newline < 0 ? content : content.left(newline);
    target = newline < 0 ? content : content.mid(newline + 1);
    setFont(LinkFont(font()));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(display);
}

QSize CLinkControl::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(display) + 4, metrics.height() + 4};
}

QRect CLinkControl::TextRect() const
{
    const QFontMetrics metrics(font());
    const int textHeight = metrics.height();
    return {2, (height() - textHeight) / 2, metrics.horizontalAdvance(display), textHeight};
}

void CLinkControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(QColor(0, 0, 255));
    const QRect text = TextRect();
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, display);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = text.adjusted(-2, -1, 2, 1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void CLinkControl::SetHovering(bool on)
{
    if (on == hovering)
        return;
    hovering = on;
    if (on) {
        setCursor(Qt::PointingHandCursor);
        if (statusBar)
            statusBar->showMessage(target);
    } else {
        unsetCursor();
        // Clearing the message brings the idle text back.
        if (statusBar)
            statusBar->clearMessage();
    }
}

void CLinkControl::mouseMoveEvent(QMouseEvent* event)
{
    SetHovering(TextRect().contains(event->position().toPoint()));
}

void CLinkControl::leaveEvent(QEvent*)
{
    SetHovering(false);
    pressed = false;
}

void CLinkControl::mousePressEvent(QMouseEvent* event)
{
    if (!TextRect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    pressed = true;
}

void CLinkControl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool open = pressed && TextRect().contains(event->position().toPoint());
    pressed = false;
    if (open)
        Open();
}

void CLinkControl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Open();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CLinkControl::Open()
{
    OpenInBrowser(target);
}

QPixmap CAboutBox::Banner(int width)
{
    const int height = 72;
    QPixmap banner(width, height);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(18, 44, 92));
    sky.setColorAt(1, QColor(36, 112, 140));
    painter.fillRect(banner.rect(), sky);
    // A row of lot tags, the watch list's emblem, fading to the right.
    for (int i = 0; i < 6; ++i) {
        const int x = width - 40 - i * 30;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 60 - i * 9));
        painter.drawRoundedRect(QRectF(x, 18 + (i % 2) * 8, 22, 30), 4, 4);
    }
    painter.drawPixmap(14, (height - 32) / 2, FrameIcon().pixmap(32, 32));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(26);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(56, 0, width - 56, height), Qt::AlignLeft | Qt::AlignVCenter,
                     ToQt(ExpandVersionPlaceholders("$ProductName")));
    return banner;
}

CAboutBox::CAboutBox(QStatusBar* bar, QWidget* parent) : QDialog(parent), statusBar(bar)
{
    setWindowTitle(Expanded(kStrAboutTitle));
    auto* banner = new QLabel(this);
    banner->setPixmap(Banner(380));
    banner->setScaledContents(false);

    versionLine = new QLabel(Expanded(kStrAboutVersionLine), this);
    copyrightLine = new QLabel(Expanded(kStrAboutCopyrightLine), this);
    mailLink = new CLinkControl(ResText(kStrLinkMail), statusBar, this);
    urlLink = new CLinkControl(ResText(kStrLinkUrl), statusBar, this);

    auto* links = new QGridLayout;
    links->addWidget(new QLabel(ResText(kStrAboutMail), this), 0, 0);
    links->addWidget(mailLink, 0, 1, Qt::AlignLeft);
    links->addWidget(new QLabel(ResText(kStrAboutUrl), this), 1, 0);
    links->addWidget(urlLink, 1, 1, Qt::AlignLeft);
    links->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(ResText(kStrButtonOk), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 10, 16, 12);
    body->addWidget(versionLine);
    body->addWidget(copyrightLine);
    body->addSpacing(8);
    body->addLayout(links);
    body->addSpacing(8);
    body->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(banner);
    layout->addLayout(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Enter closes the box: the links come first in the tab order, so OK takes the focus.
    ok->setFocus(Qt::OtherFocusReason);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
}

CAboutBox::~CAboutBox()
{
    // A link hovered while the box closes must not leave its target in the status bar.
    if (statusBar && (mailLink->Hovering() || urlLink->Hovering()))
        statusBar->clearMessage();
}

void ShowAboutBox(QWidget* parent)
{
    auto* frame = qobject_cast<QMainWindow*>(parent);
    CAboutBox box(frame ? frame->statusBar() : nullptr, parent);
    box.exec();
}
