// Lotward: the desktop watch list. Everything lives in the lwui library; this file only wires
// the settings store, the application object and Qt's event loop together.

#include "platform/IniSettingsStore.h"
#include "ui/LotwardApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    CIniSettingsStore settings;
    CLotwardApp app(settings, QCoreApplication::applicationDirPath());
    if (!app.InitInstance(QCoreApplication::arguments())) {
        app.ExitInstance();
        return 1;
    }
    const int result = qtApp.exec();
    app.ExitInstance();
    return result;
}
