#pragma once
// The program's own artwork, drawn with QPainter: toolbar images in two sizes (normal and hot),
// the three item icons, the frame icon and the splash bitmap.

#include <QIcon>
#include <QPixmap>

enum class ToolImage { New, Open, Save, Erase, Cut, Copy, Paste, Properties, Stop, Refresh, Search };

// One toolbar image, `size` 16 (small) or 22 (big) pixels; `hot` is the brighter image shown
// under the mouse.
QPixmap ToolbarImage(ToolImage image, int size, bool hot);
QIcon ToolbarIcon(ToolImage image, bool big);
// 0 ordinary item, 1 finished item, 2 alarm raised; 16 pixels.
QPixmap ItemStateIcon(int index);
QIcon FrameIcon();
// The splash bitmap; the version lines go inside the box (25, 110)-(275, 175).
QPixmap SplashBitmap();
