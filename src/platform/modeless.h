// Modeless windows that exist once: shown on first use, brought to the front after that.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

// `setUp(window)` runs once, when the window is created.
template <typename Window, typename SetUp> Window* showSingle(SetUp setUp)
{
    static QPointer<Window> instance;
    if (!instance) {
        instance = new Window;
        instance->setAttribute(Qt::WA_DeleteOnClose);
        setUp(instance.data());
    }
    instance->show();
    instance->raise();
    instance->activateWindow();
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
