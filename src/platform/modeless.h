// Modeless windows that exist once: shown on first use, brought to the front after that.
#pragma once

#include "platform/placement.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

// `setUp(window)` runs once, when the window is created; it may move the window, which then stays on the screen
// of the window it is opened from; otherwise it opens centred on that window. Opened again, it comes to the
// front where it is.
template <typename Window, typename SetUp> Window* showSingle(SetUp setUp)
{
    static QPointer<Window> instance;
    if (!instance) {
        QWidget* opener = QApplication::activeWindow();
        instance = new Window;
        instance->setAttribute(Qt::WA_DeleteOnClose);
        setUp(instance.data());
        placeOnScreen(instance, opener);
    }
    bringToFront(instance);
    return instance;
}

template <typename Window> Window* showSingle()
{
    return showSingle<Window>([](Window*) {});
}

// The window if it is open, else null.
template <typename Window> Window* openInstance()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* w = qobject_cast<Window*>(top))
            return w;
    return nullptr;
}
