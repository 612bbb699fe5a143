#include "ui/SheetDisplayOpt.h"

#include "core/StringTable.h"
#include "core/document/LotwardDoc.h"
#include "platform/SettingsStore.h"
#include "ui/ChooserPage.h"
#include "ui/LotwardHtmlView.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"
#include "ui/PageDisplayGeneral.h"
#include "ui/SheetOptionSpin.h"
#include "ui/SheetOptionStrings.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const kMainWindow = "Main Window";

bool ToolbarShown(CMainFrame& frame)
{
    return frame.ToolBar() && frame.ToolBar()->isVisibleTo(&frame);
}

} // namespace

DisplayPrefs ReadDisplayPrefs(CMainFrame& frame, ISettingsStore& settings)
{
    DisplayPrefs prefs;
    prefs.toolbar = ToolbarShown(frame);
    prefs.textLabels = frame.ToolbarText();
    prefs.bigIcons = frame.ToolbarBig();
    prefs.viewer = frame.DescriptionPane() != nullptr;
    prefs.fontSize = settings.GetInt(kMainWindow, "FontSize", 0);
    if (const CLotwardView* list = frame.ItemView()) {
        prefs.trackChanges = list->TrackChanges();
        prefs.readTime = list->ReadTime();
    }
    frame.Document().Columns().GetColumnIds(prefs.columns);
    return prefs;
}

void ApplyDisplayPrefs(CMainFrame& frame, ISettingsStore& settings, const DisplayPrefs& prefs)
{
    CLotwardView* list = frame.ItemView();
    if (!list)
        return;
    frame.Document().SetDocumentColumns(prefs.columns);

    if (settings.GetInt(kMainWindow, "FontSize", -1) != prefs.fontSize) {
        settings.WriteInt(kMainWindow, "FontSize", prefs.fontSize);
        if (auto* pane = qobject_cast<CLotwardHtmlView*>(frame.DescriptionPane()))
            pane->RefreshFont();
    }

    if (prefs.viewer != (frame.DescriptionPane() != nullptr))
        frame.ToggleDescription();

    if (prefs.toolbar != ToolbarShown(frame))
        frame.ToolBar()->setVisible(prefs.toolbar);

    if (prefs.textLabels != frame.ToolbarText() || prefs.bigIcons != frame.ToolbarBig()) {
        // A hidden toolbar keeps its buttons as they are; it is laid out with the new style
        // at the next start, from the flags stored at frame close.
        if (ToolbarShown(frame))
            frame.SetToolbarStyle(prefs.textLabels, prefs.bigIcons);
        else
            frame.StoreToolbarFlags(prefs.textLabels, prefs.bigIcons);
    }

    if (prefs.trackChanges != list->TrackChanges())
        list->SetTrackChanges(prefs.trackChanges);
    if (prefs.readTime != list->ReadTime())
        list->SetReadTime(prefs.readTime);
    frame.UpdateCommandUI();
}

CSheetDisplayOpt::CSheetDisplayOpt(const DisplayPrefs& prefs, ApplyFunction apply, QWidget* parent)
    : QDialog(parent), current(prefs), applyFunction(std::move(apply))
{
    setWindowTitle(ResText(kStrDisplayPrefsTitle));
    tabs = new QTabWidget(this);
    general = new CPageDisplayGeneral(prefs, tabs);
    tabs->addTab(general, ResText(kStrDispGeneral));

    ChooserParams params;
    params.captionId = kStrColumnsCaption;
    params.pluralId = kStrColumnsPlural;
    params.emptyMessageId = kStrNoColumnChosen;
    params.userOrder = true;
    params.capacityHint = 20;
    params.textOf = [](int id) { return ToQt(LoadResString(id)); };
    std::vector<int> all;
    GetAvailableColumnIds(all);
    columns = new CChooserPage(params, all, prefs.columns, tabs);
    tabs->addTab(columns, columns->Caption());

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ResText(kStrButtonOk), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(ResText(kStrButtonCancel), QDialogButtonBox::RejectRole);
    applyButton = buttons->addButton(ResText(kStrDispApply), QDialogButtonBox::ApplyRole);
    applyButton->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, &CSheetDisplayOpt::Apply);
    auto modified = [this] { applyButton->setEnabled(true); };
    connect(general, &CPageDisplayGeneral::Changed, this, modified);
    connect(columns, &CChooserPage::Changed, this, modified);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(std::max(sizeHint().width(), 540), sizeHint().height());
}

bool CSheetDisplayOpt::Collect(DisplayPrefs& prefs)
{
    if (CRangeSpin* field = general->InvalidField()) {
        tabs->setCurrentWidget(general);
        RefuseOutOfRange(this, field);
        return false;
    }
    if (columns->ChosenIds().empty()) {
        tabs->setCurrentWidget(columns);
        columns->Validate();
        return false;
    }
    prefs = current;
    general->Store(prefs);
    prefs.columns = columns->ChosenIds();
    return true;
}

bool CSheetDisplayOpt::Apply()
{
    DisplayPrefs prefs;
    if (!Collect(prefs))
        return false;
    current = prefs;
    if (applyFunction)
        applyFunction(prefs);
    applyButton->setEnabled(false);
    return true;
}

void CSheetDisplayOpt::accept()
{
    if (Apply())
        QDialog::accept();
}

void ShowDisplayPreferences(CMainFrame& frame, ISettingsStore& settings)
{
    if (!frame.ItemView())
        return;
    CSheetDisplayOpt sheet(ReadDisplayPrefs(frame, settings),
                           [&frame, &settings](const DisplayPrefs& prefs) { ApplyDisplayPrefs(frame, settings, prefs); },
                           &frame);
    sheet.exec();
}
