#include "ui/LotwardView.h"

#include "platform/SettingsStore.h"
#include "ui/BrowserLaunch.h"
#include "ui/CommandIds.h"
#include "ui/ItemListModel.h"
#include "ui/MainFrame.h"
#include "ui/MessageBox.h"
#include "ui/TimeLeft.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QUrl>

#include <algorithm>

// ---------------------------------------------------------------------------------------------

QString CItemDelegate::FitText(const QString& text, const QFontMetrics& metrics, int width, bool* shortened)
{
    if (shortened)
        *shortened = false;
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    if (shortened)
        *shortened = true;
    static const QString dots = QStringLiteral("...");
    // Longest prefix that fits together with "...": the advance grows with the prefix length.
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(text.left(mid) + dots) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return text.left(low) + dots;
}

void CItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    // The margin is 4 pixels in the first column (beside the icon) and 12 in the others.
    QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const int margin = index.column() == 0 ? 4 : 12;
    textRect.setLeft(index.column() == 0 ? textRect.left() + margin / 2 : opt.rect.left() + margin / 2);
    textRect.setRight(opt.rect.right() - margin / 2);
    bool shortened = false;
    const QFontMetrics metrics(opt.font);
    const QString shown = FitText(text, metrics, textRect.width(), &shortened);
    const Qt::Alignment horizontal = shortened ? Qt::AlignLeft : (opt.displayAlignment & Qt::AlignHorizontal_Mask);

    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                             : ((opt.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect, static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    painter->restore();
}

// ---------------------------------------------------------------------------------------------

CLotwardView::CLotwardView(CLotwardDoc& document, ISettingsStore& store, CMainFrame& mainFrame, QWidget* parent)
    : QTreeView(parent), doc(document), settings(store), frame(mainFrame)
{
    listModel = new CItemListModel(doc, this);
    setModel(listModel);
    setItemDelegate(new CItemDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setIconSize(QSize(16, 16));
    setSortingEnabled(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setSortIndicatorShown(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header(), &QHeaderView::sectionClicked, this, &CLotwardView::SortByColumn);

    listModel->SetAlarmColor(AlarmTextColor(palette()));

    trackChanges = settings.GetInt("Settings", "TrackChanges", 1) != 0;
    readTime = settings.GetInt("Settings", "ReadTime", 3);
    readTimer.setSingleShot(true);
    connect(&readTimer, &QTimer::timeout, this, &CLotwardView::OnReadTimer);
    timeLeftTimer.setInterval(1000);
    connect(&timeLeftTimer, &QTimer::timeout, this, &CLotwardView::TickTimeLeft);
    ApplyFonts();

    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CLotwardView::UpdatePasteState);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { frame.UpdateCommandUI(); });
    UpdatePasteState();

    doc.AddObserver(this);
    doc.SetColumnWidthSource(this);
    RebuildColumns();
    RebuildRows();
}

CLotwardView::~CLotwardView()
{
    doc.SetColumnWidthSource(nullptr);
    doc.RemoveObserver(this);
}

void CLotwardView::ApplyFonts()
{
    QFont normal = QApplication::font(this);
    normal.setBold(false);
    QFont bold = normal;
    bold.setWeight(QFont::Bold);
    // With change tracking on, rows are laid out in the bold font so that bold text fits; the
    // header keeps the normal font.
    setFont(trackChanges ? bold : normal);
    header()->setFont(normal);
    listModel->SetBoldUnread(trackChanges, normal, bold);
}

void CLotwardView::SetTrackChanges(bool on)
{
    trackChanges = on;
    settings.WriteInt("Settings", "TrackChanges", on ? 1 : 0);
    ApplyFonts();
    viewport()->update();
    frame.UpdateCommandUI();
}

void CLotwardView::SetReadTime(int seconds)
{
    readTime = seconds;
    settings.WriteInt("Settings", "ReadTime", seconds);
}

// ---------------------------------------------------------------------------------------------
// Document updates

void CLotwardView::OnDocumentUpdate(CLotwardDoc&, int hint, CItem* item)
{
    switch (hint) {
    case kHintItemChanged:
        if (item) {
            listModel->RowChanged(item);
            FilterRow(listModel->RowOf(item));
        }
        break;
    case kHintColumns:
        RebuildColumns();
        ApplyFilter();
        break;
    case kHintItemRemoved:
        if (item)
            listModel->RemoveRow(item);
        break;
    case kHintItemAdded:
        if (item) {
            listModel->AppendRow(item);
            FilterRow(listModel->RowOf(item));
        }
        break;
    case kHintOrder:
        listModel->ReorderRows();
        break;
    default:
        RebuildColumns();
        RebuildRows();
        ApplyFilter();
        break;
    }
    frame.UpdateCommandUI();
}

void CLotwardView::TickTimeLeft()
{
    // Only the rows in view: the others are drawn with the clock of the moment they show.
    const int rows = listModel->rowCount();
    if (rows == 0 || !listModel->HasTimeLeft())
        return;
    const QModelIndex top = indexAt(QPoint(1, 1));
    const QModelIndex bottom = indexAt(QPoint(1, viewport()->height() - 1));
    listModel->TimeLeftChanged(top.isValid() ? top.row() : 0, bottom.isValid() ? bottom.row() : rows - 1);
}

void CLotwardView::changeEvent(QEvent* event)
{
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        listModel->SetAlarmColor(AlarmTextColor(palette()));
}

void CLotwardView::RebuildColumns()
{
    // Rebuilding the columns resets the selection model's column ranges; keep the rows chosen.
    const std::vector<CItem*> selected = SelectedItems();
    CItem* focused = FocusedItem();
    listModel->RebuildColumns();
    const CColumnInfoList& columns = doc.Columns();
    for (int i = 0; i < columns.GetCount() && i < listModel->columnCount(); ++i)
        header()->resizeSection(i, columns.GetWidth(i));
    if (listModel->HasTimeLeft())
        timeLeftTimer.start();
    else
        timeLeftTimer.stop();
    ShowSortIndicator();
    QItemSelection selection;
    for (CItem* it : selected) {
        const int row = listModel->RowOf(it);
        if (row >= 0)
            selection.select(listModel->index(row, 0), listModel->index(row, std::max(0, listModel->columnCount() - 1)));
    }
    if (!selection.isEmpty())
        selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (focused) {
        const int row = listModel->RowOf(focused);
        if (row >= 0)
            selectionModel()->setCurrentIndex(listModel->index(row, 0), QItemSelectionModel::NoUpdate);
    }
}

void CLotwardView::RebuildRows()
{
    const std::vector<CItem*> selected = SelectedItems();
    CItem* focused = FocusedItem();
    const QSignalBlocker blocker(selectionModel());
    listModel->RebuildRows();
    if (listModel->columnCount() == 0)
        return;
    QItemSelection selection;
    std::vector<int> rows;
    for (CItem* it : selected) {
        if (doc.ContainsItem(it)) {
            const int row = listModel->RowOf(it);
            if (row >= 0)
                rows.push_back(row);
        }
    }
    std::sort(rows.begin(), rows.end());
    const int lastColumn = listModel->columnCount() - 1;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        selection.select(listModel->index(rows[i], 0), listModel->index(rows[j], lastColumn));
        i = j + 1;
    }
    if (!selection.isEmpty())
        selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (focused && doc.ContainsItem(focused)) {
        const int row = listModel->RowOf(focused);
        if (row >= 0)
            selectionModel()->setCurrentIndex(listModel->index(row, 0), QItemSelectionModel::NoUpdate);
    }
}

