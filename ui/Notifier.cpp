#include "ui/Notifier.h"

#include "ui/UiText.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QVariantMap>

#ifdef LW_HAVE_QTDBUS
#include <QDBusConnection>
#include <QDBusMessage>
#endif

namespace {

std::function<void(const QString&, const QString&)>& Hook()
{
    static std::function<void(const QString&, const QString&)> hook;
    return hook;
}

#ifdef LW_HAVE_QTDBUS
// Only a session bus that is already running: asking for one otherwise may start a bus daemon.
bool SessionBusPresent()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("bus")));
}

bool NotifyOverDBus(const QString& summary, const QString& body)
{
    if (!SessionBusPresent())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                                       QStringLiteral("/org/freedesktop/Notifications"),
                                                       QStringLiteral("org.freedesktop.Notifications"),
                                                       QStringLiteral("Notify"));
    call << AppTitle() << 0u << QStringLiteral("dialog-information") << summary << body << QStringList()
         << QVariantMap() << -1;
    // Not waited for: a missing notification service only means nobody shows it.
    return bus.send(call);
}
#endif

void NotifyWithProgram(const QString& summary, const QString& body)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("notify-send"));
    if (program.isEmpty())
        return;
    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("--app-name=") + AppTitle(), QStringLiteral("--icon=dialog-information"),
                          QStringLiteral("--"), summary, body});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
}

} // namespace

void SetDesktopNotificationHook(std::function<void(const QString&, const QString&)> hook)
{
    Hook() = std::move(hook);
}

void PostDesktopNotification(const QString& summary, const QString& text)
{
    // Notification servers read the body as markup: an item's "&" or "<b>" is shown as typed.
    const QString body = text.toHtmlEscaped();
    if (Hook()) {
        Hook()(summary, body);
        return;
    }
#ifdef LW_HAVE_QTDBUS
    if (NotifyOverDBus(summary, body))
        return;
#endif
    NotifyWithProgram(summary, body);
}
