#pragma once
// The installer's own texts (Install and Uninstall), looked up by number in an English and a
// French table built into the programs. The language follows the user's locale the way the
// platform's resource lookup would: LC_ALL, then LC_MESSAGES, then LANG; a locale starting with
// "fr" gives French, anything else English. Texts are UTF-8.

#include <string>
#include <vector>

enum InstallLanguage { kInstallEnglish = 0, kInstallFrench = 1 };

// The language the locale variables ask for (see above).
int LanguageFromLocale();
// Chooses the table every later lookup uses (kInstallEnglish when out of range).
void SetInstallLanguage(int language);
int GetInstallLanguage();

// The text of `id` in the current language; English when the French table lacks it; "" when
// neither has it.
std::string InstallString(int id);
std::string InstallString(int id, int language);

// Fills "%s" and "%d" placeholders in order with `args` (already text); "%%" is one percent.
std::string FormatInstallText(const std::string& format, const std::vector<std::string>& args);
std::string FormatInstallString(int id, const std::vector<std::string>& args);