bool CLotwardView::GetColumnWidth(int position, int& width) const
{
    if (position < 0 || position >= listModel->columnCount())
        return false;
    width = header()->sectionSize(position);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Filter

void CLotwardView::SetFilterText(const QString& text)
{
    const QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words == filterWords)
        return;
    filterWords = words;
    ApplyFilter();
}

bool CLotwardView::RowMatches(int row) const
{
    if (filterWords.isEmpty())
        return true;
    QString text;
    for (int column = 0; column < listModel->columnCount(); ++column) {
        text += listModel->data(listModel->index(row, column), Qt::DisplayRole).toString();
        text += QLatin1Char('\n');
    }
    for (const QString& word : filterWords)
        if (!text.contains(word, Qt::CaseInsensitive))
            return false;
    return true;
}

void CLotwardView::FilterRow(int row)
{
    if (row < 0 || (filterWords.isEmpty() && !rowsHidden))
        return;
    const bool hide = !RowMatches(row);
    setRowHidden(row, QModelIndex(), hide);
    if (hide) {
        rowsHidden = true;
        // A row out of sight leaves the selection: Delete or Cut must not reach it unseen.
        selectionModel()->select(listModel->index(row, 0),
                                 QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
}

void CLotwardView::ApplyFilter()
{
    if (filterWords.isEmpty() && !rowsHidden)
        return;
    const int rows = listModel->rowCount();
    QItemSelection hidden;
    bool any = false;
    setUpdatesEnabled(false);
    for (int row = 0; row < rows; ++row) {
        const bool hide = !RowMatches(row);
        setRowHidden(row, QModelIndex(), hide);
        if (hide) {
            any = true;
            hidden.select(listModel->index(row, 0), listModel->index(row, 0));
        }
    }
    setUpdatesEnabled(true);
    rowsHidden = any;
    if (!hidden.isEmpty())
        selectionModel()->select(hidden, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    if (currentIndex().isValid() && isRowHidden(currentIndex().row(), QModelIndex()))
        setCurrentIndex(QModelIndex());
    frame.UpdateCommandUI();
}

// ---------------------------------------------------------------------------------------------
// Selection and focus

bool CLotwardView::HasSelection() const
{
    return selectionModel() && selectionModel()->hasSelection();
}

CItem* CLotwardView::FocusedItem() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? listModel->ItemAt(current.row()) : nullptr;
}

std::vector<CItem*> CLotwardView::SelectedItems() const
{
    std::vector<CItem*> items;
    if (!selectionModel())
        return items;
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    items.reserve(rows.size());
    for (int row : rows)
        if (CItem* item = listModel->ItemAt(row); item && !isRowHidden(row, QModelIndex()))
            items.push_back(item);
    return items;
}

void CLotwardView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    readTimer.stop();
    CItem* item = current.isValid() ? listModel->ItemAt(current.row()) : nullptr;
    // The description pane follows the focused item.
    doc.UpdateAllViews(kHintFocus, item, this);
    // The row Qt focuses by itself when the list gains the focus was not looked at by anyone.
    if (item && !automaticCurrent)
        readTimer.start(std::max(0, readTime) * 1000);
    frame.UpdateCommandUI();
}

void CLotwardView::OnReadTimer()
{
    readTimer.stop();
    if (CItem* item = FocusedItem())
        MarkItem(item, 1);
}

void CLotwardView::MarkItem(CItem* item, int state)
{
    readTimer.stop();
    if (!item)
        return;
    const bool hadAlarm = item->alarmRaised != 0;
    const bool changed = item->SetReadState(state);
    if (changed)
        doc.SetModifiedFlag();
    if (changed || (hadAlarm && !item->alarmRaised))
        doc.UpdateAllViews(kHintItemChanged, item);
}

void CLotwardView::focusInEvent(QFocusEvent* event)
{
    // Without a focused row, Qt focuses the first one here (unless a click chooses the row).
    automaticCurrent = !currentIndex().isValid();
    QTreeView::focusInEvent(event);
    automaticCurrent = false;
    viewport()->update();
}

void CLotwardView::focusOutEvent(QFocusEvent* event)
{
    QTreeView::focusOutEvent(event);
    viewport()->update();
}

void CLotwardView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QTreeView::drawRow(painter, option, index);
    // A selected row's highlight reaches the right edge of the list, past the last column.
    const int end = header()->length() - header()->offset();
    if (end < viewport()->width() && selectionModel()->isRowSelected(index.row(), index.parent())) {
        const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
        painter->fillRect(QRect(end, option.rect.top(), viewport()->width() - end, option.rect.height()),
                          palette().brush(group, QPalette::Highlight));
    }
}

