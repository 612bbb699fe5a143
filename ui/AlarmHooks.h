#pragma once
// Wires the item property sheet, the alarm check and the description pane into the main frame.

#include <QString>

class CMainFrame;
class ISettingsStore;

void InstallItemWindows(CMainFrame& frame, ISettingsStore& settings, const QString& blankPagePath,
                        const QString& itemPagePath);
