// Install: puts Lotwarden on the machine, with the wizard or, given --silent, without windows.

#include "install/InstallText.h"
#include "install/InstallUi.h"
#include "install/SilentRun.h"

#include <QApplication>

#include <algorithm>
#include <iostream>

int main(int argc, char** argv)
{
    SetInstallLanguage(LanguageFromLocale());
    const std::vector<std::string> raw(argv + 1, argv + argc);
    const CEmbeddedPayload payload;
    if (std::find(raw.begin(), raw.end(), "--silent") != raw.end())
        return RunSilentInstall(ParseInstallArguments(raw, false), payload, std::cout, std::cerr);

    QApplication app(argc, argv);
    std::vector<std::string> args;
    for (const QString& arg : QCoreApplication::arguments().mid(1))
        args.push_back(arg.toStdString());
    const InstallCommandLine line = ParseInstallArguments(args, false);
    if (!line.error.empty()) {
        std::cerr << "Install: " << line.error << "\n";
        return 2;
    }
    return RunInstallWizard(line, payload);
}
