// The About box: its texts filled from the version block, and the link controls (target in
// the status bar while hovered, opened on release over the text only).

#include "UiTestSupport.h"

#include "core/Version.h"
#include "ui/AboutBox.h"
#include "ui/BrowserLaunch.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QStatusBar>

#include <gtest/gtest.h>

namespace {

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// Records what the links would open instead of starting a browser.
class OpenedLinks
{
public:
    OpenedLinks()
    {
        previous = SetBrowserLaunchHook([this](const QUrl& url) {
            urls << url.toString();
            return true;
        });
    }
    ~OpenedLinks() { SetBrowserLaunchHook(previous); }
    QStringList urls;

private:
    BrowserLaunchHook previous;
};

TEST(AboutBox, AboutCommandShowsTheVersionBlockTexts)
{
    RunningApp running;
    QString title, version, copyright;
    AnswerNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<CAboutBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        version = box->VersionLine()->text();
        copyright = box->CopyrightLine()->text();
        box->accept();
    });
    EXPECT_TRUE(running.Frame().OnCommand(kCmdAppAbout));
    EXPECT_EQ(title, QStringLiteral("About ") + QLatin1String(Version::ProductName));
    EXPECT_EQ(version, QStringLiteral("%1 %2 %3").arg(QLatin1String(Version::ProductName),
                                                      QLatin1String(Version::ProductVersion),
                                                      QLatin1String(Version::PrivateBuild)));
    EXPECT_EQ(copyright, QLatin1String(Version::LegalCopyright));
}

TEST(AboutBox, LinksTakeTextAndTargetFromTheirString)
{
    CAboutBox box;
    EXPECT_EQ(box.MailLink()->DisplayText(), QStringLiteral("lotwarden@ashgrove.example"));
    EXPECT_EQ(box.MailLink()->Target(), QStringLiteral("mailto:lotwarden@ashgrove.example"));
    EXPECT_TRUE(box.UrlLink()->Target().startsWith(QStringLiteral("https://")));
    // Without a target the text is the target.
    CLinkControl plain(QStringLiteral("https://example.org/"), nullptr);
    EXPECT_EQ(plain.DisplayText(), plain.Target());
    EXPECT_TRUE(plain.font().underline());
}

TEST(AboutBox, HoveringALinkShowsItsTargetInTheStatusBar)
{
    QMainWindow frame;
    frame.statusBar()->addWidget(new QLabel(QStringLiteral("idle")), 1);
    frame.show();
    CLinkControl link(QStringLiteral("Site\nhttps://example.org/x"), frame.statusBar(), &frame);
    link.setGeometry(10, 10, 300, 30);
    link.show();
    const QRect text = link.TextRect();
    SendMouse(&link, QEvent::MouseMove, QPoint(text.right() + 40, text.center().y()));
    EXPECT_FALSE(link.Hovering());
    EXPECT_TRUE(frame.statusBar()->currentMessage().isEmpty());
    SendMouse(&link, QEvent::MouseMove, text.center());
    EXPECT_TRUE(link.Hovering());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("https://example.org/x"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&link, &leave);
    EXPECT_FALSE(link.Hovering());
    EXPECT_TRUE(frame.statusBar()->currentMessage().isEmpty());
}

TEST(AboutBox, EnterPressesOkRatherThanOpeningTheMailLink)
{
    OpenedLinks opened;
    CAboutBox box;
    box.show();
    auto* ok = qobject_cast<QPushButton*>(box.focusWidget());
    ASSERT_NE(ok, nullptr) << "the mail link must not take the first focus";
    EXPECT_TRUE(ok->isDefault());
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_TRUE(opened.urls.isEmpty());
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST(AboutBox, ALinkOpensOnReleaseOverItsText)
{
    OpenedLinks opened;
    QWidget holder;
    holder.resize(320, 50);
    CLinkControl link(QStringLiteral("Site\nhttps://example.org/x"), nullptr, &holder);
    link.setGeometry(0, 0, 300, 30);
    holder.show();
    const QPoint inside = link.TextRect().center();
    const QPoint outside(link.TextRect().right() + 40, inside.y());

    SendMouse(&link, QEvent::MouseButtonPress, inside);
    EXPECT_TRUE(opened.urls.isEmpty()); // nothing opens on the press
    SendMouse(&link, QEvent::MouseButtonRelease, inside);
    EXPECT_EQ(opened.urls, QStringList{QStringLiteral("https://example.org/x")});

    // A press beside the text, or a release moved off it, opens nothing.
    SendMouse(&link, QEvent::MouseButtonPress, outside);
    SendMouse(&link, QEvent::MouseButtonRelease, inside);
    SendMouse(&link, QEvent::MouseButtonPress, inside);
    SendMouse(&link, QEvent::MouseButtonRelease, outside);
    EXPECT_EQ(opened.urls.size(), 1);
}

} // namespace
