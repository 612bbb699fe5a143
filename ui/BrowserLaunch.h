#pragma once
// Every place of the program that shows a web page or a file in the desktop's browser goes
// through OpenInBrowser: the list's "Open in Browser" and double click, the links of the
// description pane, the search window, the FAQ command and the About box links. The address
// reaches the desktop's handler (xdg-open behind QDesktopServices) as an argument, never
// through a shell command line.

#include <QString>
#include <QUrl>

#include <functional>

// Opens `url` in the default browser. Returns false when the desktop could not hand it over
// (or the address is empty or invalid).
bool OpenInBrowser(const QUrl& url);
// A text that is either an absolute address ("http://...") or a local file path.
bool OpenInBrowser(const QString& urlOrPath);

// Replaces what OpenInBrowser does, for tests that must not start a browser. An empty
// function restores the desktop handler. Returns the previous hook.
using BrowserLaunchHook = std::function<bool(const QUrl&)>;
BrowserLaunchHook SetBrowserLaunchHook(BrowserLaunchHook hook);
