#pragma once
// The commands "add items from bookmarks or favorites" (2007) and "export items" (2008): the
// bookmark dialog, the import or export it asks for, and the message that reports the count.

#include <functional>

class CLotwardDoc;
class CMainFrame;
class ISettingsStore;
class QWidget;

// Each shows its dialog over `parent`; on OK moves the items and reports how many. Return the
// count, or -1 when the dialog was cancelled. With "Delete items once imported", the import
// deletes the imported bookmarks only once the watch list holding their items is saved: an
// unmodified list is saved already, a modified one is saved through `saveDocument` (the
// program's Save command); a list left unsaved keeps them, and the report says so, as it says
// why a store could not be changed.
int RunBookmarkImport(CLotwardDoc& doc, ISettingsStore& settings, QWidget* parent,
                      const std::function<bool()>& saveDocument = {});
int RunBookmarkExport(const CLotwardDoc& doc, ISettingsStore& settings, QWidget* parent);

// Installs both commands in the frame.
void InstallBookmarkCommands(CMainFrame& frame, ISettingsStore& settings);
