// Window geometry is designed in twips (1/1440 inch); Qt places widgets in pixels.
#pragma once

#include <QRect>

// Pixels for a length in twips at the screen's logical resolution (15 twips per pixel at 96 dpi).
int twips(int tw);
QRect twipsRect(int left, int top, int width, int height);
