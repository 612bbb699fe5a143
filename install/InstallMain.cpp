// Install: puts Lotwarden on the machine, with the wizard or, given --silent, without windows.

#include "install/InstallText.h"
#include "install/InstallUi.h"
#include "install/SilentRun.h"

#include <QApplication>

#include <iostream>

int main(int argc, char** argv)
{
    SetInstallLanguage(LanguageFromLocale());
    const InstallCommandLine line =
        ParseInstallArguments(std::vector<std::string>(argv + 1, argv + argc), false);
    if (const int code = HandleCommandLineWithoutWindows(line, false, std::cout, std::cerr); code >= 0)
        return code;
    const CEmbeddedPayload payload;
    if (line.silent)
        return RunSilentInstall(line, payload, std::cout, std::cerr);
    QApplication app(argc, argv);
    return RunInstallWizard(line, payload);
}
