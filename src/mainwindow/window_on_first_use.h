#pragma once

#include "main_window.h"

#include <QPointer>

namespace pxu {

// The program's one window of its kind: made on first use as a child of the main window,
// which unloads it at the shut-down through unload.
template <class Window> Window& windowOnFirstUse(UnloadSlot slot, void (Window::*unload)()) {
    static QPointer<Window> window;
    if (!window) {
        MainWindow& main = frmMain();
        window = new Window(&main); // owned by the main window
        main.setUnloader(slot, [unload] {
            if (window)
                (window.data()->*unload)();
        });
    }
    return *window;
}

} // namespace pxu
