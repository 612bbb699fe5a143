#pragma once
// The item list: one row per item of the document, the columns the document chooses, unread
// items in bold while change tracking is on, the read timer, sorting on header clicks, the
// item commands, the clipboard and drag and drop of item page addresses.

#include "core/document/LotwardDoc.h"

#include <QStringList>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>

#include <string>
#include <vector>

class CItemListModel;
class CMainFrame;
class ISettingsStore;

// The private clipboard format of item lists (item page addresses, one per line).
inline constexpr const char* kItemMimeType = "application/x-lotwarden-items";

// Draws a cell on one line; a text too wide for the cell is cut to the longest prefix that
// fits with "..." and then drawn left-aligned.
class CItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The text as drawn into `width` pixels with `metrics`; `shortened` tells whether it was cut.
    static QString FitText(const QString& text, const QFontMetrics& metrics, int width, bool* shortened = nullptr);
};

class CLotwardView : public QTreeView, public IDocumentObserver, public IColumnWidthSource
{
    Q_OBJECT
public:
    CLotwardView(CLotwardDoc& doc, ISettingsStore& settings, CMainFrame& frame, QWidget* parent = nullptr);
    ~CLotwardView() override;

    CItemListModel* ItemModel() const { return listModel; }

    // Handles the item list's commands; false when `id` is not one of them.
    bool OnCommand(int id);
    bool HasSelection() const;
    CItem* FocusedItem() const;
    std::vector<CItem*> SelectedItems() const; // in row order
    bool CanPaste() const;

    bool TrackChanges() const { return trackChanges; }
    int ReadTime() const { return readTime; }
    void SetTrackChanges(bool on); // written at once to "Settings"
    void SetReadTime(int seconds);
    bool ReadTimerArmed() const { return readTimer.isActive(); }

    void MarkItem(CItem* item, int readState);
    // Shows only the rows whose shown text holds every word of `text` (any case); empty shows all.
    void SetFilterText(const QString& text);
    QString FilterText() const { return filterWords.join(QLatin1Char(' ')); }
    bool RowShown(int row) const { return !isRowHidden(row, QModelIndex()); }

    // Redraws the Time Left cells of the rows in view (every second while the column shows).
    void TickTimeLeft();
    bool TimeLeftTicking() const { return timeLeftTimer.isActive(); }
    void SortByColumn(int position); // a header click
    void OpenItemPage(CItem* item);

    // IDocumentObserver, IColumnWidthSource
    void OnDocumentUpdate(CLotwardDoc& doc, int hint, CItem* item) override;
    bool GetColumnWidth(int position, int& width) const override;

    // Drop handling, reachable from tests: the text that would be dropped from `data`.
    QString AcceptableDropText(const QMimeData* mime) const;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RebuildColumns();
    void RebuildRows();
    void ShowSortIndicator();
    void ApplyFilter();
    void FilterRow(int row);
    bool RowMatches(int row) const;
    void ApplyFonts();
    void OnReadTimer();
    void DeleteSelection(bool copyFirst);
    void CopySelection();
    void Paste();
    void UpdatePasteState();
    QString ClipboardText() const;

    CLotwardDoc& doc;
    ISettingsStore& settings;
    CMainFrame& frame;
    CItemListModel* listModel = nullptr;
    QTimer readTimer;
    QTimer timeLeftTimer;
    bool trackChanges = true;
    int readTime = 3;
    bool automaticCurrent = false; // the focused row changes without the user
    int lastSortColumn = 0;
    bool lastSortAscending = false;
    QStringList filterWords;
    bool rowsHidden = false;
    QString dropText;
    bool pasteAccepted = false;
};
