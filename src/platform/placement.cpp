// Placing new windows on the screen and bringing existing ones to the front.
#include "platform/placement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

QRect keptInside(const QRect& frame, const QRect& available)
{
    QRect r = frame;
    if (r.right() > available.right())
        r.moveRight(available.right());
    if (r.bottom() > available.bottom())
        r.moveBottom(available.bottom());
    if (r.left() < available.left())
        r.moveLeft(available.left());
    if (r.top() < available.top())
        r.moveTop(available.top());
    return r;
}

QRect centredOn(const QSize& size, const QRect& anchor)
{
    QRect r(QPoint(0, 0), size);
    r.moveCenter(anchor.center());
    return r;
}

void placeOnScreen(QWidget* window, QWidget* anchor)
{
    QScreen* screen = anchor && anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    QMargins margins;
    if (anchor && anchor->isVisible()) {
        const QRect outer = anchor->frameGeometry();
        const QRect inner = anchor->geometry();
        margins = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                           outer.bottom() - inner.bottom());
    }
    const QSize inner =
        window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint().expandedTo(window->minimumSize());
    const QSize outer = inner.grownBy(margins);
    // A top-level window's position is that of its frame.
    QRect frame = window->testAttribute(Qt::WA_Moved) ? QRect(window->pos(), outer)
                  : anchor && anchor->isVisible()     ? centredOn(outer, anchor->frameGeometry())
                                                      : centredOn(outer, available);
    window->move(keptInside(frame, available).topLeft());
}

void bringToFront(QWidget* window)
{
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}
