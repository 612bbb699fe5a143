// Uninstall: removes the installation it belongs to (the folder it runs from), asking first,
// or, given --silent, without windows.

#include "install/InstallText.h"
#include "install/InstallUi.h"
#include "install/SilentRun.h"

#include <QApplication>

#include <iostream>

int main(int argc, char** argv)
{
    SetInstallLanguage(LanguageFromLocale());
    const InstallCommandLine line =
        ParseInstallArguments(std::vector<std::string>(argv + 1, argv + argc), true);
    if (const int code = HandleCommandLineWithoutWindows(line, true, std::cout, std::cerr); code >= 0)
        return code;
    const std::string installDir = ProgramDirectory();
    if (line.silent)
        return RunSilentUninstall(line, installDir, std::cout);
    QApplication app(argc, argv);
    return RunUninstallWithQuestions(installDir);
}
