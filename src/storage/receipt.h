// What a receipt for one sales slip shows, as plain data: the shop, the lines, and per tax rate the total
// and the tax contained in it, as a simplified invoice needs them. Painting it is the platform's business.
#pragma once

#include "storage/salesslip.h"
#include "storage/salestax.h"

#include <QList>
#include <QString>

struct ShopDetails
{
    QString name;
    QString address;
    QString telephone;
    QString registrationNo; // "T" and 13 digits, or empty
};

// The shop details as kept in the settings.
ShopDetails shopDetailsFromSettings();

// True for an empty text or "T" followed by exactly 13 digits.
bool isRegistrationNo(const QString& text);

struct ReceiptItem
{
    QString name; // as stored on the slip, trailing blanks dropped
    int qty = 0;
    int unitPrice = 0;
    double amount = 0;
    bool reduced = false; // sold at the reduced rate
};

struct ReceiptRate
{
    double rate = 0; // a fraction
    double total = 0;
    double tax = 0;
    bool reduced = false;
};

// One printed row: a text at the left (wrapped when long) and one at the right.
struct ReceiptRow
{
    enum Kind
    {
        Title,
        Centred,
        LeftRight,
        Emphasised,
        Rule,
        Note
    };
    Kind kind = LeftRight;
    QString left;
    QString right;
};

struct Receipt
{
    ShopDetails shop;
    bool reissue = false;
    bool corrected = false; // printed after a correction: replaces the receipt first given for the slip
    QString date;
    QString time;
    qint64 slipNo = 0;
    QList<ReceiptItem> items;
    double total = 0;
    QList<ReceiptRate> rates;
    SlipPayment payment; // the method; for cash the amount tendered, which gives the change

    bool anyReduced() const;
    // The receipt from top to bottom.
    QList<ReceiptRow> rows() const;
};

// The receipt of a stored slip. A slip without per-rate figures is all at the standard rate `standardRate`
// with its stored tax; without tax in use at the counter (`taxInUse` false) and no tax stored, it shows no
// rate rows, since no tax was charged. `corrected` marks the receipt of a correction.
Receipt buildReceipt(const SalesSlipRecord& slip, const ShopDetails& shop, double standardRate, bool taxInUse,
                     bool reissue, bool corrected = false);

// Money as the receipt shows it: ¥ and the amount with its thousands grouped (¥2,180).
QString yen(double amount);
