// Opening the program's windows; a window not built yet opens nothing.
#include "app/windows.h"

#include "datamgmt/backupwindow.h"
#include "datamgmt/dataresetwindow.h"
#include "masters/productwindow.h"
#include "masters/purchaseitemwindow.h"
#include "masters/settingswindow.h"
#include "masters/supplierwindow.h"
#include "platform/messagebox.h"
#include "platform/modeless.h"
#include "platform/wholebackup.h"
#include "purchasing/purchaseslipwindow.h"
#include "register/cashwindow.h"
#include "register/closingwindow.h"
#include "register/registerwindow.h"
#include "reports/graphwindow.h"
#include "reports/historywindow.h"
#include "reports/reportwindow.h"
#include "storage/changes.h"
#include "widgets/openers.h"

#include <QApplication>
#include <QDateTime>
#include <QObject>

namespace Windows {

QWidget* productSettings()
{
    return showSingle<ProductWindow>();
}

QWidget* graphs()
{
    return showSingle<GraphWindow>();
}

QWidget* purchasing()
{
    return showSingle<PurchaseSlipWindow>();
}

QWidget* purchaseItems()
{
    return showSingle<PurchaseItemWindow>();
}

QWidget* suppliers()
{
    return showSingle<SupplierWindow>();
}

QWidget* reports()
{
    return showSingle<ReportWindow>();
}

QWidget* history()
{
    return showSingle<HistoryWindow>();
}

QWidget* dataManagement()
{
    // A restored settings or product file is read back into memory by the window; everyone else hears of it.
    return showSingle<BackupWindow>([](BackupWindow* form) {
        QObject::connect(form, &BackupWindow::restored, form, [](const QString& fileName) {
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
    return showSingle<SettingsWindow>();
}

QWidget* dataInitialisation()
{
    return showSingle<DataResetWindow>();
}

QWidget* cashMovements()
{
    return showSingle<CashWindow>();
}

QWidget* closing()
{
    return showSingle<ClosingWindow>();
}

void installOpeners()
{
    Openers& o = openers();
    o.productSettings = productSettings;
    o.graphs = graphs;
    o.purchasing = purchasing;
    o.purchaseItems = purchaseItems;
    o.suppliers = suppliers;
    o.reports = reports;
    o.history = history;
    o.dataManagement = dataManagement;
    o.systemSettings = systemSettings;
    o.dataInitialisation = dataInitialisation;
    o.cashMovements = cashMovements;
    o.closing = closing;
    o.showRegister = [] { return static_cast<QWidget*>(showRegisterWindow()); };
    o.openRegister = [] { return static_cast<QWidget*>(registerWindow()); };
}

void installBackupAfterClosing()
{
    QObject::connect(&changes(), &Changes::closingDone, &changes(), [] {
        const auto done = backupAfterClosing(QDateTime::currentDateTime());
        // A backup that worked needs no word at the end of the day; one that did not must not pass unseen.
        if (done && !*done)
            MessageBox::information(QApplication::activeWindow(),
                                    QStringLiteral("精算は記録されています。\n"
                                                   "精算後の自動バックアップができませんでした。\n") +
                                        done->error);
    });
}

} // namespace Windows
