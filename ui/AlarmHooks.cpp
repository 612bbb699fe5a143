#include "ui/AlarmHooks.h"

#include "core/document/LotwardDoc.h"
#include "ui/AlarmMonitor.h"
#include "ui/CommandIds.h"
#include "ui/LotwardHtmlView.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"
#include "ui/SheetItemPty.h"

#include <QSplitter>

#include <ctime>

void InstallItemWindows(CMainFrame& frame, ISettingsStore& settings, const QString& blankPagePath,
                        const QString& itemPagePath)
{
    CMainFrame* owner = &frame;
    frame.SetCommandHandler(kCmdProperties, [owner] {
        CLotwardView* list = owner->ItemView();
        if (CItem* item = list ? list->FocusedItem() : nullptr)
            ShowItemProperties(owner->Document(), list, *item, owner);
    });

    auto* monitor = new CAlarmMonitor(owner, owner);
    monitor->setObjectName(QStringLiteral("AlarmMonitor"));
    frame.SetAlarmCheck([monitor](CLotwardDoc& doc) { monitor->Check(doc, std::time(nullptr)); });

    ISettingsStore* store = &settings;
    frame.SetDescriptionPaneFactory([owner, store, blankPagePath, itemPagePath](QWidget* parent) -> QWidget* {
        CLotwardView* list = owner->ItemView();
        return new CLotwardHtmlView(owner->Document(), *store, blankPagePath, itemPagePath,
                                    list ? list->FocusedItem() : nullptr, parent);
    });
    // The frame may have opened its lower row before the pane could be made: replace what
    // stands there, keeping the row heights.
    if (QWidget* placeholder = frame.DescriptionPane(); placeholder && !qobject_cast<CLotwardHtmlView*>(placeholder)) {
        const QList<int> sizes = frame.Splitter()->sizes();
        delete placeholder;
        frame.SplitDescription(sizes.value(0));
        frame.Splitter()->setSizes(sizes);
    }
}
