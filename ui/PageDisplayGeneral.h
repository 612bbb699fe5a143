#pragma once
// The "General" page of the display preferences: the toolbar and its button style, the item
// description viewer and its font size, change tracking and the read time.

#include <QWidget>

class CRangeSpin;
class QCheckBox;
class QComboBox;
class QLabel;
struct DisplayPrefs;

class CPageDisplayGeneral : public QWidget
{
    Q_OBJECT
public:
    explicit CPageDisplayGeneral(const DisplayPrefs& prefs, QWidget* parent = nullptr);

    CRangeSpin* InvalidField() const;
    // Writes the page's values into `prefs`; a font size the list could not show stays.
    void Store(DisplayPrefs& prefs) const;

    QCheckBox* ToolbarCheck() const { return toolbar; }
    QCheckBox* TextLabelsCheck() const { return textLabels; }
    QCheckBox* BigIconsCheck() const { return bigIcons; }
    QCheckBox* ViewerCheck() const { return viewer; }
    QLabel* FontSizeLabel() const { return fontLabel; }
    QComboBox* FontSizeList() const { return fontSize; }
    QCheckBox* TrackChangesCheck() const { return trackChanges; }
    QLabel* ReadTimeLabel() const { return readLabel; }
    CRangeSpin* ReadTimeField() const { return readTime; }
    QLabel* ReadTimeUnit() const { return readUnit; }

signals:
    void Changed();

private:
    void UpdateEnabling();

    QCheckBox* toolbar = nullptr;
    QCheckBox* textLabels = nullptr;
    QCheckBox* bigIcons = nullptr;
    QCheckBox* viewer = nullptr;
    QLabel* fontLabel = nullptr;
    QComboBox* fontSize = nullptr;
    QCheckBox* trackChanges = nullptr;
    QLabel* readLabel = nullptr;
    CRangeSpin* readTime = nullptr;
    QLabel* readUnit = nullptr;
};
