#include "ui/KeyboardState.h"

#include <QGuiApplication>

#ifdef LW_HAVE_XKB
#include <QtGui/qguiapplication_platform.h>
// Xlib's macros (None, Bool, Status ...) clash with Qt names, so nothing of Qt follows.
#include <X11/XKBlib.h>
#endif

KeyboardLocks ReadKeyboardLocks()
{
    KeyboardLocks locks;
#if defined(LW_HAVE_XKB) && QT_CONFIG(xcb)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return locks;
    static const Atom caps = XInternAtom(display, "Caps Lock", False);
    static const Atom num = XInternAtom(display, "Num Lock", False);
    int capsOn = 0;
    int numOn = 0;
    const bool haveCaps = XkbGetNamedIndicator(display, caps, nullptr, &capsOn, nullptr, nullptr);
    const bool haveNum = XkbGetNamedIndicator(display, num, nullptr, &numOn, nullptr, nullptr);
    locks.known = haveCaps || haveNum;
    locks.capsLock = capsOn != 0;
    locks.numLock = numOn != 0;
#endif
    return locks;
}