// ---------------------------------------------------------------------------------------------
// Sorting

void CLotwardView::SortByColumn(int position)
{
    const int columnId = listModel->ColumnId(position);
    if (!columnId)
        return;
    const bool ascending = columnId != lastSortColumn || !lastSortAscending;
    lastSortColumn = columnId;
    lastSortAscending = ascending;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Time left runs in the order of the end: the list sorts on the local end date.
    doc.SortItems(columnId == kColTimeLeft ? kColEndDateLocal : columnId, ascending);
    QApplication::restoreOverrideCursor();
    ShowSortIndicator();
}

void CLotwardView::ShowSortIndicator()
{
    for (int i = 0; i < listModel->columnCount(); ++i) {
        if (lastSortColumn && listModel->ColumnId(i) == lastSortColumn) {
            header()->setSortIndicator(i, lastSortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
            header()->setSortIndicatorShown(true);
            return;
        }
    }
    header()->setSortIndicatorShown(false);
}

// ---------------------------------------------------------------------------------------------
// Commands

bool CLotwardView::OnCommand(int id)
{
    switch (id) {
    case kCmdEditClear:
        DeleteSelection(false);
        return true;
    case kCmdEditCut:
        DeleteSelection(true);
        return true;
    case kCmdEditCopy:
        CopySelection();
        return true;
    case kCmdEditPaste:
        Paste();
        return true;
    case kCmdEditSelectAll:
        selectAll();
        return true;
    case kCmdOpenInBrowser:
        if (CItem* item = FocusedItem()) {
            MarkItem(item, 1);
            OpenItemPage(item);
        }
        return true;
    case kCmdRefreshItem:
        for (CItem* item : SelectedItems())
            doc.RefreshItem(item);
        return true;
    case kCmdMarkRead:
        for (CItem* item : SelectedItems())
            MarkItem(item, 1);
        return true;
    case kCmdMarkUnread:
        for (CItem* item : SelectedItems())
            MarkItem(item, 0);
        readTimer.stop();
        return true;
    default:
        return false;
    }
}

void CLotwardView::OpenItemPage(CItem* item)
{
    if (item)
        OpenInBrowser(QUrl(ToQt(item->GetUrl()), QUrl::TolerantMode));
}

void CLotwardView::DeleteSelection(bool copyFirst)
{
    if (!HasSelection())
        return;
    if (LwMessage::Show(this, ResText(kStrConfirmDelete), LwMessage::YesNo, QMessageBox::Question, LwMessage::AnswerNo) !=
        LwMessage::AnswerYes)
        return;
    if (copyFirst)
        CopySelection();
    // Each removal answers with a row deletion, which moves the selection up; take the first
    // selected row until none is left.
    for (;;) {
        const std::vector<CItem*> selected = SelectedItems();
        if (selected.empty())
            break;
        if (!doc.RemoveItem(selected.front()))
            break;
    }
}

void CLotwardView::CopySelection()
{
    const std::vector<CItem*> selected = SelectedItems();
    if (selected.empty())
        return;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kItemMimeType), QByteArray::fromStdString(doc.GetItemsText(selected)));
    QApplication::clipboard()->setMimeData(mime);
}

