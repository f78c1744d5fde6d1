// Shared test fixtures: a fresh program directory with settings, and file byte access.
#pragma once

#include "storage/salesslip.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

enum class SlipFile;

// A temporary program directory: AppDir points at it, the tables hold the shipped defaults and
// sys.ini is written from them.
class TestAppDir
{
public:
    TestAppDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QByteArray bytes(const QString& name) const;
    // The bytes of each named file, to compare before and after an operation that must write none of them.
    QList<QByteArray> snapshot(const QStringList& names) const;
    void writeBytes(const QString& name, const QByteArray& bytes) const;
    // zaiko.dat of 400 blank purchase items holding the given stock quantities (item, quantity).
    void writeStock(const QList<QPair<int, double>>& stock) const;
    // StockQty of purchase item `item` as stored in zaiko.dat.
    double stockOf(int item) const;

private:
    QTemporaryDir m_dir;
};

// A whole file's bytes (empty when it cannot be read), and a file written whole; false when it cannot be.
QByteArray fileBytes(const QString& path);
bool putFile(const QString& path, const QByteArray& bytes);

// One line of a test sales slip: product x qty at price, its amount their product; its name the given one or,
// when none is given, the product table's.
struct SaleLine
{
    SaleLine(int product, int qty, double price, const QString& name = QString())
        : product(product), qty(qty), price(price), name(name)
    {
    }
    int product;
    int qty;
    double price;
    QString name;
};
// A sales slip as the register makes one: number n, the date and time, the lines from line 1, subtotal and total
// the sum of the amounts. Tax, rates, payment, weather and the deletion mark stay as a new record has them.
SalesSlipRecord saleSlip(qint64 n, const QString& date, const QList<SaleLine>& lines = {},
                         const QString& time = QStringLiteral("10:00:00"));
// `slip` stored as record n through the storage functions; false when the write failed.
bool storeSalesSlip(qint64 n, const SalesSlipRecord& slip);

// A sales slip holding only its date, time and totals, and a purchase slip holding only its date and total,
// stored through the storage functions; false when the write failed.
bool storeSale(qint64 n, const QString& date, double total, const QString& time = QStringLiteral("10:00:00"),
               bool deleted = false);
bool storePurchase(qint64 n, const QString& date, double total, bool deleted = false);

// The text of a PDF file as pdftotext reads it, one entry a page (a trailing empty page dropped); with `layout`
// the columns keep their places on the line.
QStringList pdfPages(const QString& path, bool layout = true);
// Every barcode an independent reader (zbarimg) finds on the pages of a PDF file rendered at 300 dpi, as EAN-13
// or EAN-8 digits, sorted.
QStringList barcodesInPdf(const QString& pdf);

// Runs this test program again as a crash test's child, given `--crash` and `args`: true when it was stopped (it
// died by a signal), false when it ran to its end; a child that hangs or fails ends the test run.
bool runCrashChild(const QStringList& args);
// In a crash test's child: the process dies at the `step`-th durable step of the journal, as hard as a power cut
// (no destructor, no flush).
void killAtJournalStep(int step);

// A disk with `room` bytes left, for the writes of durable files: a write that would go beyond writes what fits
// and fails with the system's "no space" reason; flushing a file fails too once the disk is full. The
// system's own steps are back when it goes out of scope.
class FullDisk
{
public:
    explicit FullDisk(qint64 room);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
    // The text the system gives for a full disk.
    static QString reason();

private:
    qint64 m_room;
};

// Empty when every month's and every day's slips of records 1..last read through the month index of the slip
// file are exactly those a read of the whole file finds, in the same order, and the keys it hands the graph are
// those of the records; otherwise the first difference. Reading through the index rebuilds it when needed.
QString slipIndexDisagreement(SlipFile file, qint64 last = 2147483647);

// Resets SysNum/SysStr to the values a fresh installation ships with.
void setDefaultSettings();
