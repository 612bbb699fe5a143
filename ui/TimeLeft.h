#pragma once
// The Time Left column: the time until an item's End Date (Local), and whether the item is
// within its alarm lead time (the cell then shows in the alarm colour).

#include <QColor>
#include <QString>

#include <ctime>

class CItem;
class QPalette;

// "2d 3h 15m", "3h 15m", in the last hour "14m 05s"; "Ended" once the end has passed; empty
// when the end is not known.
QString TimeLeftText(std::time_t endLocal, std::time_t now);
// True while the end is ahead and no further than the item's alarm lead time (its own, or the
// options' for an item on the default alarm).
bool WithinAlarmLead(const CItem& item, std::time_t now);
// The alarm colour, readable on the palette's base colour (light or dark).
QColor AlarmTextColor(const QPalette& palette);
