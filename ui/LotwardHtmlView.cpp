#include "ui/LotwardHtmlView.h"

#include "platform/SettingsStore.h"
#include "ui/BrowserLaunch.h"
#include "ui/UiText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace {

const char* const kMainWindow = "Main Window";

// Text scale of the five sizes, relative to the desktop's font.
constexpr double kFontScale[] = {0.75, 0.875, 1.0, 1.25, 1.5};

constexpr qint64 kMaxPictureBytes = 8 * 1024 * 1024;
constexpr int kPictureTimeoutMs = 30000;
constexpr int kMaxCachedPictures = 200;

bool IsWebLink(const QUrl& url)
{
    const QString text = url.toString();
    return text.startsWith(QLatin1String("http://")) || text.startsWith(QLatin1String("https://"));
}

// The proxy the environment names (http_proxy, https_proxy, no_proxy), as the item downloads use.
class CEnvironmentProxyFactory : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        return systemProxyForQuery(query);
    }
};

// Item pages are Windows-1252 text unless they declare UTF-8.
QString DecodePage(const QByteArray& bytes)
{
    const QByteArray head = bytes.left(4096).toLower();
    if (head.contains("charset=utf-8") || head.contains("charset=\"utf-8\""))
        return QString::fromUtf8(bytes);
    return ToQt(bytes.toStdString());
}

} // namespace

CLotwardHtmlView::CLotwardHtmlView(CLotwardDoc& document, ISettingsStore& store, QString blankPagePath,
                                   QString itemPagePath, CItem* focused, QWidget* parent)
    : QTextBrowser(parent), doc(document), settings(store), blankPage(std::move(blankPagePath)),
      itemPage(std::move(itemPagePath)), currentItem(focused)
{
    setObjectName(QStringLiteral("DescriptionPane"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    connect(this, &QTextBrowser::anchorClicked, this, &CLotwardHtmlView::FollowLink);
    doc.AddObserver(this);
    RefreshFont();
    ShowCurrent();
}

CLotwardHtmlView::~CLotwardHtmlView()
{
    doc.RemoveObserver(this);
}

void CLotwardHtmlView::OnDocumentUpdate(CLotwardDoc&, int hint, CItem* item)
{
    switch (hint) {
    case kHintFocus:
        currentItem = item;
        ShowCurrent();
        break;
    case kHintItemRemoved:
        if (item && item == currentItem) {
            currentItem = nullptr;
            ShowCurrent();
        }
        break;
    case kHintItemChanged:
        if (item && item == currentItem)
            ShowCurrent();
        break;
    case kHintAll:
        // The document was emptied or replaced: the item shown may be gone with it.
        if (currentItem && !doc.ContainsItem(currentItem)) {
            currentItem = nullptr;
            ShowCurrent();
        }
        break;
    default:
        break;
    }
}

std::string CLotwardHtmlView::WrapPageText(const std::string& pageText)
{
    std::string out;
    out.reserve(pageText.size() + 16);
    if (pageText.find("<html>") == std::string::npos)
        out += "<html>\n";
    out += pageText;
    if (pageText.find("</html>") == std::string::npos)
        out += "</html>\n";
    return out;
}

bool CLotwardHtmlView::WriteItemPage(const QString& path, const std::string& pageText)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const std::string text = WrapPageText(pageText);
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void CLotwardHtmlView::ShowCurrent()
{
    if (!currentItem) {
        Navigate(blankPage);
        return;
    }
    Navigate(WriteItemPage(itemPage, currentItem->pageText) ? itemPage : blankPage);
}

void CLotwardHtmlView::Navigate(const QString& path)
{
    currentUrl = path.toLower();
    pageWants.clear();
    // Each page comes with the chosen text size.
    RefreshFont();
    const QUrl url = QUrl::fromLocalFile(path);
    if (source() == url)
        reload();
    else
        setSource(url, QTextDocument::HtmlResource);
    clearHistory();
}

void CLotwardHtmlView::RefreshFont()
{
    fontSize = std::clamp(settings.GetInt(kMainWindow, "FontSize", 0), 0, 4);
    QFont font = QApplication::font();
    const qreal base = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    font.setPointSizeF(base * kFontScale[fontSize]);
    document()->setDefaultFont(font);
}

void CLotwardHtmlView::FollowLink(const QUrl& link)
{
    if (IsWebLink(link)) {
        OpenInBrowser(link);
        return;
    }
    const QUrl target = link.isRelative() ? source().resolved(link) : link;
    if (IsWebLink(target)) {
        OpenInBrowser(target);
        return;
    }
    if (!target.isLocalFile())
        return;
    if (target.adjusted(QUrl::RemoveFragment) == source().adjusted(QUrl::RemoveFragment)) {
        if (target.hasFragment())
            scrollToAnchor(target.fragment());
        return;
    }
    const QString path = target.toLocalFile();
    if (QFileInfo(path).isFile())
        Navigate(path);
}

QVariant CLotwardHtmlView::loadResource(int type, const QUrl& name)
{
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (type == QTextDocument::ImageResource && IsWebLink(url)) {
        if (auto it = pictures.constFind(url); it != pictures.constEnd())
            return *it;
        pageWants.insert(url);
        FetchPicture(url);
        return {};
    }
    if (type == QTextDocument::HtmlResource && url.isLocalFile()) {
        QFile file(url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return DecodePage(file.readAll());
    }
    if (!url.isLocalFile())
        return {}; // nothing else leaves the machine
    return QTextBrowser::loadResource(type, url);
}

void CLotwardHtmlView::FetchPicture(const QUrl& url)
{
    if (requested.contains(url))
        return;
    requested.insert(url);
    if (!network) {
        network = new QNetworkAccessManager(this);
        network->setProxyFactory(new CEnvironmentProxyFactory);
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(kPictureTimeoutMs);
    QNetworkReply* reply = network->get(request);
    ++pendingPictures;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > kMaxPictureBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, url] {
        reply->deleteLater();
        --pendingPictures;
        QImage image;
        if (reply->error() == QNetworkReply::NoError)
            image.loadFromData(reply->readAll());
        if (image.isNull())
            return; // the page keeps its empty picture frame
        if (pictures.size() >= kMaxCachedPictures) {
            pictures.clear();
            requested.clear();
            requested.insert(url);
        }
        pictures.insert(url, image);
        if (pageWants.contains(url)) {
            document()->addResource(QTextDocument::ImageResource, url, image);
            document()->markContentsDirty(0, document()->characterCount());
            viewport()->update();
        }
    });
}

void CLotwardHtmlView::contextMenuEvent(QContextMenuEvent* event)
{
    // The pane has no context menu of its own, and none of its parents' either.
    event->accept();
}
