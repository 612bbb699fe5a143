#pragma once
// A number field of the options and display sheets: any whole number can be typed, the
// arrows keep within the accepted range, and the sheet refuses an out-of-range number when it
// is confirmed (with the range message), so a stored value is always shown as it is.

#include "ui/SheetOptionState.h"

#include <QSpinBox>

class CRangeSpin : public QSpinBox
{
    Q_OBJECT
public:
    explicit CRangeSpin(SheetRange range, QWidget* parent = nullptr);

    SheetRange Range() const { return accepted; }
    bool Valid() const { return accepted.Contains(value()); }
    void stepBy(int steps) override;

private:
    SheetRange accepted;
};

class QWidget;
// Shows "Please enter an integer between %1 and %2." for `spin`'s range over `parent` and
// puts the focus on the field with its text selected.
void RefuseOutOfRange(QWidget* parent, CRangeSpin* spin);
