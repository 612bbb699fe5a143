// Uninstall: removes the installation it belongs to (the folder it runs from), asking first,
// or, given --silent, without windows.

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
    const std::string installDir = ProgramDirectory();
    if (std::find(raw.begin(), raw.end(), "--silent") != raw.end())
        return RunSilentUninstall(ParseInstallArguments(raw, true), installDir, std::cout);

    QApplication app(argc, argv);
    std::vector<std::string> args;
    for (const QString& arg : QCoreApplication::arguments().mid(1))
        args.push_back(arg.toStdString());
    const InstallCommandLine line = ParseInstallArguments(args, true);
    if (!line.error.empty()) {
        std::cerr << "Uninstall: " << line.error << "\n";
        return 2;
    }
    return RunUninstallWithQuestions(installDir);
}
