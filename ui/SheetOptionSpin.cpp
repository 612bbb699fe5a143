#include "ui/SheetOptionSpin.h"

#include "ui/AlarmStrings.h"
#include "ui/MessageBox.h"
#include "ui/UiText.h"

#include <QLineEdit>

#include <algorithm>
#include <climits>

CRangeSpin::CRangeSpin(SheetRange range, QWidget* parent) : QSpinBox(parent), accepted(range)
{
    setRange(INT_MIN / 2, INT_MAX / 2);
    setAccelerated(true);
}

void CRangeSpin::stepBy(int steps)
{
    const long long next = static_cast<long long>(value()) + steps;
    setValue(static_cast<int>(std::clamp<long long>(next, accepted.min, accepted.max)));
    selectAll();
}

void RefuseOutOfRange(QWidget* parent, CRangeSpin* spin)
{
    const SheetRange range = spin->Range();
    LwMessage::Show(parent, ResFormat(kStrRangeMessage, {QString::number(range.min), QString::number(range.max)}),
                    LwMessage::Ok, QMessageBox::Warning);
    spin->setFocus();
    spin->selectAll();
}
