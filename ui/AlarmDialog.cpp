#include "ui/AlarmDialog.h"

#include "core/StringTable.h"
#include "core/item/Item.h"
#include "ui/AlarmStrings.h"
#include "ui/UiText.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kFirstColumnWidth = 50;

} // namespace

const std::vector<int>& CAlarmDialog::ColumnIds()
{
    static const std::vector<int> ids = {kColItemNumber, kColServer, kColDescription, kColEndDateLocal};
    return ids;
}

CAlarmDialog::CAlarmDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ResText(kStrAlarmDialogTitle));
    auto* text = new QLabel(ResText(kStrAlarmDialogText), this);
    list = new QTreeWidget(this);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setAllColumnsShowFocus(true);
    text->setBuddy(list);
    QStringList titles;
    for (int id : ColumnIds())
        titles << ResText(id);
    list->setHeaderLabels(titles);
    list->header()->setStretchLastSection(false);
    for (int column = 0; column < list->columnCount(); ++column)
        list->setColumnWidth(column, kFirstColumnWidth);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(ResText(kStrAlarmDialogClose), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    resize(560, 260);
}

void CAlarmDialog::AddItems(const std::vector<CItem*>& items)
{
    for (const CItem* item : items) {
        QStringList texts;
        for (int id : ColumnIds())
            texts << ToQt(item->GetDisplayText(id));
        list->addTopLevelItem(new QTreeWidgetItem(texts));
    }
    FitColumns();
}

void CAlarmDialog::FitColumns()
{
    // Each column as wide as the wider of its content and its header.
    for (int column = 0; column < list->columnCount(); ++column)
        list->resizeColumnToContents(column);
    // The dialog grows to show every column whole, as far as the screen allows.
    const QMargins margins = layout()->contentsMargins();
    const int needed = list->header()->length() + 2 * list->frameWidth() +
                       list->verticalScrollBar()->sizeHint().width() + margins.left() + margins.right();
    const QScreen* display = screen() ? screen() : QGuiApplication::primaryScreen();
    const int limit = display ? display->availableGeometry().width() * 9 / 10 : needed;
    if (needed > width())
        resize(std::min(needed, std::max(width(), limit)), height());
}
