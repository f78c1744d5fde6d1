// One application-wide notice board: whoever changes shared data says so here, whoever shows it listens.
#pragma once

#include <QObject>

class Changes : public QObject
{
    Q_OBJECT

Q_SIGNALS:
    // Emitted by the code that made the change, after it succeeded.
    void settingsChanged();      // SysNum / SysStr changed in a way windows must show (not the slip counters)
    void productsChanged();      // ProductTable / syohin.dat
    void stockChanged();         // StockQty or other purchase item fields in zaiko.dat
    void suppliersChanged();     // siiresaki.dat
    void salesSlipsChanged();    // reg.dat
    void purchaseSlipsChanged(); // siire.dat
    void seisanChanged();        // seisan.dat: a closing, cash in or out
    void closingDone();          // a closing was stored (after seisanChanged)
};

// The one instance for the whole run.
Changes& changes();
