#pragma once
// The page that chooses a set of entries (columns of the list, servers): an available list kept
// in alphabetical order, a chosen list, and the buttons that move entries between them and,
// where the order counts, within the chosen list.

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

struct ChooserParams
{
    int captionId = 0;       // the page's tab text
    int pluralId = 0;        // the word put in "A&vailable %s:" and "&Selected %s:"
    int emptyMessageId = 0;  // shown when OK finds nothing chosen
    bool userOrder = false;  // chosen entries in the user's order (with Move Up / Move Down)
    int capacityHint = 0;    // entries expected, to size the lists once
    std::function<QString(int id)> textOf;
};

class CChooserPage : public QWidget
{
    Q_OBJECT
public:
    CChooserPage(ChooserParams params, const std::vector<int>& all, const std::vector<int>& selected,
                 QWidget* parent = nullptr);

    QString Caption() const;
    // The chosen ids, top to bottom.
    std::vector<int> ChosenIds() const;
    std::vector<int> AvailableIds() const;
    // False, after the page's message, when nothing is chosen.
    bool Validate();

    void AddSelected();
    void RemoveSelected();
    void MoveUp();
    void MoveDown();

    QListWidget* AvailableList() const { return available; }
    QListWidget* ChosenList() const { return chosen; }
    QPushButton* AddButton() const { return addButton; }
    QPushButton* RemoveButton() const { return removeButton; }
    QPushButton* UpButton() const { return upButton; }
    QPushButton* DownButton() const { return downButton; }

signals:
    void Changed();

private:
    QListWidgetItem* MakeEntry(int id) const;
    static void InsertSorted(QListWidget* list, QListWidgetItem* entry);
    void MoveEntries(QListWidget* from, QListWidget* to, bool sortedTarget);
    void MoveCurrent(int delta);
    void UpdateButtons();

    ChooserParams params;
    QListWidget* available = nullptr;
    QListWidget* chosen = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* removeButton = nullptr;
    QPushButton* upButton = nullptr;
    QPushButton* downButton = nullptr;
};
