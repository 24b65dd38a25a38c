#include "app/LockKeys.h"

#include <QGuiApplication>

#if __has_include(<X11/XKBlib.h>)
#include <X11/XKBlib.h>
#define TESSARO_HAVE_XKB 1
#endif

std::optional<LockKeys> QueryLockKeys() {
#ifdef TESSARO_HAVE_XKB
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display =
        x11 && QGuiApplication::platformName() == QLatin1String("xcb") ? x11->display() : nullptr;
    if (display) {
        unsigned int state = 0;
        if (XkbGetIndicatorState(display, XkbUseCoreKbd, &state) == Success) {
            // The core keyboard's first three indicators are Caps, Num and Scroll Lock.
            return LockKeys{(state & 1) != 0, (state & 2) != 0, (state & 4) != 0};
        }
    }
#endif
    return std::nullopt;
}
