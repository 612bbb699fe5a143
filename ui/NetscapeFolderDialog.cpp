#include "ui/NetscapeFolderDialog.h"

#include "ui/BookmarkDialogStrings.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStringDecoder>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kNodeRole = Qt::UserRole;

} // namespace

QString BookmarkDisplayText(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArray::fromStdString(bytes));
    if (utf8.hasError())
        text = ToQt(bytes);
    if (!text.contains(QLatin1Char('&')))
        return text;
    static const struct
    {
        const char* entity;
        char16_t character;
    } entities[] = {{"&lt;", u'<'}, {"&gt;", u'>'}, {"&quot;", u'"'}, {"&#39;", u'\''}, {"&apos;", u'\''},
                    {"&nbsp;", u'\u00A0'}, {"&amp;", u'&'}};
    // "&amp;" comes last so that "&amp;lt;" reads as the text "&lt;".
    for (const auto& e : entities)
        text.replace(QLatin1String(e.entity), QString(QChar(e.character)));
    return text;
}

CNetscapeFolderDialog::CNetscapeFolderDialog(const std::string& file, const std::string& folderPath, QWidget* parent)
    : CNetscapeFolderDialog(BookmarkStore::Netscape, file,
                            QFileInfo(QFile::decodeName(QByteArray::fromStdString(file))).fileName(), folderPath,
                            parent)
{
}

CNetscapeFolderDialog::~CNetscapeFolderDialog()
{
    // Leaves first: the tree would delete a deep branch by recursing once per level.
    for (std::size_t i = items.size(); i-- > 1;)
        delete items[i]; // null for the folders left out
}

CNetscapeFolderDialog::CNetscapeFolderDialog(BookmarkStore store, const std::string& file, const QString& topName,
                                             const std::string& folderPath, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(ResText(kStrNetscapeFolderTitle));
    tree = new QTreeWidget(this);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    auto* label = new QLabel(ResText(kStrNetscapeFolderLabel), this);
    label->setBuddy(tree);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(ResText(kStrButtonOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(ResText(kStrButtonCancel), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree, &QTreeWidget::itemExpanded, this, &CNetscapeFolderDialog::UpdateIcon);
    connect(tree, &QTreeWidget::itemCollapsed, this, &CNetscapeFolderDialog::UpdateIcon);
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && item->childCount() == 0)
            accept();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(tree);
    layout->addWidget(buttons);
    resize(360, 380);

    loaded = ListSourceFolders(store, file, nodes) && !nodes.empty();
    if (!loaded)
        return;

    // The whole tree is built before the view gets it, so that the view lays it out once. The
    // view lays out and deletes its branches by recursing once per level, so folders nested
    // deeper than it can take are left out of the tree (the file itself is read whole).
    items.assign(nodes.size(), nullptr);
    std::vector<int> depth(nodes.size(), 0);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const BookmarkFolderNode& node = nodes[i];
        const bool top = i == 0 || node.parent < 0 || static_cast<std::size_t>(node.parent) >= i;
        QTreeWidgetItem* parentItem = top ? nullptr : items[static_cast<std::size_t>(node.parent)];
        if (!top) {
            depth[i] = depth[static_cast<std::size_t>(node.parent)] + 1;
            if (!parentItem || depth[i] > kMaxShownDepth)
                continue;
        }
        QTreeWidgetItem* item = top ? new QTreeWidgetItem : new QTreeWidgetItem(parentItem);
        item->setText(0, i == 0 ? topName : BookmarkDisplayText(node.name));
        item->setData(0, kNodeRole, static_cast<int>(i));
        item->setIcon(0, i == 0 ? style()->standardIcon(QStyle::SP_FileIcon) : closed);
        items[i] = item;
        if (top && i > 0)
            tree->addTopLevelItem(item);
    }
    tree->insertTopLevelItem(0, items[0]);
    items[0]->setExpanded(true);
    int chosen = FindBookmarkFolder(nodes, folderPath);
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= items.size())
        chosen = 0;
    // A folder too deep to be shown stays the choice until the user picks another one.
    int shown = chosen;
    while (shown > 0 && !items[static_cast<std::size_t>(shown)])
        shown = nodes[static_cast<std::size_t>(shown)].parent;
    QTreeWidgetItem* current = items[static_cast<std::size_t>(std::max(shown, 0))];
    for (QTreeWidgetItem* up = current->parent(); up; up = up->parent())
        up->setExpanded(true);
    tree->setCurrentItem(current);
    tree->scrollToItem(current);
    tree->setFocus();
    hiddenChoice = shown == chosen ? -1 : chosen;
    connect(tree, &QTreeWidget::currentItemChanged, this, [this] { hiddenChoice = -1; });
}

void CNetscapeFolderDialog::UpdateIcon(QTreeWidgetItem* item)
{
    if (!item)
        return;
    if (item->data(0, kNodeRole).toInt() == 0) {
        item->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
        return;
    }
    item->setIcon(0, style()->standardIcon(item->isExpanded() ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
}

int CNetscapeFolderDialog::exec()
{
    if (!loaded)
        return QDialog::Rejected;
    return QDialog::exec();
}

std::string CNetscapeFolderDialog::SelectedFolderPath() const
{
    if (hiddenChoice >= 0)
        return BookmarkFolderPath(nodes, hiddenChoice);
    const QTreeWidgetItem* item = tree->currentItem();
    const int index = item ? item->data(0, kNodeRole).toInt() : 0;
    if (index < 0 || static_cast<std::size_t>(index) >= nodes.size())
        return "\\";
    return BookmarkFolderPath(nodes, index);
}
