#pragma once
// The commands "add items from bookmarks or favorites" (2007) and "export items" (2008): the
// bookmark dialog, the import or export it asks for, and the message that reports the count.

class CLotwardDoc;
class CMainFrame;
class ISettingsStore;
class QWidget;

// Each shows its dialog over `parent`; on OK moves the items and reports how many. Return the
// count, or -1 when the dialog was cancelled.
int RunBookmarkImport(CLotwardDoc& doc, ISettingsStore& settings, QWidget* parent);
int RunBookmarkExport(const CLotwardDoc& doc, ISettingsStore& settings, QWidget* parent);

// Installs both commands in the frame.
void InstallBookmarkCommands(CMainFrame& frame, ISettingsStore& settings);
