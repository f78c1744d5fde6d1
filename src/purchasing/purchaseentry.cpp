// Purchase slip arithmetic and typing rules.
#include "purchasing/purchaseentry.h"

#include "storage/tax.h"
#include "storage/text.h"

int TaxSwitch = 0;

bool itemTextKept(QStringView text)
{
    const double v = val(text);
    return v >= 1 && v <= 400;
}

int taxSwitchFor(int taxType)
{
    return taxType == 1 ? 1 : 0;
}

PurchaseTotals purchaseTotals(const QStringList& amounts, int taxSwitch, double rate)
{
    PurchaseTotals t;
    for (const QString& a : amounts)
        t.subtotal = t.subtotal + val(a);
    // Exact in decimal, so a tax of exactly half a yen is always rounded up.
    t.tax = TaxOnTop(t.subtotal * taxSwitch, rate);
    t.total = t.subtotal + t.tax;
    return t;
}
