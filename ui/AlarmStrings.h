#pragma once
// Texts of the item property sheet, the alarm dialog, the alarm notifications and the
// description pane (ids 21000 to 21499).

enum AlarmStringId : int {
    kStrItemPtyTitle = 43,          // "Properties of Item #%s on %s"

    kStrPageGeneral = 21000,
    kStrPageAlarm = 21001,
    kStrPtyItemNumber = 21002,
    kStrPtyServer = 21003,
    kStrPtyDescription = 21004,
    kStrPtyCategory = 21005,
    kStrPtyStartDate = 21006,
    kStrPtyEndDate = 21007,
    kStrPtyRetrievalDate = 21008,
    kStrPtyInitialPrice = 21009,
    kStrPtyQuantity = 21010,
    kStrPtyCurrentPrice = 21011,
    kStrPtyBidCount = 21012,
    kStrPtySeller = 21013,
    kStrPtyLocation = 21014,
    kStrPtyBuyer = 21015,
    kStrPtyShipping = 21016,
    kStrPtyMemo = 21017,

    kStrAlarmUseDefault = 21020,
    kStrAlarmNone = 21021,
    kStrAlarmCustom = 21022,
    kStrAlarmEndCheck = 21023,
    kStrAlarmBeforeEnd = 21024,
    kStrAlarmBuyerCheck = 21025,
    kStrUnitSeconds = 21026,
    kStrUnitMinutes = 21027,
    kStrUnitHours = 21028,
    kStrRangeMessage = 21029,       // "Please enter an integer between %1 and %2."

    kStrAlarmDialogText = 21030,
    kStrAlarmDialogClose = 21031,
    kStrAlarmDialogTitle = 21032,
    kStrAlarmNotifyTitle = 21040,   // "Alarm: Item #%1 on %2"
    kStrAlarmNotifyBody = 21041,    // "%1\nEnds %2"
};
