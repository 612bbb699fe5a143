#pragma once
// Command identifiers. Each one is also the id of the string that holds the command's
// status-bar prompt and, after "\n", its tooltip and toolbar label.

enum CommandId : int {
    kCmdFileNew = 57600,
    kCmdFileOpen = 57601,
    kCmdFileSave = 57603,
    kCmdFileSaveAs = 57604,
    kCmdFileSendMail = 57612,
    kCmdFileMru1 = 57616, // 57616..57631: the recent-file entries
    kCmdAppExit = 57665,
    kCmdEditCut = 57635,
    kCmdEditCopy = 57634,
    kCmdEditPaste = 57637,
    kCmdEditClear = 57632,
    kCmdEditSelectAll = 57642,
    kCmdViewToolbar = 59392,
    kCmdViewStatusBar = 59393,
    kCmdViewDescription = 2022,
    kCmdViewDisplayPrefs = 2031,
    kCmdViewOptions = 2032,
    kCmdRefresh = 2004,
    kCmdStop = 2001,
    kCmdItemAdd = 2021,
    kCmdItemImport = 2007,
    kCmdFileExport = 2008,
    kCmdSearchItems = 2018,
    kCmdHelpFaq = 2033,
    kCmdAppAbout = 57664,
    kCmdOpenInBrowser = 2012,
    kCmdProperties = 2013,
    kCmdMarkRead = 2030,
    kCmdMarkUnread = 2029,
    kCmdRefreshItem = 2020,
    kCmdNextPane = 2005,
    kCmdPrevPane = 2006,
};
