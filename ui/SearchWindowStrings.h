#pragma once
// Texts of the search window and the browser mini window.

enum SearchWindowStringId : int {
    kStrSearchCaption = 22000,
    kStrSearchServer = 22001,
    kStrSearchFind = 22002,
    kStrSearchOptionsGroup = 22003,
    kStrSearchDescriptions = 22004,
    kStrSearchTextOnly = 22005,
    kStrSearchCategory = 22006,
    kStrSearchSortGroup = 22007,
    kStrSearchSortBy = 22008,
    kStrSearchAscending = 22009,
    kStrSearchDescending = 22010,
    kStrSearchMiniWindow = 22011,
    kStrSearchLaunch = 22012,
    kStrSearchClose = 22013,
    kStrMiniAddItem = 22014,
    kStrMiniNewSearch = 22015,
};