QString CLotwardView::ClipboardText() const
{
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!mime)
        return {};
    const QString itemFormat = QString::fromLatin1(kItemMimeType);
    if (mime->hasFormat(itemFormat)) {
        const QByteArray bytes = mime->data(itemFormat);
        if (!bytes.isEmpty())
            return ToQt(bytes.toStdString());
    }
    return mime->hasText() ? mime->text() : QString();
}

void CLotwardView::UpdatePasteState()
{
    const QString text = ClipboardText();
    pasteAccepted = !text.isEmpty() && doc.AddFromText(FromQt(text), false) > 0;
    frame.UpdateCommandUI();
}

bool CLotwardView::CanPaste() const
{
    return pasteAccepted;
}

void CLotwardView::Paste()
{
    // Checked first, so that a text with a stray line adds nothing at all rather than the
    // addresses before that line.
    const std::string text = FromQt(ClipboardText());
    if (!text.empty() && doc.AddFromText(text, false) > 0)
        doc.AddFromText(text, true);
}

// ---------------------------------------------------------------------------------------------
// Mouse and context menu

void CLotwardView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        OpenItemPage(listModel->ItemAt(index.row()));
    event->accept();
}

void CLotwardView::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint at;
    if (event->reason() == QContextMenuEvent::Mouse) {
        at = event->globalPos() + QPoint(3, 3);
    } else {
        // From the keyboard: beside the first selected row in view, else the focused row.
        QRect rowRect;
        const QRect area = viewport()->rect();
        for (CItem* item : SelectedItems()) {
            const QRect r = visualRect(listModel->index(listModel->RowOf(item), 0));
            if (r.intersects(area)) {
                rowRect = r;
                break;
            }
        }
        if (rowRect.isNull() && currentIndex().isValid())
            rowRect = visualRect(currentIndex());
        at = viewport()->mapToGlobal(rowRect.isNull() ? QPoint(0, 0) : rowRect.center());
    }
    frame.UpdateCommandUI();
    frame.ContextMenu()->exec(at);
}

