// The description pane: the item page file it writes, which page it shows as the document
// changes, where links go, text sizes, and pictures fetched in the background.

#include "UiTestSupport.h"

#include "core/document/LotwardDoc.h"
#include "sites/AuctionServer.h"
#include "ui/BrowserLaunch.h"
#include "ui/LotwardHtmlView.h"
#include "ui/MainFrame.h"
#include "ui/LotwardView.h"

#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QFile>
#include <QImage>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ItemPageFile, WrapsThePageInHtmlTagsOnlyWhereTheyAreMissing)
{
    const struct
    {
        const char* text;
        const char* written;
    } cases[] = {
        {"plain text", "<html>\nplain text</html>\n"},
        {"<HTML><BODY>x</BODY></HTML>", "<html>\n<HTML><BODY>x</BODY></HTML></html>\n"},
        {"<html><body>x</body></html>", "<html><body>x</body></html>"},
        {"<html><body>cut short", "<html><body>cut short</html>\n"},
        {"<p>tail</p></html>", "<html>\n<p>tail</p></html>"},
        {"", "<html>\n</html>\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CLotwardHtmlView::WrapPageText(c.text), c.written) << c.text;
}

TEST(ItemPageFile, IsWrittenInFullCreatingItsFolderAndRefusedWhereItCannotBe)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cache/Lotwarden/Temp.html"));
    const std::string page("caf\xE9 <b>bold</b>\0tail", 21); // Windows-1252 bytes, a NUL inside
    ASSERT_TRUE(CLotwardHtmlView::WriteItemPage(path, page));
    EXPECT_EQ(ReadAll(path), QByteArray("<html>\n", 7) + QByteArray(page.data(), 21) + QByteArray("</html>\n"));
    ASSERT_TRUE(CLotwardHtmlView::WriteItemPage(path, "<html>short</html>"));
    EXPECT_EQ(ReadAll(path), QByteArray("<html>short</html>")) << "the file is replaced, not overwritten in place";

    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(CLotwardHtmlView::WriteItemPage(dir.filePath(QStringLiteral("file/Temp.html")), "x"));
}

struct PaneFixture : ::testing::Test
{
    void SetUp() override
    {
        blank = dir.filePath(QStringLiteral("Blank.html"));
        QFile file(blank);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html><body>BLANK PAGE</body></html>");
        file.close();
        itemPage = dir.filePath(QStringLiteral("cache/Temp.html"));
        AddEbayItems(doc, {"111", "222"});
        first = doc.GetItem(0);
        second = doc.GetItem(1);
        first->pageText = "<html><body><h1>Brass telescope</h1><a href=\"http://cgi.ebay.com/x?item=111\">bid</a>"
                          "<a href=\"https://secure.ebay.com/y\">secure</a></body></html>";
        second->pageText = "Fountain pens, caf\xE9 cr\xE8me";
        previousHook = SetBrowserLaunchHook([this](const QUrl& url) {
            opened << url.toString();
            return true;
        });
        pane = std::make_unique<CLotwardHtmlView>(doc, settings, blank, itemPage, nullptr);
    }
    void TearDown() override
    {
        pane.reset();
        SetBrowserLaunchHook(previousHook);
    }
    QString Shown() const { return pane->toPlainText(); }

    QTemporaryDir dir;
    QString blank;
    QString itemPage;
    CMemorySettingsStore settings;
    CLotwardDoc doc;
    CItem* first = nullptr;
    CItem* second = nullptr;
    QStringList opened;
    BrowserLaunchHook previousHook;
    std::unique_ptr<CLotwardHtmlView> pane;
};

TEST_F(PaneFixture, FollowsTheFocusedItemAndShowsTheBlankPageWithoutOne)
{
    EXPECT_EQ(pane->CurrentUrl(), blank.toLower());
    EXPECT_TRUE(Shown().contains(QStringLiteral("BLANK PAGE")));
    doc.UpdateAllViews(kHintFocus, first);
    EXPECT_EQ(pane->CurrentItem(), first);
    EXPECT_EQ(pane->CurrentUrl(), itemPage.toLower());
    EXPECT_TRUE(Shown().contains(QStringLiteral("Brass telescope")));
    doc.UpdateAllViews(kHintFocus, second);
    EXPECT_TRUE(Shown().contains(QStringLiteral("Fountain pens, caf\u00e9 cr\u00e8me"))) << Shown().toStdString();
    doc.UpdateAllViews(kHintFocus, nullptr);
    EXPECT_TRUE(Shown().contains(QStringLiteral("BLANK PAGE")));
}

TEST_F(PaneFixture, DeletingTheShownItemShowsTheBlankPageAndDeletingAnotherChangesNothing)
{
    doc.UpdateAllViews(kHintFocus, first);
    doc.RemoveItem(second);
    EXPECT_EQ(pane->CurrentItem(), first);
    EXPECT_TRUE(Shown().contains(QStringLiteral("Brass telescope")));
    doc.RemoveItem(first);
    EXPECT_EQ(pane->CurrentItem(), nullptr);
    EXPECT_TRUE(Shown().contains(QStringLiteral("BLANK PAGE")));
}

TEST_F(PaneFixture, EmptyingTheDocumentLetsGoOfTheShownItem)
{
    doc.UpdateAllViews(kHintFocus, first);
    doc.OnNewDocument();
    EXPECT_EQ(pane->CurrentItem(), nullptr);
    EXPECT_TRUE(Shown().contains(QStringLiteral("BLANK PAGE")));
}

TEST_F(PaneFixture, ARefreshOfTheShownItemReloadsItsPage)
{
    doc.UpdateAllViews(kHintFocus, first);
    first->pageText = "<html><body>Now with 18 bids</body></html>";
    doc.UpdateAllViews(kHintItemChanged, second);
    EXPECT_TRUE(Shown().contains(QStringLiteral("Brass telescope"))) << "another item's change leaves the page";
    doc.UpdateAllViews(kHintItemChanged, first);
    EXPECT_TRUE(Shown().contains(QStringLiteral("Now with 18 bids"))) << Shown().toStdString();
}

TEST_F(PaneFixture, WebLinksGoToTheBrowserAndThePaneStaysOnTheItem)
{
    doc.UpdateAllViews(kHintFocus, first);
    const QUrl source = pane->source();
    pane->FollowLink(QUrl(QStringLiteral("http://cgi.ebay.com/x?item=111")));
    pane->FollowLink(QUrl(QStringLiteral("https://secure.ebay.com/y")));
    EXPECT_EQ(opened, (QStringList{QStringLiteral("http://cgi.ebay.com/x?item=111"), QStringLiteral("https://secure.ebay.com/y")}));
    EXPECT_EQ(pane->source(), source);
    EXPECT_TRUE(Shown().contains(QStringLiteral("Brass telescope")));

    // Other schemes neither leave the machine nor load; missing local files do not load.
    opened.clear();
    for (const char* link : {"javascript:alert(1)", "ftp://ftp.example.com/f", "mailto:a@b.c", "file:///nonexistent/x.html"})
        pane->FollowLink(QUrl(QString::fromLatin1(link)));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(pane->source(), source);

    // A local file loads in the pane.
    const QString local = dir.filePath(QStringLiteral("help.html"));
    QFile file(local);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body>LOCAL HELP</body></html>");
    file.close();
    pane->FollowLink(QUrl::fromLocalFile(local));
    EXPECT_TRUE(Shown().contains(QStringLiteral("LOCAL HELP")));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(PaneFixture, ClickingALinkInThePageUsesTheSameRoute)
{
    pane->resize(600, 400);
    pane->show();
    doc.UpdateAllViews(kHintFocus, first);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
    QTextCursor found = pane->document()->find(QStringLiteral("bid"));
    ASSERT_FALSE(found.isNull());
    const QRect rect = pane->cursorRect(found);
    const QPoint at(rect.left() - 3, rect.center().y());
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(opened, QStringList{QStringLiteral("http://cgi.ebay.com/x?item=111")});
    EXPECT_TRUE(Shown().contains(QStringLiteral("Brass telescope")));
}

TEST_F(PaneFixture, UnwritableItemPageShowsTheBlankPage)
{
    QFile blocker(dir.filePath(QStringLiteral("cache")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the cache folder should be
    blocker.close();
    doc.UpdateAllViews(kHintFocus, first);
    EXPECT_EQ(pane->CurrentItem(), first);
    EXPECT_EQ(pane->CurrentUrl(), blank.toLower());
}

TEST_F(PaneFixture, FiveTextSizesFromTheSettingAppliedAtOnce)
{
    qreal sizes[5] = {};
    for (int size = 0; size < 5; ++size) {
        settings.WriteInt("Main Window", "FontSize", size);
        pane->RefreshFont();
        EXPECT_EQ(pane->FontSize(), size);
        sizes[size] = pane->document()->defaultFont().pointSizeF();
        if (size > 0) {
            EXPECT_GT(sizes[size], sizes[size - 1]);
        }
    }
    settings.WriteInt("Main Window", "FontSize", 9);
    pane->RefreshFont();
    EXPECT_EQ(pane->FontSize(), 4);
}

TEST_F(PaneFixture, ContextMenuIsSuppressed)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), pane->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(pane->viewport(), &event);
    EXPECT_TRUE(event.isAccepted());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

// A loopback server answering every request with one PNG picture, counting the requests.
class PictureServer : public QTcpServer
{
public:
    PictureServer()
    {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::red);
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request += socket->readAll();
                    if (!request.contains("\r\n\r\n"))
                        return;
                    ++requests;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\nContent-Length: " +
                                  QByteArray::number(png.size()) + "\r\n\r\n" + png);
                    socket->disconnectFromHost();
                    request.clear();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        listen(QHostAddress::LocalHost);
    }
    QByteArray png;
    QByteArray request;
    int requests = 0;
};

TEST_F(PaneFixture, RemotePicturesArriveInTheBackground)
{
    PictureServer server;
    ASSERT_TRUE(server.isListening());
    const QString url = QStringLiteral("http://127.0.0.1:%1/photo.png").arg(server.serverPort());
    first->pageText = ("<html><body>PHOTO <img src=\"" + url + "\"></body></html>").toStdString();
    pane->resize(400, 300);
    pane->show();
    doc.UpdateAllViews(kHintFocus, first); // returns before the picture is there
    EXPECT_TRUE(Shown().contains(QStringLiteral("PHOTO")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane->PendingPictures() == 0 && server.requests > 0; }, 10000));
    const QVariant picture = pane->document()->resource(QTextDocument::ImageResource, QUrl(url));
    ASSERT_TRUE(picture.canConvert<QImage>());
    EXPECT_EQ(picture.value<QImage>().size(), QSize(8, 6));
    // Shown again, the page takes the picture from memory.
    doc.UpdateAllViews(kHintItemChanged, first);
    QTest::qWait(50);
    EXPECT_EQ(server.requests, 1);
}

TEST(PaneInFrame, TheFrameShowsThePaneAndItFollowsTheList)
{
    RunningApp running([](CMemorySettingsStore& settings) { settings.WriteInt("Main Window", "Split", 1); });
    auto* pane = qobject_cast<CLotwardHtmlView*>(running.Frame().DescriptionPane());
    ASSERT_NE(pane, nullptr);
    AddEbayItems(running.Doc(), {"333"});
    running.Doc().GetItem(0)->pageText = "<html><body>ITEM 333</body></html>";
    running.View().setCurrentIndex(running.View().model()->index(0, 0));
    EXPECT_EQ(pane->CurrentItem(), running.Doc().GetItem(0));
    EXPECT_TRUE(pane->toPlainText().contains(QStringLiteral("ITEM 333")));
    running.Frame().ToggleDescription();
    EXPECT_EQ(running.Frame().DescriptionPane(), nullptr);
    running.Frame().ToggleDescription();
    pane = qobject_cast<CLotwardHtmlView*>(running.Frame().DescriptionPane());
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(pane->toPlainText().contains(QStringLiteral("ITEM 333"))) << "a new pane shows the focused item";
}

} // namespace
