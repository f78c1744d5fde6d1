// The register's arithmetic, checks and file work on a sales slip, apart from any widget.
#pragma once

#include "storage/payment.h"
#include "storage/purchaseitem.h"
#include "storage/result.h"
#include "storage/salessave.h"
#include "storage/salesslip.h"
#include "storage/tax.h"
#include "widgets/slipchoice.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

constexpr int SlipLineCount = 10;
constexpr int HighestProductNo = 400;

// The texts of one slip line as the cashier sees them.
struct EntryLine
{
    QString code;
    QString name;
    QString price;
    QString qty;
    QString amount;
};

// The texts of the entry area that a saved slip is made of.
struct EntryTexts
{
    QString date;
    QString time;
    QString weather; // the weather code field
    QString slipNo;
    QString total;
    EntryLine line[SlipLineCount + 1]; // lines 1 to 10; 0 unused
    PaymentMethod method = PaymentMethod::Cash;
    QString tendered; // お預り; empty when not typed, ignored for other methods than cash
};

// Stock a recalled slip took out, per purchase item 1 to 400, to be given back when it is rewritten or deleted.
using StockRestoreTable = std::array<double, PurchaseItemCount + 1>;

// What the register holds besides its boxes, readable without any widget; the slip list's rows and choice
// come from SlipChoice.
struct RegisterState : SlipChoice
{
    // A recalled slip is being corrected: a save rewrites it under its own number.
    bool correctionMode = false;
    // The slip last recalled, as stored; a correction saves over it.
    SalesSlipRecord recalled;
    StockRestoreTable stockRestore{};
};

// The code field keeps digits as typed (a scanned JAN code among them, up to 20 digits) and any other text
// only when its value is a product number 1 to 400.
bool codeTextKept(QStringView text);

// What Enter (or Tab) in a code field finds. Up to 4 digits, or a text that is not all digits, is a product
// number; 8, 12 or 13 digits is a JAN code (full-width digits count as digits).
struct CodeLookUp
{
    enum Kind
    {
        Nothing, // an empty field
        Product, // a product number of a registered product
        Scan,    // a JAN code carried by a registered product
        Refused  // `problem` says why
    };
    Kind kind = Nothing;
    int product = 0;
    QString problem;
};
CodeLookUp lookUpCode(QStringView code, double productCount);

// A product is registered when it has a name or a selling price.
bool productRegistered(int n);

// Where a scanned product goes when it was scanned into the code field of line k.
struct ScanPlace
{
    int line = 0;        // the line that takes it; 0 when refused
    bool addOne = false; // that line already holds the product: its quantity grows by 1
    QString problem;     // the slip is full
};
// `entry` holds the lines as they were before the scan (line k's code field as it was when the cashier
// entered it). The line just above holding the product, or line k itself holding it, takes one more; an empty
// line k takes it; otherwise the first empty line after k, then from line 1; with none the slip is full.
ScanPlace placeScan(const EntryTexts& entry, int k, int product);
// What the quantity field shows after `text` was typed: a non-zero value in its plain form, anything else as is.
QString quantityText(const QString& text);
// The ProductTable entry that Enter in a code field shows: none when the value is above the product count
// `productCount` or outside the table; an empty field gives entry 0, the empty product.
std::optional<int> productEntryFor(QStringView code, double productCount);
// One entry of a product list: the number left-aligned in 5 characters, " - ", the reduced-rate mark when the
// product is sold at that rate, the name whole without the blanks that pad it in the file.
QString productListEntry(int productNo, const QString& name, bool reduced = false);

// The sum of the line amounts (empty fields count 0).
double slipTotal(const QStringList& amounts);
// The two rates' totals and contained taxes of the entry, by the product numbers in the code fields and
// the line amounts; computed whether or not the sales tax switch is on.
SlipRates entryTax(const EntryTexts& entry);
// The change for `tender`, its thousands grouped as a figure only shown, or "-----" when the total is more
// than the tender.
QString changeText(double tender, double total);

// The notes and coin the change boxes are worked out for, in the order of the boxes.
constexpr double ChangeTenders[4] = {10000, 5000, 1000, 500};
// What the four change boxes show for `total`: each tender's change, or for a return (a negative total) the
// amount to give back (返金) in the first box and nothing in the others, as no note is tendered for it.
struct ChangeBoxes
{
    bool refund = false;
    QString texts[4];
};
ChangeBoxes changeBoxes(double total);
// The rate figures of stored slip `slip` as the register shows them: its own, or for a slip from before they
// were kept, its whole total and tax at the standard rate `standardRate`.
SlipRates storedRates(const SalesSlipRecord& slip, double standardRate);
// A stored line shows blank when it is empty (no product and every figure 0), not "0 0 0".
bool storedLineEmpty(const SalesSlipLine& line);

// The largest amount the tendered box takes: eight digits.
constexpr double HighestTendered = 99999999;
// What the tendered box keeps: digits only, at most eight, as typed.
bool tenderedTextKept(QStringView text);
// The change due shown beside the tendered box, grouped: tendered - total for cash with an amount typed, else
// empty.
QString changeDueText(PaymentMethod method, const QString& tendered, double total);
// Why the payment cannot be saved (too little tendered for cash), or an empty text when it can.
QString paymentProblem(PaymentMethod method, const QString& tendered, double total);
// The payment a slip stores for the entry: the method, and the amount tendered only for cash.
SlipPayment entryPayment(PaymentMethod method, const QString& tendered);

// What the slip number box shows for the next new slip: SysNum[2], or one past `lastSaved` (the slip the
// register saved last) while that save's last writes, the counter among them, wait for the next operation.
QString nextSlipNoText(qint64 lastSaved);

// Weather code 1 to 5 and its stored name; other codes store a blank field, unknown names give 0.
QString weatherName(double code);
int weatherCode(const QString& storedName);

// Fills `slip` from the entry and lists the stock each line takes out, one change per used component slot.
// Every line is checked first: a product number, unit price or quantity that does not fit its 16-bit field
// fails with a message naming the line and field, and leaves `slip` untouched; so does a total that is not the
// sum of the line amounts, and cash tendered below the total. The tax is that of each rate
// in SysNum, by the products' reduced-rate marks, 0 with `taxOn` false.
Result buildSlip(const EntryTexts& entry, bool taxOn, SalesSlipRecord& slip, QList<StockChange>& taken);

// Adds what stored slip `slip` took out of stock to `restore`, by the products' composition as it is now.
void addStockTaken(const SalesSlipRecord& slip, StockRestoreTable& restore);

// Saves the entry as a new slip (record SysNum[Sys::NextSalesSlipNo], then one more and the settings saved) or,
// in correction, under its own number with the date and time the entry shows (those of the sale when recalled), taking
// its stock out and giving `restore` back, all as one operation (storage/salessave.h); `restore` is zeroed once the
// slip is saved. A refused save changes nothing. A correction starts from `recalled`, the slip as it was read, so
// the reserved bytes of the record go back as they came; a new slip starts from the empty record.
SaveOutcome saveSale(const EntryTexts& entry, bool correction, StockRestoreTable& restore,
                     const SalesSlipRecord& recalled = SalesSlipRecord());

// Marks slip n deleted and gives `restore` back as one operation; `restore` is zeroed once it took effect. A
// deletion that took effect may still carry a message (its history entry could not be written, say).
SaveOutcome deleteSale(qint64 n, StockRestoreTable& restore);
