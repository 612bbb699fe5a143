#pragma once
// Application-wide state that the document's open step and the item reader share.

struct CAppState
{
    // Set while opening a file in which an item of an older version was read.
    bool formatChanged = false;
};

CAppState& AppState();
