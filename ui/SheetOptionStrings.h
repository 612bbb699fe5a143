#pragma once
// Texts of the options sheet, the display preferences sheet, their shared chooser page and the
// About box (ids 21500 to 21999), with the shared table's texts they use.

enum SheetOptionStringId : int {
    kStrDisplayPrefsTitle = 7,      // "Display Preferences"
    kStrNoColumnChosen = 10,        // "You must choose at least one column!"
    kStrOptionsTitle = 11,          // "Options"
    kStrNoServerChosen = 15,        // "You must choose at least one server!"
    kStrColumnsCaption = 18,        // "Columns"
    kStrColumnsPlural = 19,         // "columns"
    kStrSoundFilter = 20,           // "Sounds (*.wav)|*.wav|"
    kStrServersCaption = 24,        // "Servers"
    kStrServersPlural = 25,         // "servers"
    kStrVersionTable = 30,          // "\StringFileInfo\040904b0\"
    kStrLinkUrl = 982,              // display text "\n" target
    kStrLinkMail = 983,

    kStrChooserAdd = 21500,
    kStrChooserRemove = 21501,
    kStrChooserUp = 21502,
    kStrChooserDown = 21503,
    kStrChooserAvailable = 21504,   // "A&vailable %s:"
    kStrChooserSelected = 21505,    // "&Selected %s:"

    kStrOptGeneral = 21510,
    kStrOptRefreshStartup = 21511,
    kStrOptRefreshPeriodically = 21512,
    kStrOptPeriod = 21513,
    kStrOptMinutes = 21514,
    kStrOptPurge = 21515,
    kStrOptPurgeSince = 21516,
    kStrOptDays = 21517,
    kStrOptSimultDownload = 21518,
    kStrOptSimult1 = 21519,         // 21519..21522: the four modem entries; 5 to 10 are numbers
    kStrOptLanguage = 21523,
    kStrOptEnglish = 21524,
    kStrOptFrench = 21525,
    kStrOptLanguageNote = 21526,

    kStrOptAlarm = 21530,
    kStrOptAlarmEnd = 21531,
    kStrOptAlarmBeforeEnd = 21532,
    kStrOptAlarmBuyer = 21533,
    kStrOptSeconds = 21534,
    kStrOptMinutesUnit = 21535,
    kStrOptHours = 21536,
    kStrOptBehavior = 21537,
    kStrOptMessage = 21538,
    kStrOptSound = 21539,
    kStrOptMessageAndSound = 21540,
    kStrOptSoundFile = 21541,
    kStrOptDefaultSound = 21542,
    kStrOptCustomSound = 21543,
    kStrOptFile = 21544,
    kStrOptBrowse = 21545,
    kStrOptPlay = 21546,
    kStrOptStop = 21547,
    kStrOptSoundDialogTitle = 21548,

    kStrDispGeneral = 21560,
    kStrDispToolbarGroup = 21561,
    kStrDispToolbar = 21562,
    kStrDispTextLabels = 21563,
    kStrDispBigIcons = 21564,
    kStrDispViewerGroup = 21565,
    kStrDispViewer = 21566,
    kStrDispFontSize = 21567,
    kStrDispFontSmallest = 21568,   // 21568..21572: "Smallest" to "Largest"
    kStrDispTrackChanges = 21573,
    kStrDispReadAfter = 21574,
    kStrDispSeconds = 21575,
    kStrDispApply = 21576,
    kStrDispListGroup = 21577,

    kStrAboutTitle = 21590,         // "About $ProductName"
    kStrAboutVersionLine = 21591,
    kStrAboutCopyrightLine = 21592,
    kStrAboutMail = 21593,
    kStrAboutUrl = 21594,
};
