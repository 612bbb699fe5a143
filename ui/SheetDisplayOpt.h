#pragma once
// The display preferences sheet: "General" (toolbar, description viewer, change tracking) and
// the columns of the item list, with OK, Cancel and Apply.

#include <QDialog>

#include <functional>
#include <vector>

class CChooserPage;
class CMainFrame;
class CPageDisplayGeneral;
class ISettingsStore;
class QPushButton;
class QTabWidget;

// What the sheet edits, as read from the frame, the list and "Main Window"/"FontSize".
struct DisplayPrefs
{
    bool toolbar = true;
    bool textLabels = true;
    bool bigIcons = true;
    bool viewer = false;
    int fontSize = 0;
    bool trackChanges = true;
    int readTime = 3;
    std::vector<int> columns;
};

DisplayPrefs ReadDisplayPrefs(CMainFrame& frame, ISettingsStore& settings);
// Applies `prefs` in this order: columns, font size, description pane, toolbar visibility,
// toolbar style, change tracking, read time; each step only when its value differs.
void ApplyDisplayPrefs(CMainFrame& frame, ISettingsStore& settings, const DisplayPrefs& prefs);

class CSheetDisplayOpt : public QDialog
{
    Q_OBJECT
public:
    using ApplyFunction = std::function<void(const DisplayPrefs&)>;
    CSheetDisplayOpt(const DisplayPrefs& prefs, ApplyFunction apply, QWidget* parent = nullptr);

    CPageDisplayGeneral* GeneralPage() const { return general; }
    CChooserPage* ColumnsPage() const { return columns; }
    QTabWidget* Tabs() const { return tabs; }
    QPushButton* ApplyButton() const { return applyButton; }

    // Applies the pages' values and keeps the sheet open; false when a page refused them.
    bool Apply();
    void accept() override;

private:
    bool Collect(DisplayPrefs& prefs);

    DisplayPrefs current;
    ApplyFunction applyFunction;
    QTabWidget* tabs = nullptr;
    CPageDisplayGeneral* general = nullptr;
    CChooserPage* columns = nullptr;
    QPushButton* applyButton = nullptr;
};

// The Display Preferences command: fills the sheet from the frame and applies it on OK and on
// Apply. Does nothing without an item list.
void ShowDisplayPreferences(CMainFrame& frame, ISettingsStore& settings);
