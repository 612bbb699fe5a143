#pragma once
// The Caps Lock and Num Lock states for the status bar, where the window system can tell.

struct KeyboardLocks
{
    bool known = false; // false: the platform cannot tell (no X server, offscreen)
    bool capsLock = false;
    bool numLock = false;
};

KeyboardLocks ReadKeyboardLocks();
