#include "ui/NetscapeFolderDialog.h"

#include "ui/BookmarkDialogStrings.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStringDecoder>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

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

    loaded = ListBookmarkFolders(file, nodes) && !nodes.empty();
    if (!loaded)
        return;

    std::vector<QTreeWidgetItem*> items(nodes.size(), nullptr);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const BookmarkFolderNode& node = nodes[i];
        QTreeWidgetItem* item = nullptr;
        if (i == 0 || node.parent < 0 || static_cast<std::size_t>(node.parent) >= i) {
            item = new QTreeWidgetItem(tree);
            item->setText(0, i == 0 ? QFileInfo(QFile::decodeName(QByteArray::fromStdString(file))).fileName()
                                    : BookmarkDisplayText(node.name));
        } else {
            item = new QTreeWidgetItem(items[static_cast<std::size_t>(node.parent)]);
            item->setText(0, BookmarkDisplayText(node.name));
        }
        item->setData(0, kNodeRole, static_cast<int>(i));
        items[i] = item;
        UpdateIcon(item);
    }
    items[0]->setExpanded(true);
    const int chosen = FindBookmarkFolder(nodes, folderPath);
    QTreeWidgetItem* current = items[chosen >= 0 && static_cast<std::size_t>(chosen) < items.size()
                                         ? static_cast<std::size_t>(chosen)
                                         : 0];
    for (QTreeWidgetItem* up = current->parent(); up; up = up->parent())
        up->setExpanded(true);
    tree->setCurrentItem(current);
    tree->scrollToItem(current);
    tree->setFocus();
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
    const QTreeWidgetItem* item = tree->currentItem();
    const int index = item ? item->data(0, kNodeRole).toInt() : 0;
    if (index < 0 || static_cast<std::size_t>(index) >= nodes.size())
        return "\\";
    return BookmarkFolderPath(nodes, index);
}
