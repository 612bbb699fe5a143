#include "ui/TimeLeft.h"

#include "core/item/Item.h"
#include "core/options/AppOptions.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QPalette>

namespace {

constexpr int kOptAlarmSeconds = 4;

QString Two(long long value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString TimeLeftText(std::time_t endLocal, std::time_t now)
{
    if (endLocal == 0)
        return {};
    const long long left = static_cast<long long>(endLocal) - static_cast<long long>(now);
    if (left <= 0)
        return ResText(kStrTimeLeftEnded);
    const long long days = left / 86400;
    const long long hours = left % 86400 / 3600;
    const long long minutes = left % 3600 / 60;
    if (days > 0)
        return ResFormat(kStrTimeLeftDays, {QString::number(days), QString::number(hours), Two(minutes)});
    if (hours > 0)
        return ResFormat(kStrTimeLeftHours, {QString::number(hours), Two(minutes)});
    return ResFormat(kStrTimeLeftMinutes, {QString::number(minutes), Two(left % 60)});
}

bool WithinAlarmLead(const CItem& item, std::time_t now)
{
    const std::time_t end = item.GetEndDateLocal();
    if (end == 0 || item.finished == 1 || now >= end)
        return false;
    const std::time_t lead =
        item.alarmMode != kAlarmDefault ? item.alarmSeconds : GetIntOption(kOptAlarmSeconds);
    return end - now <= lead;
}

QColor AlarmTextColor(const QPalette& palette)
{
    // The red of the alarm icon; lightened on a dark base so that it stays readable.
    return palette.color(QPalette::Base).lightness() < 128 ? QColor(255, 120, 110) : QColor(200, 30, 30);
}
