#include "ui/ChooserPage.h"

#include "ui/MessageBox.h"
#include "ui/SheetOptionState.h"
#include "ui/SheetOptionStrings.h"
#include "ui/UiText.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kIdRole = Qt::UserRole;

int EntryId(const QListWidgetItem* entry)
{
    return entry->data(kIdRole).toInt();
}

// Alphabetical the way a person reads a list: case does not count, except to break ties.
bool SortsBefore(const QString& a, const QString& b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

} // namespace

CChooserPage::CChooserPage(ChooserParams chooserParams, const std::vector<int>& all, const std::vector<int>& selected,
                           QWidget* parent)
    : QWidget(parent), params(std::move(chooserParams))
{
    const QString plural = ResText(params.pluralId);
    auto* availableLabel = new QLabel(ResFormat(kStrChooserAvailable, {plural}), this);
    auto* chosenLabel = new QLabel(ResFormat(kStrChooserSelected, {plural}), this);
    available = new QListWidget(this);
    available->setObjectName(QStringLiteral("available"));
    chosen = new QListWidget(this);
    chosen->setObjectName(QStringLiteral("chosen"));
    for (QListWidget* list : {available, chosen}) {
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setUniformItemSizes(true);
        list->setMinimumWidth(170);
    }
    availableLabel->setBuddy(available);
    chosenLabel->setBuddy(chosen);

    addButton = new QPushButton(ResText(kStrChooserAdd), this);
    removeButton = new QPushButton(ResText(kStrChooserRemove), this);
    upButton = new QPushButton(ResText(kStrChooserUp), this);
    downButton = new QPushButton(ResText(kStrChooserDown), this);

    auto* buttons = new QVBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(addButton);
    buttons->addWidget(removeButton);
    buttons->addSpacing(16);
    buttons->addWidget(upButton);
    buttons->addWidget(downButton);
    buttons->addStretch(1);
    upButton->setVisible(params.userOrder);
    downButton->setVisible(params.userOrder);

    auto* grid = new QGridLayout(this);
    grid->addWidget(availableLabel, 0, 0);
    grid->addWidget(chosenLabel, 0, 2);
    grid->addWidget(available, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->addWidget(chosen, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    const ChooserLists lists =
        OpenChooser(all, selected, [this](int id) { return params.textOf(id).toStdString(); });
    for (int id : lists.available)
        InsertSorted(available, MakeEntry(id));
    for (int id : lists.chosen) {
        if (params.userOrder)
            chosen->addItem(MakeEntry(id));
        else
            InsertSorted(chosen, MakeEntry(id));
    }

    connect(addButton, &QPushButton::clicked, this, &CChooserPage::AddSelected);
    connect(removeButton, &QPushButton::clicked, this, &CChooserPage::RemoveSelected);
    connect(upButton, &QPushButton::clicked, this, &CChooserPage::MoveUp);
    connect(downButton, &QPushButton::clicked, this, &CChooserPage::MoveDown);
    connect(available, &QListWidget::itemDoubleClicked, this, &CChooserPage::AddSelected);
    connect(chosen, &QListWidget::itemDoubleClicked, this, &CChooserPage::RemoveSelected);
    for (QListWidget* list : {available, chosen}) {
        connect(list, &QListWidget::itemSelectionChanged, this, &CChooserPage::UpdateButtons);
        connect(list, &QListWidget::currentRowChanged, this, &CChooserPage::UpdateButtons);
    }
    UpdateButtons();
}

QString CChooserPage::Caption() const
{
    return ResText(params.captionId);
}

QListWidgetItem* CChooserPage::MakeEntry(int id) const
{
    auto* entry = new QListWidgetItem(params.textOf(id));
    entry->setData(kIdRole, id);
    return entry;
}

void CChooserPage::InsertSorted(QListWidget* list, QListWidgetItem* entry)
{
    int row = list->count();
    while (row > 0 && SortsBefore(entry->text(), list->item(row - 1)->text()))
        --row;
    list->insertItem(row, entry);
}

std::vector<int> CChooserPage::ChosenIds() const
{
    std::vector<int> ids;
    ids.reserve(static_cast<std::size_t>(std::max(params.capacityHint, chosen->count())));
    for (int row = 0; row < chosen->count(); ++row)
        ids.push_back(EntryId(chosen->item(row)));
    return ids;
}

std::vector<int> CChooserPage::AvailableIds() const
{
    std::vector<int> ids;
    for (int row = 0; row < available->count(); ++row)
        ids.push_back(EntryId(available->item(row)));
    return ids;
}

bool CChooserPage::Validate()
{
    if (chosen->count() > 0)
        return true;
    LwMessage::Show(this, ResText(params.emptyMessageId), LwMessage::Ok, QMessageBox::Warning);
    available->setFocus();
    return false;
}

void CChooserPage::MoveEntries(QListWidget* from, QListWidget* to, bool sortedTarget)
{
    std::vector<int> rows;
    for (int row = 0; row < from->count(); ++row)
        if (from->item(row)->isSelected())
            rows.push_back(row);
    if (rows.empty())
        return;
    to->clearSelection();
    QListWidgetItem* last = nullptr;
    // Taken from the bottom up so that the rows still to take keep their numbers; added in
    // the order they stood.
    std::vector<QListWidgetItem*> taken;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        taken.insert(taken.begin(), from->takeItem(*it));
    for (QListWidgetItem* entry : taken) {
        if (sortedTarget)
            InsertSorted(to, entry);
        else
            to->addItem(entry);
        entry->setSelected(true);
        last = entry;
    }
    to->setCurrentItem(last, QItemSelectionModel::NoUpdate);
    if (from->count() > 0)
        from->setCurrentRow(std::min(rows.front(), from->count() - 1), QItemSelectionModel::ClearAndSelect);
    UpdateButtons();
    emit Changed();
}

void CChooserPage::AddSelected()
{
    MoveEntries(available, chosen, !params.userOrder);
}

void CChooserPage::RemoveSelected()
{
    MoveEntries(chosen, available, true);
}

void CChooserPage::MoveCurrent(int delta)
{
    const int row = chosen->currentRow();
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= chosen->count())
        return;
    QListWidgetItem* entry = chosen->takeItem(row);
    chosen->insertItem(target, entry);
    chosen->setCurrentRow(target, QItemSelectionModel::ClearAndSelect);
    UpdateButtons();
    emit Changed();
}

void CChooserPage::MoveUp()
{
    MoveCurrent(-1);
}

void CChooserPage::MoveDown()
{
    MoveCurrent(1);
}

void CChooserPage::UpdateButtons()
{
    addButton->setEnabled(!available->selectedItems().isEmpty());
    removeButton->setEnabled(!chosen->selectedItems().isEmpty());
    const int row = chosen->currentRow();
    upButton->setEnabled(row > 0);
    downButton->setEnabled(row >= 0 && row < chosen->count() - 1);
}
