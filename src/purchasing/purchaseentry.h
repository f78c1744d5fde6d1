// The purchase slip window's arithmetic and typing rules, apart from any widget.
#pragma once

#include <QStringList>
#include <QStringView>

// Whether the consumption tax is added on top of a purchase slip (1) or not (0). It belongs to the running
// program: set when a supplier is picked from the list, kept while the window is cleared, closed and reopened.
extern int TaxSwitch;

// The item number box keeps only texts whose value is an item number 1 to 400.
bool itemTextKept(QStringView text);

// TaxSwitch from a supplier's tax type: 1 for tax added on top (1), 0 for prices with tax (2) or untaxed (3).
int taxSwitchFor(int taxType);

struct PurchaseTotals
{
    double subtotal = 0;
    double tax = 0;
    double total = 0;
};

// The slip's figures from the line amount texts, line 1 first: the amounts summed unrounded, the tax
// floor(subtotal x taxSwitch x rate + 0.5) worked out exactly, and their sum.
PurchaseTotals purchaseTotals(const QStringList& amounts, int taxSwitch, double rate);
