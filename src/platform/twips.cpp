// Twips to pixels at the primary screen's logical resolution.
#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

int twips(int tw)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return int(std::lround(tw * dpi / 1440.0));
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
