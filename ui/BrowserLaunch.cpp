#include "BrowserLaunch.h"

#include <QDesktopServices>
#include <QFileInfo>

#include <utility>

namespace
{
BrowserLaunchHook& Hook()
{
    static BrowserLaunchHook hook;
    return hook;
}
} // namespace

bool OpenInBrowser(const QUrl& url)
{
    if (url.isEmpty() || !url.isValid())
        return false;
    if (const BrowserLaunchHook& hook = Hook())
        return hook(url);
    return QDesktopServices::openUrl(url);
}

bool OpenInBrowser(const QString& urlOrPath)
{
    const QString text = urlOrPath.trimmed();
    if (text.isEmpty())
        return false;
    // "C:/x.htm"-like or "/tmp/x.htm" texts are files; anything with a scheme is an address.
    const QUrl asUrl(text, QUrl::TolerantMode);
    if (asUrl.isValid() && asUrl.scheme().size() > 1)
        return OpenInBrowser(asUrl);
    return OpenInBrowser(QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath()));
}

BrowserLaunchHook SetBrowserLaunchHook(BrowserLaunchHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}
