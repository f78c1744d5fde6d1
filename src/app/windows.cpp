// Opening the program's windows; a window not built yet opens nothing.
#include "app/windows.h"

#include "datamgmt/form15.h"
#include "datamgmt/form3.h"
#include "masters/form11.h"
#include "masters/form2.h"
#include "masters/form8.h"
#include "masters/form9.h"
#include "platform/modeless.h"
#include "reports/form14.h"
#include "reports/form17.h"
#include "reports/form5.h"
#include "purchasing/form16.h"
#include "register/cashwindow.h"
#include "register/closingwindow.h"
#include "storage/changes.h"

#include <QObject>

namespace Windows {

QWidget* productSettings()
{
    return showSingle<Form2>();
}

QWidget* graphs()
{
    return showSingle<Form5>();
}

QWidget* purchasing()
{
    return showSingle<Form16>();
}

QWidget* purchaseItems()
{
    return showSingle<Form11>();
}

QWidget* suppliers()
{
    return showSingle<Form9>();
}

QWidget* reports()
{
    return showSingle<Form14>();
}

QWidget* history()
{
    return showSingle<Form17>();
}

QWidget* dataManagement()
{
    // A restored settings or product file is read back into memory by the window; everyone else hears of it.
    return showSingle<Form15>([](Form15* form) {
        QObject::connect(form, &Form15::restored, form, [](const QString& fileName) {
            if (fileName == QStringLiteral("sys.ini"))
                Q_EMIT changes().settingsChanged();
            else if (fileName == QStringLiteral("syohin.dat"))
                Q_EMIT changes().productsChanged();
            else if (fileName == QStringLiteral("zaiko.dat"))
                Q_EMIT changes().stockChanged();
            else if (fileName == QStringLiteral("siiresaki.dat"))
                Q_EMIT changes().suppliersChanged();
            else if (fileName == QStringLiteral("reg.dat"))
                Q_EMIT changes().salesSlipsChanged();
            else if (fileName == QStringLiteral("siire.dat"))
                Q_EMIT changes().purchaseSlipsChanged();
            else if (fileName == QStringLiteral("seisan.dat"))
                Q_EMIT changes().seisanChanged();
        });
    });
}

QWidget* systemSettings()
{
    return showSingle<Form8>();
}

QWidget* dataInitialisation()
{
    return showSingle<Form3>();
}

QWidget* cashMovements()
{
    return showSingle<CashWindow>();
}

QWidget* closing()
{
    return showSingle<ClosingWindow>();
}

} // namespace Windows
