#pragma once
// The description pane below the item list: the focused item's page, written to the item page
// file and shown from there, or the blank page. Links to web pages open in the user's browser;
// only local files load in the pane. Scripts never run; pictures of the page are fetched in the
// background and appear as they arrive.

#include "core/document/LotwardDoc.h"

#include <QHash>
#include <QImage>
#include <QSet>
#include <QTextBrowser>
#include <QUrl>

#include <string>

class ISettingsStore;
class QNetworkAccessManager;

class CLotwardHtmlView : public QTextBrowser, public IDocumentObserver
{
    Q_OBJECT
public:
    // Shows `focused` (or the blank page) at once.
    CLotwardHtmlView(CLotwardDoc& doc, ISettingsStore& settings, QString blankPagePath, QString itemPagePath,
                     CItem* focused, QWidget* parent = nullptr);
    ~CLotwardHtmlView() override;

    void OnDocumentUpdate(CLotwardDoc& doc, int hint, CItem* item) override;

    // Shows the current item's page, or the blank page when there is none.
    void ShowCurrent();
    // Applies "Main Window"/"FontSize" (0 smallest to 4 largest) to the page shown now.
    void RefreshFont();

    CItem* CurrentItem() const { return currentItem; }
    QString CurrentUrl() const { return currentUrl; }
    int FontSize() const { return fontSize; }
    // Picture downloads still running.
    int PendingPictures() const { return pendingPictures; }

    // The page text as written to the item page file: "<html>\n" before it unless it holds
    // "<html>", "</html>\n" after it unless it holds "</html>" (both case-sensitive).
    static std::string WrapPageText(const std::string& pageText);
    // Replaces `path` with the wrapped page text; false when it cannot be written.
    static bool WriteItemPage(const QString& path, const std::string& pageText);

    // Follows a link the way a click on it does (public for tests).
    void FollowLink(const QUrl& link);

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Navigate(const QString& path);
    void FetchPicture(const QUrl& url);

    CLotwardDoc& doc;
    ISettingsStore& settings;
    QString blankPage;
    QString itemPage;
    CItem* currentItem = nullptr;
    QString currentUrl;
    int fontSize = 0;
    QNetworkAccessManager* network = nullptr;
    QHash<QUrl, QImage> pictures;
    QSet<QUrl> requested;   // asked for, answered or not
    QSet<QUrl> pageWants;   // pictures the page shown now is waiting for
    int pendingPictures = 0;
};