// ---------------------------------------------------------------------------------------------
// Drag and drop

void CLotwardView::startDrag(Qt::DropActions)
{
    CItem* dragged = FocusedItem();
    if (!dragged)
        return;
    auto* mime = new QMimeData;
    const QString url = ToQt(dragged->GetUrl());
    mime->setUrls({QUrl(url)});
    mime->setText(url);
    mime->setData(QString::fromLatin1(kItemMimeType), QByteArray::fromStdString(doc.GetItemsText(SelectedItems())));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(listModel->data(listModel->index(listModel->RowOf(dragged), 0), Qt::DecorationRole).value<QPixmap>());
    // Whatever the target does with the addresses, the items stay in this list.
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
}

QString CLotwardView::AcceptableDropText(const QMimeData* mime) const
{
    if (!mime)
        return {};
    QStringList candidates;
    const QString itemFormat = QString::fromLatin1(kItemMimeType);
    if (mime->hasFormat(itemFormat))
        candidates << ToQt(mime->data(itemFormat).toStdString());
    if (mime->hasUrls()) {
        QStringList lines;
        for (const QUrl& url : mime->urls())
            lines << url.toString();
        candidates << lines.join(QLatin1Char('\n'));
    }
    if (mime->hasText())
        candidates << mime->text();
    for (const QString& text : candidates)
        if (!text.isEmpty() && doc.AddFromText(FromQt(text), false) > 0)
            return text;
    return {};
}

void CLotwardView::dragEnterEvent(QDragEnterEvent* event)
{
    dropText = AcceptableDropText(event->mimeData());
    if (dropText.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CLotwardView::dragMoveEvent(QDragMoveEvent* event)
{
    if (dropText.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CLotwardView::dragLeaveEvent(QDragLeaveEvent* event)
{
    dropText.clear();
    event->accept();
}

void CLotwardView::dropEvent(QDropEvent* event)
{
    if (dropText.isEmpty()) {
        event->ignore();
        return;
    }
    const QString text = dropText;
    dropText.clear();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    doc.AddFromText(FromQt(text), true);
}
