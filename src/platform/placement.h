// Where a window opens: wholly on the screen of the window it was opened from, centred on that window.
#pragma once

#include <QRect>

class QWidget;

// `frame` moved (not resized) so that it lies inside `available`; a frame larger than `available` keeps its
// top left corner on the screen, where the title bar and the first controls are.
QRect keptInside(const QRect& frame, const QRect& available);

// A frame of `size` centred on `anchor`.
QRect centredOn(const QSize& size, const QRect& anchor);

// Places a window that has not been shown yet: where it was moved to already, else centred on `anchor` (the
// whole screen without one), and in either case inside the available area of the anchor's screen. The size of
// the title bar and borders is taken from the anchor, which has them already.
void placeOnScreen(QWidget* window, QWidget* anchor);

// Shows a window that exists already where it is, as it was before it was minimised, and in front.
void bringToFront(QWidget* window);
