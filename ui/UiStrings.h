#pragma once
// Numbers of the texts the desktop program shows. Below 20000 they are the shared table's
// numbers; 20000 and up are the desktop program's own menus, dialogs and messages.

enum UiStringId : int {
    kStrCompany = 2,               // "Ashgrove"
    kStrConfirmDelete = 8,         // "Are you sure you wish to delete these item(s)?"
    kStrDefaultServer = 12,        // "107"
    kStrBackupQuestion = 27,       // older file format: make a backup as %s?
    kStrNoBlankPage = 28,          // "Can not find Blank.html file"
    kStrBackupFailed = 31,         // "Error while copying backup file (%s)"
    kStrPendingWidest = 32,        // "Nb of Items pending: 00000"
    kStrPending = 33,              // "Nb of Items pending: %d"
    kStrReady = 34,                // "Ready"
    kStrNoDataFile = 49,           // "Data file not found"
    kStrBackupFailedDetail = 50,   // "Error while copying backup file (%s):\n\n%s"
    kStrToolbar = 66,              // "Toolbar"
    kStrFaqUrl = 985,
    kStrAppName = 57344,           // "Lotwarden"

    kStrMenuFile = 20001,
    kStrMenuEdit = 20002,
    kStrMenuView = 20003,
    kStrMenuItem = 20004,
    kStrMenuHelp = 20005,
    kStrMenuContext = 20006,

    kStrLabelNew = 20010,
    kStrLabelOpen = 20011,
    kStrLabelSave = 20012,
    kStrLabelSaveAs = 20013,
    kStrLabelSend = 20014,
    kStrLabelExport = 20015,
    kStrLabelExit = 20016,
    kStrLabelRecentFile = 20017,
    kStrLabelRecentEntry = 20018,  // "&%1 %2": number and path of a recent file
    kStrLabelCut = 20020,
    kStrLabelCopy = 20021,
    kStrLabelPaste = 20022,
    kStrLabelDelete = 20023,
    kStrLabelSelectAll = 20024,
    kStrLabelToolbar = 20030,
    kStrLabelStatusBar = 20031,
    kStrLabelDescription = 20032,
    kStrLabelDisplayPrefs = 20033,
    kStrLabelOptions = 20034,
    kStrLabelRefresh = 20035,
    kStrLabelAdd = 20040,
    kStrLabelImport = 20041,
    kStrLabelSearch = 20042,
    kStrLabelFaq = 20050,
    kStrLabelAbout = 20051,
    kStrLabelOpenInBrowser = 20060,
    kStrLabelProperties = 20061,
    kStrLabelMarkRead = 20062,
    kStrLabelMarkUnread = 20063,
    kStrLabelRefreshItem = 20064,

    kStrAddItemTitle = 20100,
    kStrAddItemServer = 20101,
    kStrAddItemNumber = 20102,
    kStrButtonOk = 20103,
    kStrButtonCancel = 20104,
    kStrButtonYes = 20105,
    kStrButtonNo = 20106,
    kStrButtonAbort = 20107,
    kStrButtonRetry = 20108,
    kStrButtonIgnore = 20109,

    kStrAskSave = 20120,           // "Save changes to %1?"
    kStrBadFormat = 20121,         // "Unexpected file format."
    kStrFileNotFound = 20122,
    kStrSaveFailed = 20123,
    kStrDiskFull = 20124,
    kStrReadOnly = 20125,
    kStrUntitled = 20126,
    kStrFileFilter = 20127,        // "Lotwarden Files (*.lwd)"
    kStrFileExtension = 20128,     // ".lwd"
    kStrOpenTitle = 20129,
    kStrSaveAsTitle = 20130,
    kStrSendFailed = 20131,
    kStrIdle = 20132,              // pane 0 when no prompt shows
    kStrCapsIndicator = 20133,     // "CAP"
    kStrNumIndicator = 20134,      // "NUM"
    kStrOpenFailed = 20136,        // "Cannot open %1."
    kStrChangedOnDisk = 20137,     // the file was saved by another program since it was read

    kStrProxyTitle = 20140,
    kStrProxyPrompt = 20141,
    kStrProxyUser = 20142,
    kStrProxyPassword = 20143,

    kStrFilterLabel = 20150,       // "Fi&lter:"
    kStrFilterHint = 20151,        // "Words the rows must contain"
    kStrTimeLeftDays = 20152,      // "%1d %2h %3m"
    kStrTimeLeftHours = 20153,     // "%1h %2m"
    kStrTimeLeftMinutes = 20154,   // "%1m %2s"
    kStrTimeLeftEnded = 20155,     // "Ended"

    // Key names in shortcut texts.
    kStrKeyDel = 20160,
    kStrKeyReturn = 20161,
    kStrKeyEnter = 20162,
    kStrKeyIns = 20163,
    kStrKeyEsc = 20164,
    kStrKeyCtrl = 20165,
    kStrKeyShift = 20166,
    kStrKeyAlt = 20167,
    kStrKeySpace = 20168,
    kStrKeyBackspace = 20169,
    kStrKeyTab = 20170,
    kStrSearchCharacterRefused = 20190,
};
