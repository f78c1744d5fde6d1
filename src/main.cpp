// Start-up: one copy per program directory, the settings, the products, then the register window.
#include "app/startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return runTill(app);
}
