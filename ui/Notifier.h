#pragma once
// Desktop notifications (freedesktop), so that an alarm is seen while the window is hidden:
// over D-Bus when the session bus is there, else through notify-send when it is installed,
// else not at all.

#include <QString>

#include <functional>

// `body` is plain text; it is escaped for the notification server's markup.
void PostDesktopNotification(const QString& summary, const QString& body);

// Replaces how notifications are posted (tests; the hook sees the body as sent, escaped); an
// empty function restores the desktop's.
void SetDesktopNotificationHook(std::function<void(const QString& summary, const QString& body)> hook);
