#pragma once
// Texts of the bookmark import and export dialog, the Netscape folder chooser and the
// directory picker.

enum BookmarkDialogStringId : int {
    kStrBookmarkImportTitle = 22500,
    kStrBookmarkExportTitle = 22501,
    kStrBookmarkFavorites = 22502,
    kStrBookmarkNetscape = 22503,
    kStrBookmarkFavoritesDir = 22504,
    kStrBookmarkBrowseDir = 22505,
    kStrBookmarkFile = 22506,
    kStrBookmarkBrowseFile = 22507,
    kStrBookmarkFolder = 22508,
    kStrBookmarkBrowseFolder = 22509,
    kStrBookmarkRecurse = 22510,
    kStrBookmarkDelete = 22511,
    kStrNetscapeFolderTitle = 22512,
    kStrNetscapeFolderLabel = 22513,
    kStrBrowseDirectoryTitle = 22514,
    kStrBookmarkFileTitle = 22515,
    kStrBookmarkProfile = 22520,
    kStrBookmarkKeptUnsaved = 22521,
    kStrBookmarkNotDeleted = 22522,
    kStrBookmarkSkipped = 22523,
    kStrBookmarkNoProfile = 22524,
};
