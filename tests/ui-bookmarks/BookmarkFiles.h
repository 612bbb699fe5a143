#pragma once
// A bookmark file and a Favorites folder written for the dialog tests and pictures.

#include "UiTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <string>

namespace bmui {

// Answers the first modal window of type W that shows while this object lives, from inside the
// event loop that window runs. The answer ends with the object, so one that was never needed
// cannot catch a window of a later test.
template <class W>
class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(W*)> answer)
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            auto* modal = qobject_cast<W*>(QApplication::activeModalWidget());
            if (!modal)
                return;
            timer.stop();
            answered = true;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                text = box->text();
                icon = box->icon();
            }
            answer(modal);
        });
        timer.start();
    }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    bool answered = false;
    QString text; // a message box's text
    QMessageBox::Icon icon = QMessageBox::NoIcon;

private:
    QTimer timer;
};

// Closes the next message box and keeps its text and icon.
struct MessageAnswer : ModalAnswer<QMessageBox>
{
    MessageAnswer() : ModalAnswer<QMessageBox>([](QMessageBox* box) { box->accept(); }) {}
};

inline std::string Native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

inline void WriteText(const QString& path, const std::string& text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.data(), static_cast<qint64>(text.size()));
}

inline std::string Link(const std::string& url, const std::string& title)
{
    std::string escaped;
    for (char c : url)
        escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
    return "<DT><A HREF=\"" + escaped + "\" ADD_DATE=\"1700000000\">" + title + "</A>\n";
}

// bookmarks.html with "Auctions" (holding "Old" and "Pens &amp; Ink"), "Toolbar" and "Other".
inline std::string SampleBookmarks()
{
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n<DL><p>\n" +
           Link("https://www.debian.org/", "Debian") + Link(EbayUrl("100"), "Lamp") +
           "<DT><H3 ADD_DATE=\"1700000000\">Auctions</H3>\n<DL><p>\n" + Link(EbayUrl("200"), "Telescope") +
           "<DT><H3>Old</H3>\n<DL><p>\n" + Link(EbayUrl("300"), "Clock") + "</DL><p>\n" +
           "<DT><H3>Pens &amp; Ink</H3>\n<DL><p>\n" + Link(EbayUrl("310"), "Fountain pen") + "</DL><p>\n" +
           "</DL><p>\n<DT><H3>Toolbar</H3>\n<DL><p>\n" + Link("https://example.com/", "Example") +
           "</DL><p>\n<DT><H3>Other</H3>\n<DL><p>\n" + Link(EbayUrl("400"), "Chair") + "</DL><p>\n</DL>\n";
}

struct SampleStores
{
    SampleStores()
    {
        bookmarks = dir.filePath(QStringLiteral("bookmarks.html"));
        WriteText(bookmarks, SampleBookmarks());
        favorites = dir.filePath(QStringLiteral("Favorites"));
        QDir().mkpath(favorites + QStringLiteral("/Auctions"));
        WriteText(favorites + QStringLiteral("/Lamp.url"), "[InternetShortcut]\r\nURL=" + EbayUrl("11") + "\r\n");
        WriteText(favorites + QStringLiteral("/Debian.url"), "[InternetShortcut]\r\nURL=https://www.debian.org/\r\n");
        WriteText(favorites + QStringLiteral("/Auctions/Clock.url"),
                  "[InternetShortcut]\r\nURL=" + EbayUrl("12") + "\r\n");
    }
    QTemporaryDir dir;
    QString bookmarks;
    QString favorites;
};

} // namespace bmui
