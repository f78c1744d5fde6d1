// The month index against a read of the whole slip file: random histories of saves, corrections, deletions,
// slips on other days, restores and resets; an index that is stale, cut short or not ours.
#include "offsets.h"
#include "storage/closing.h"
#include "storage/datafiles.h"
#include "storage/initialise.h"
#include "storage/journal.h"
#include "storage/purchasesave.h"
#include "storage/salessave.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/sliplist.h"
#include "storage/text.h"
#include "testutil.h"

#include <QDate>
#include <QDir>
#include <QRandomGenerator>
#include <QtTest>
#include <numeric>

namespace {

// Dates a slip can carry besides the ordinary ones: typed on another day, or written by a clock set wrong or
// by an older program.
const QStringList OddDates = {QString(),
                              QStringLiteral("2024/3/5"),
                              QStringLiteral("abcd/ef/gh"),
                              QStringLiteral("9e99/01/01"),
                              QStringLiteral("2024/02/30"),
                              QStringLiteral(" 2024/ 2/ 3"),
                              QStringLiteral("1999/12/31")};

class History
{
public:
    History(quint32 seed, int outOfOrder) : m_rng(seed), m_outOfOrder(outOfOrder) {}

    QString salesDate()
    {
        if (m_rng.bounded(100) < 3)
            return OddDates[m_rng.bounded(int(OddDates.size()))];
        return date();
    }

    QDate purchaseDay() { return QDate::fromString(date(), QStringLiteral("yyyy/MM/dd")); }

    SalesSlipRecord sale()
    {
        SalesSlipRecord slip;
        slip.Date = salesDate();
        slip.Time = m_rng.bounded(20) == 0 ? QStringLiteral("25:61:00")
                                           : QTime(0, 0).addSecs(m_rng.bounded(86400)).toString(u"HH:mm:ss");
        slip.SlipNo = int32_t(SysNum[Sys::NextSalesSlipNo]);
        slip.Line[1].ProductNo = 1; // a slip without a product line is never stored
        slip.Subtotal = slip.Total = m_rng.bounded(20) == 0 ? 0.1 * m_rng.bounded(1000) : m_rng.bounded(30000);
        return slip;
    }

    PurchaseSlipDraft purchase()
    {
        const QDate day = purchaseDay();
        PurchaseSlipDraft d;
        d.year = QString::number(day.year());
        d.month = QStringLiteral("%1").arg(day.month(), 2, 10, QLatin1Char('0'));
        d.day = QStringLiteral("%1").arg(day.day(), 2, 10, QLatin1Char('0'));
        d.time = QStringLiteral("08:30:00");
        d.supplierNo = 1;
        d.line[1].itemNo = 1; // a line is needed; its quantity 0 leaves the stock alone
        d.subtotal = d.total = m_rng.bounded(50000);
        return d;
    }

    int pick(int below) { return int(m_rng.bounded(below)); }

private:
    // Mostly the shop's days in order, now and then a day anywhere in six years.
    QString date()
    {
        if (m_rng.bounded(100) < m_outOfOrder)
            return QDate(2020, 1, 1).addDays(m_rng.bounded(6 * 365)).toString(u"yyyy/MM/dd");
        if (m_rng.bounded(3) == 0)
            ++m_day;
        return QDate(2023, 1, 1).addDays(m_day).toString(u"yyyy/MM/dd");
    }

    QRandomGenerator m_rng;
    int m_outOfOrder;
    int m_day = 0;
};

qint64 lastSales()
{
    return qint64(SysNum[Sys::NextSalesSlipNo]) - 1;
}

// The operations of a history. Each returns whether a journalled save was made with a usable index.
enum Op
{
    NewSale,
    CorrectSale,
    DeleteSale,
    NewPurchase,
    CorrectPurchase,
    DeletePurchase,
    WrittenDirectly,
    Restored,
    Reset,
    IndexRemoved,
    KeyBitFlipped,
    Ops
};

const int Weights[Ops] = {30, 12, 8, 14, 7, 5, 3, 2, 1, 2, 3};

Op pickOp(History& h)
{
    int total = 0;
    for (int w : Weights)
        total += w;
    int at = h.pick(total);
    for (int op = 0; op < Ops; ++op) {
        if (at < Weights[op])
            return Op(op);
        at -= Weights[op];
    }
    return NewSale;
}

} // namespace

class TestSlipIndex : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomHistories_data();
    void randomHistories();
    void damagedIndexIsRebuilt_data();
    void damagedIndexIsRebuilt();
    void keyAndMonthBytes();
    void keyCheckByte();
    void gapAndTornEnd_data();
    void gapAndTornEnd();
    void runsOfAMonth_data();
    void runsOfAMonth();
    void indexThatCannotBeWritten();
    void twoSlipsInOneTransaction();
    void correctionOfAKeyWithoutItsMonth();
    void indexOfAnotherState_data();
    void indexOfAnotherState();
};

void TestSlipIndex::randomHistories_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("operations");
    QTest::addColumn<int>("outOfOrder"); // per cent of slips dated on another day
    for (quint32 seed = 1; seed <= 16; ++seed)
        QTest::addRow("seed %u", seed) << seed * 7919u << 45 << int(seed % 4) * 10;
}

void TestSlipIndex::randomHistories()
{
    QFETCH(quint32, seed);
    QFETCH(int, operations);
    QFETCH(int, outOfOrder);
    TestAppDir dir;
    dir.writeStock({});
    History h(seed, outOfOrder);
    QByteArray snapshot; // reg.dat as a backup taken earlier
    for (int i = 0; i < operations; ++i) {
        const Op op = pickOp(h);
        const qint64 sales = lastSales();
        const qint64 purchases = LastPurchaseSlipNo();
        const bool indexed = CheckSlipIndex(SlipFile::Sales) == SlipIndexState::Usable &&
                             CheckSlipIndex(SlipFile::Purchases) == SlipIndexState::Usable;
        bool journalled = false;
        switch (op) {
        case NewSale: {
            SalesSlipRecord slip = h.sale();
            journalled = SaveNewSalesSlip(slip, {}).saved;
            break;
        }
        case CorrectSale:
            if (sales > 0) {
                SalesSlipRecord slip = h.sale();
                slip.SlipNo = int32_t(1 + h.pick(int(sales)));
                journalled = SaveCorrectedSalesSlip(slip.SlipNo, slip, {}).saved;
            }
            break;
        case DeleteSale:
            if (sales > 0)
                journalled = DeleteSalesSlip(1 + h.pick(int(sales)), {}).saved;
            break;
        case NewPurchase:
            journalled = SaveNewPurchaseSlip(h.purchase()).saved;
            QVERIFY(journalled);
            break;
        case CorrectPurchase:
            if (purchases > 0)
                journalled = SaveCorrectedPurchaseSlip(1 + h.pick(int(purchases)), h.purchase(), {}).saved;
            break;
        case DeletePurchase:
            if (purchases > 0)
                journalled = DeletePurchaseSlip(1 + h.pick(int(purchases)), {}).saved;
            break;
        case WrittenDirectly: // an older tool, or a slip typed in by hand, past or within the file
            QVERIFY(storeSale(1 + h.pick(int(sales) + 3), h.salesDate(), h.pick(1000)));
            break;
        case Restored:
            if (snapshot.isEmpty()) {
                snapshot = dir.bytes(QStringLiteral("reg.dat"));
            } else {
                // As the data management window restores: the index goes, the file is replaced, counters follow.
                DropSlipIndex(QStringLiteral("reg.dat"));
                dir.writeBytes(QStringLiteral("reg.dat"), snapshot);
                QVERIFY(RaiseCountersToRestoredFile(QStringLiteral("reg.dat"), nullptr).ok);
            }
            break;
        case Reset:
            QVERIFY(ResetSalesSlips(h.pick(4), {}).ok);
            break;
        case IndexRemoved:
            QFile::remove(dir.file(h.pick(2) ? QStringLiteral("reg.key") : QStringLiteral("siire.mon")));
            break;
        case KeyBitFlipped: {
            QByteArray keys = dir.bytes(QStringLiteral("reg.key"));
            if (!keys.isEmpty()) {
                const int bit = h.pick(int(keys.size()) * 8);
                keys[bit / 8] = char(keys[bit / 8] ^ (1 << (bit % 8)));
                dir.writeBytes(QStringLiteral("reg.key"), keys);
            }
            break;
        }
        case Ops:
            break;
        }
        // A save keeps a usable index usable: it is written with the slip, not dropped for a rebuild.
        if (journalled && indexed) {
            QCOMPARE(CheckSlipIndex(SlipFile::Sales), SlipIndexState::Usable);
            QCOMPARE(CheckSlipIndex(SlipFile::Purchases), SlipIndexState::Usable);
        }
        const QString sales2 = slipIndexDisagreement(SlipFile::Sales);
        QVERIFY2(sales2.isEmpty(),
                 qPrintable(QStringLiteral("after operation %1 (%2): %3").arg(i).arg(op).arg(sales2)));
        const QString purchases2 = slipIndexDisagreement(SlipFile::Purchases);
        QVERIFY2(purchases2.isEmpty(),
                 qPrintable(QStringLiteral("after operation %1 (%2): %3").arg(i).arg(op).arg(purchases2)));
        // The lists read only up to the last slip issued.
        const QString upToLast = slipIndexDisagreement(SlipFile::Sales, std::max<qint64>(0, lastSales() - 2));
        QVERIFY2(upToLast.isEmpty(), qPrintable(upToLast));
    }
}

void TestSlipIndex::damagedIndexIsRebuilt_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("at");           // byte offset; negative from the end
    QTest::addColumn<int>("change");       // 0: cut the file there; otherwise xor the byte with it
    QTest::addColumn<QString>("copyFrom"); // replaces `file` first when not empty
    QTest::addColumn<bool>("found");       // the check on opening finds it; otherwise the read that meets it does
    QTest::addRow("keys cut short") << "reg.key" << -16 << 0 << QString() << true;
    QTest::addRow("keys one byte short") << "reg.key" << -1 << 0 << QString() << true;
    QTest::addRow("keys one byte longer") << "reg.key" << 0 << -1 << QString() << true;
    QTest::addRow("month records cut short") << "reg.mon" << -64 << 0 << QString() << true;
    QTest::addRow("mark") << "reg.mon" << 0 << 1 << QString() << true;
    QTest::addRow("version") << "reg.mon" << 8 << 1 << QString() << true;
    QTest::addRow("record size") << "reg.mon" << 10 << 1 << QString() << true;
    QTest::addRow("month count") << "reg.mon" << 12 << 1 << QString() << true;
    QTest::addRow("slip file size") << "reg.mon" << 16 << 4 << QString() << true;
    QTest::addRow("checksum") << "reg.mon" << 24 << 1 << QString() << true;
    QTest::addRow("name") << "reg.mon" << 32 << 1 << QString() << true;
    QTest::addRow("stamp") << "reg.mon" << 48 << 1 << QString() << true;
    QTest::addRow("next slip number when stamped") << "reg.mon" << 63 << 1 << QString() << true;
    QTest::addRow("a month's year") << "reg.mon" << 64 << 1 << QString() << true;
    QTest::addRow("a month's count") << "reg.mon" << 72 << 1 << QString() << true;
    QTest::addRow("a run") << "reg.mon" << 76 << 2 << QString() << true;
    QTest::addRow("foreign: the purchase index") << "reg.mon" << 0 << 0 << "siire.mon" << true;
    QTest::addRow("foreign: the purchase keys") << "reg.key" << 0 << 0 << "siire.key" << true;
    QTest::addRow("last key's date") << "reg.key" << -12 << 1 << QString() << true;
    QTest::addRow("first key's total") << "reg.key" << 15 << 0x40 << QString() << true;
    QTest::addRow("a middle key's month") << "reg.key" << 16 * 20 + 4 << 3 << QString() << false;
    QTest::addRow("stale: slip file a byte short") << "reg.dat" << -1 << 0 << QString() << true;
    QTest::addRow("stale: last slip changed") << "reg.dat" << -1024 + 3 << 1 << QString() << true;
    QTest::addRow("stale: first slip deleted") << "reg.dat" << 728 << 1 << QString() << true;
}

void TestSlipIndex::damagedIndexIsRebuilt()
{
    QFETCH(QString, file);
    QFETCH(int, at);
    QFETCH(int, change);
    QFETCH(QString, copyFrom);
    QFETCH(bool, found);
    TestAppDir dir;
    // Forty slips over three months, the last month again in the middle, and purchases beside them.
    for (int n = 1; n <= 40; ++n) {
        QVERIFY(storeSale(n,
                          QStringLiteral("2025/%1/%2")
                              .arg(n < 30 ? 1 + n / 10 : 2, 2, 10, QLatin1Char('0'))
                              .arg(1 + n % 28, 2, 10, QLatin1Char('0')),
                          n * 10.0));
        QVERIFY(storePurchase(n, QStringLiteral("2025/01/%1").arg(1 + n % 28, 2, 10, QLatin1Char('0')), n));
    }
    QVERIFY(RebuildSlipIndex(SlipFile::Sales).ok);
    QVERIFY(RebuildSlipIndex(SlipFile::Purchases).ok);
    QCOMPARE(CheckSlipIndex(SlipFile::Sales), SlipIndexState::Usable);
    QByteArray bytes = copyFrom.isEmpty() ? dir.bytes(file) : dir.bytes(copyFrom);
    const qsizetype offset = at < 0 ? bytes.size() + at : at;
    if (copyFrom.isEmpty() && change == 0)
        bytes.truncate(offset);
    else if (change == -1)
        bytes += '\0';
    else if (change != 0)
        bytes[offset] = char(bytes[offset] ^ change);
    // Written past the index, as no save of the program does.
    dir.writeBytes(file, bytes);
    if (found)
        QVERIFY(CheckSlipIndex(SlipFile::Sales) != SlipIndexState::Usable);
    const QString disagreement = slipIndexDisagreement(SlipFile::Sales);
    QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
    QCOMPARE(CheckSlipIndex(SlipFile::Sales), SlipIndexState::Usable);
    // The purchase index was not touched and is still the one built first.
    QCOMPARE(CheckSlipIndex(SlipFile::Purchases), SlipIndexState::Usable);
}

void TestSlipIndex::keyAndMonthBytes()
{
    TestAppDir dir;
    dir.writeStock({});
    // A shop without slips: nothing to read and nothing to build.
    const SlipIndexUse before = slipIndexUse();
    QVERIFY(ScanSlipKeys(SlipFile::Sales, 100, [](qint64, const SlipKey&) { return true; }).ok);
    QCOMPARE(slipIndexUse().fullReads, before.fullReads);
    QCOMPARE(slipIndexUse().rebuilds, before.rebuilds);
    SalesSlipRecord slip = saleSlip(1, QStringLiteral("2025/03/07"), {{1, 1, 1234}}, QStringLiteral("14:05:00"));
    QVERIFY(SaveNewSalesSlip(slip, {}).saved);
    slip = saleSlip(2, QStringLiteral("2024/12/31"), {{1, 1, 50}}, QStringLiteral("14:05:00"));
    QVERIFY(SaveNewSalesSlip(slip, {}).saved);
    QVERIFY(DeleteSalesSlip(2, {}).saved);

    const QByteArray keys = dir.bytes(QStringLiteral("reg.key"));
    QCOMPARE(keys.size(), 2 * 16);
    const char* k = keys.constData() + 16;
    QCOMPARE(quint8(k[0]) | quint8(k[1]) << 8 | quint8(k[2]) << 16, 2024);
    QCOMPARE(int(k[4]), 12);
    QCOMPARE(int(k[5]), 31);
    QCOMPARE(int(k[6]), 14);
    QCOMPARE(int(k[7]), 1); // deleted
    QCOMPARE(getDouble(k + 8), 50.0);
    QVERIFY(SlipKeyIntact(k));

    const QByteArray months = dir.bytes(QStringLiteral("reg.mon"));
    QCOMPARE(months.size(), 3 * 64);
    QCOMPARE(months.left(8), QByteArray("TILLMON1"));
    QCOMPARE(getInt16(months.constData() + 8), int16_t(2));
    QCOMPARE(getInt16(months.constData() + 10), int16_t(1024));
    QCOMPARE(getInt32(months.constData() + 12), 2);
    QCOMPARE(getInt32(months.constData() + 16), 2048); // the size of reg.dat, low half
    QCOMPARE(months.mid(32, 12), QByteArray("reg.dat     "));
    // Stamped after the save for the files as they are, with the next slip number.
    QVERIFY(months.mid(48, 8) != QByteArray(8, '\0'));
    QCOMPARE(getDouble(months.constData() + 56), 3.0);
    const char* december = months.constData() + 128;
    QCOMPARE(getInt32(december), 2024);
    QCOMPARE(int(december[4]), 12);
    QCOMPARE(int(december[5]), 1); // one run
    QCOMPARE(getInt32(december + 8), 1);
    QCOMPARE(getInt32(december + 12), 2);
    QCOMPARE(getInt32(december + 16), 2);
}

void TestSlipIndex::gapAndTornEnd_data()
{
    QTest::addColumn<int>("next");      // the slip number the next save takes
    QTest::addColumn<int>("tornBytes"); // bytes of a part record left at the end of reg.dat
    QTest::addRow("next record") << 4 << 0;
    QTest::addRow("past a gap of blank records") << 9 << 0;
    QTest::addRow("over a torn end") << 4 << 300;
    QTest::addRow("past a torn end") << 7 << 300;
    QTest::addRow("correction with a torn end") << 2 << 300;
}

void TestSlipIndex::gapAndTornEnd()
{
    QFETCH(int, next);
    QFETCH(int, tornBytes);
    TestAppDir dir;
    dir.writeStock({});
    for (int n = 1; n <= 3; ++n)
        QVERIFY(storeSale(n, QStringLiteral("2025/05/0%1").arg(n), n));
    if (tornBytes > 0)
        dir.writeBytes(QStringLiteral("reg.dat"),
                       dir.bytes(QStringLiteral("reg.dat")) + dir.bytes(QStringLiteral("reg.dat")).left(tornBytes));
    // The counter as the slips stored, before the index is built for them.
    SysNum[Sys::NextSalesSlipNo] = std::max(next, 4);
    QVERIFY(slipIndexDisagreement(SlipFile::Sales).isEmpty());
    SalesSlipRecord slip = saleSlip(next, QStringLiteral("2025/06/01"), {{1, 1, 7}});
    QVERIFY(next >= 4 ? SaveNewSalesSlip(slip, {}).saved : SaveCorrectedSalesSlip(next, slip, {}).saved);
    // Without a torn end the index follows the save; with one it is built anew by the next reader.
    if (tornBytes == 0)
        QCOMPARE(CheckSlipIndex(SlipFile::Sales), SlipIndexState::Usable);
    const QString disagreement = slipIndexDisagreement(SlipFile::Sales);
    QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
    QList<SlipListRow> rows{SlipListRow{99}}; // what the list held before goes
    QVERIFY(ListSalesSlips(2025, 6, 100, rows).ok);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].slipNo, qint64(next));
    // A month no box can mean lists nothing, not the month it would be cut to.
    QVERIFY(ListSalesSlips(2025, 6.5, 100, rows).ok);
    QVERIFY(rows.isEmpty());
}

// CRC-8 with polynomial 0x07, from 0xff, bit by bit: the check byte at 3 over the other 15 bytes.
quint8 bitwiseCheck(const QByteArray& key)
{
    quint8 crc = 0xff;
    for (int i = 0; i < SlipKey::Size; ++i) {
        if (i == 3)
            continue;
        crc ^= quint8(key[i]);
        for (int b = 0; b < 8; ++b)
            crc = quint8(crc & 0x80 ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

void TestSlipIndex::keyCheckByte()
{
    // Keys enough to meet every entry of a table behind the check many times.
    int checked = 0;
    for (int year : {-100000, -1, 0, 1999, 2025, 9999})
        for (int month = -9; month <= 99; month += 3)
            for (int day : {0, 1, 15, 31})
                for (double total : {0.0, -1.0, 1234.0, 0.1}) {
                    SlipKey k;
                    k.year = year;
                    k.month = int8_t(month);
                    k.day = int8_t(day);
                    k.hour = int8_t(day % 2 ? -1 : 23);
                    k.deleted = month % 2 != 0;
                    k.total = total;
                    const QByteArray bytes = EncodeSlipKey(k);
                    QCOMPARE(quint8(bytes[3]), bitwiseCheck(bytes));
                    QVERIFY(SlipKeyIntact(bytes.constData()));
                    const SlipKey back = DecodeSlipKey(bytes.constData());
                    QCOMPARE(back.year, year);
                    QCOMPARE(int(back.month), month);
                    QCOMPARE(int(back.hour), day % 2 ? -1 : 23);
                    QCOMPARE(back.total, total);
                    ++checked;
                }
    QVERIFY(checked > 2000);
    // Sixteen zero bytes, as a file filled in after a power cut, are no key.
    QVERIFY(!SlipKeyIntact(QByteArray(SlipKey::Size, '\0').constData()));
}

void TestSlipIndex::runsOfAMonth_data()
{
    QTest::addColumn<QString>("months");  // the month of each slip in turn: A January, any other letter February
    QTest::addColumn<QList<int>>("runs"); // January's runs: first and last record number of each
    QTest::addRow("in order") << "AAABB" << QList<int>{1, 3};
    QTest::addRow("one typed later") << "AABA" << QList<int>{1, 2, 4, 4};
    QTest::addRow("eight runs: the first two joined, twice")
        << "ABABABABABABABA" << QList<int>{1, 5, 7, 7, 9, 9, 11, 11, 13, 13, 15, 15};
    QTest::addRow("eight runs: the closest two joined")
        << "AXXXXXXXXAXAXXXXXXXXXXXXXXXXAAXXXXXXXXXXXXXXXXXXXAXAXXXXXXXXXXXXXXXXXXA"
        << QList<int>{1, 1, 10, 12, 29, 30, 50, 50, 52, 52, 71, 71};
}

void TestSlipIndex::runsOfAMonth()
{
    QFETCH(QString, months);
    QFETCH(QList<int>, runs);
    TestAppDir dir;
    dir.writeStock({});
    for (QChar c : months) {
        SalesSlipRecord slip =
            saleSlip(0, c == u'A' ? QStringLiteral("2025/01/10") : QStringLiteral("2025/02/10"), {{1, 1, 1}});
        QVERIFY(SaveNewSalesSlip(slip, {}).saved);
    }
    const QByteArray mon = dir.bytes(QStringLiteral("reg.mon"));
    const QByteArray keys = dir.bytes(QStringLiteral("reg.key"));
    const char* january = nullptr;
    for (qsizetype at = 64; at + 64 <= mon.size(); at += 64)
        if (getInt32(mon.constData() + at) == 2025 && mon[at + 4] == 1)
            january = mon.constData() + at;
    QVERIFY(january);
    QList<int> got;
    for (int k = 0; k < january[5]; ++k)
        got << getInt32(january + 12 + 8 * k) << getInt32(january + 16 + 8 * k);
    QCOMPARE(got, runs);
    QCOMPARE(getInt32(january + 8), int(months.count(u'A')));

    // The month is read through the index alone: its own records, no full read, no rebuild.
    const SlipIndexUse before = slipIndexUse();
    QList<SlipListRow> rows;
    QVERIFY(ListSalesSlips(2025, 1, 1000, rows).ok);
    QCOMPARE(rows.size(), months.count(u'A'));
    QCOMPARE(rows.last().slipNo, qint64(months.lastIndexOf(u'A') + 1));
    QCOMPARE(slipIndexUse().recordsRead - before.recordsRead, qint64(rows.size()));
    QCOMPARE(slipIndexUse().fullReads, before.fullReads);
    QCOMPARE(slipIndexUse().rebuilds, before.rebuilds);
    QCOMPARE(dir.bytes(QStringLiteral("reg.mon")), mon);
    QCOMPARE(dir.bytes(QStringLiteral("reg.key")), keys);
    QVERIFY(ScanSlipKeys(SlipFile::Sales, 1000, [](qint64, const SlipKey&) { return true; }).ok);
    QCOMPARE(slipIndexUse().fullReads, before.fullReads);
}

void TestSlipIndex::indexThatCannotBeWritten()
{
    TestAppDir dir;
    for (int n = 1; n <= 5; ++n)
        QVERIFY(storeSale(n, QStringLiteral("2025/03/0%1").arg(n), n));
    // Where the new key file would be written stands a folder, as on a medium that refuses it.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("reg.key.new")));
    const Result r = RebuildSlipIndex(SlipFile::Sales);
    QVERIFY(!r.ok);
    QVERIFY2(r.error.contains(QStringLiteral("reg.key")), qPrintable(r.error));
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("reg.mon"))));
    // The lists go on from the whole file.
    const SlipIndexUse before = slipIndexUse();
    QList<SlipListRow> rows;
    QVERIFY(ListSalesSlips(2025, 3, 5, rows).ok);
    QCOMPARE(rows.size(), 5);
    QCOMPARE(slipIndexUse().fullReads, before.fullReads + 1);
}

void TestSlipIndex::twoSlipsInOneTransaction()
{
    TestAppDir dir;
    for (int n = 1; n <= 3; ++n)
        QVERIFY(storeSale(n, QStringLiteral("2025/04/0%1").arg(n), n));
    QVERIFY(RebuildSlipIndex(SlipFile::Sales).ok);
    // No operation of the program writes two slips at once; one that did would find the index given up.
    Transaction t;
    t.description = QStringLiteral("test");
    for (int n : {2, 4}) {
        SalesSlipRecord slip = saleSlip(n, QStringLiteral("2025/05/01"));
        t.records << JournalRecord{QStringLiteral("reg.dat"), n, EncodeSalesSlip(slip), SalesSlipBlankRecord()};
    }
    QVERIFY(CommitTransaction(t).committed);
    QCOMPARE(CheckSlipIndex(SlipFile::Sales), SlipIndexState::Missing);
    const QString disagreement = slipIndexDisagreement(SlipFile::Sales);
    QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
}

void TestSlipIndex::correctionOfAKeyWithoutItsMonth()
{
    TestAppDir dir;
    dir.writeStock({});
    for (int n = 1; n <= 200; ++n)
        QVERIFY(storeSale(n, QStringLiteral("2025/06/%1").arg(1 + n % 28, 2, 10, QLatin1Char('0')), n));
    QVERIFY(RebuildSlipIndex(SlipFile::Sales).ok);
    // Slip 100's key names a month the month records do not have, with its check byte right.
    QByteArray keys = dir.bytes(QStringLiteral("reg.key"));
    SlipKey odd = DecodeSlipKey(keys.constData() + 99 * SlipKey::Size);
    odd.year = 1990;
    keys.replace(99 * SlipKey::Size, SlipKey::Size, EncodeSlipKey(odd));
    dir.writeBytes(QStringLiteral("reg.key"), keys);
    SysNum[Sys::NextSalesSlipNo] = 201;
    SalesSlipRecord slip = saleSlip(100, QStringLiteral("2025/07/01"), {{1, 1, 5}});
    QVERIFY(SaveCorrectedSalesSlip(100, slip, {}).saved);
    // The save could not tell which month the slip left: the index is given up and built anew.
    QCOMPARE(CheckSlipIndex(SlipFile::Sales), SlipIndexState::Missing);
    QList<SlipListRow> rows;
    QVERIFY(ListSalesSlips(2025, 7, 200, rows).ok);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].slipNo, qint64(100));
}

void TestSlipIndex::indexOfAnotherState_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QList<double>>("december"); // the totals the month's list shows
    QTest::addRow("index of three sales put back after six")
        << "put back" << QList<double>{100, 200, 300, 300, 350, 400};
    QTest::addRow("a slip's date changed by hand") << "date" << QList<double>{100, 200, 300, 300, 350, 400};
    QTest::addRow("a slip's total changed by hand") << "total" << QList<double>{100, 200, 300, 999, 350, 400};
    // A save of the other slip file stamps its own index only.
    QTest::addRow("a slip's date changed by hand, then a purchase saved")
        << "date, purchase" << QList<double>{100, 200, 300, 300, 350, 400};
}

// reg.dat of 400 prepared records never changes size, so only the stamp tells an index of another state of it.
void TestSlipIndex::indexOfAnotherState()
{
    QFETCH(QString, change);
    QFETCH(QList<double>, december);
    TestAppDir dir;
    dir.writeStock({});
    dir.writeBytes(QStringLiteral("reg.dat"), SalesSlipBlankRecord().repeated(400));
    SysNum[Sys::SalesRecordCount] = 400;
    SysNum[Sys::NextSalesSlipNo] = 1;
    const double totals[] = {100, 200, 300, 300, 350, 400};
    QList<SlipListRow> rows;
    QByteArray keys, months;
    for (int n = 1; n <= 6; ++n) {
        const QString day =
            change.startsWith(u"date") && n == 6 ? QStringLiteral("2026/11/30") : QStringLiteral("2026/12/08");
        SalesSlipRecord slip =
            saleSlip(n, day, {{1, 1, totals[n - 1], QStringLiteral("どら焼き")}}, QStringLiteral("10:00:0%1").arg(n));
        QVERIFY(SaveNewSalesSlip(slip, {}).saved);
        if (n == 3 || n == 6) {
            QVERIFY(ListSalesSlips(2026, 12, n, rows).ok);
            QCOMPARE(CheckSlipIndex(SlipFile::Sales), SlipIndexState::Usable);
        }
        if (n == 3) {
            keys = dir.bytes(QStringLiteral("reg.key"));
            months = dir.bytes(QStringLiteral("reg.mon"));
        }
    }
    QCOMPARE(dir.bytes(QStringLiteral("reg.dat")).size(), 400 * SalesSlipRecordSize);
    // Past the clock tick of the last save, as any writer but the program itself comes.
    QTest::qSleep(20);
    if (change == u"put back") {
        dir.writeBytes(QStringLiteral("reg.key"), keys);
        dir.writeBytes(QStringLiteral("reg.mon"), months);
    } else {
        QByteArray reg = dir.bytes(QStringLiteral("reg.dat"));
        if (change.startsWith(u"date"))
            reg.replace(5 * Off::Sales::Size + Off::Sales::Date, 10, "2026/12/08");
        else
            putDouble(reg.data() + 3 * Off::Sales::Size + Off::Sales::Total, 999);
        dir.writeBytes(QStringLiteral("reg.dat"), reg);
    }
    if (change.endsWith(u"purchase")) {
        PurchaseSlipDraft purchase;
        purchase.year = QStringLiteral("2026");
        purchase.month = QStringLiteral("12");
        purchase.day = QStringLiteral("08");
        purchase.supplierNo = 1;
        purchase.line[1].itemNo = 1; // quantity 0: the stock stays
        purchase.subtotal = purchase.total = 500;
        QVERIFY(SaveNewPurchaseSlip(purchase).saved);
    }
    QVERIFY(CheckSlipIndex(SlipFile::Sales) != SlipIndexState::Usable);
    // The graphs' keys, the month's list and report, and the closing all see the six slips as they are.
    QList<double> keyed;
    QVERIFY(ScanSlipKeys(SlipFile::Sales, 6, [&](qint64, const SlipKey& k) {
                if (k.year == 2026 && k.month == 12)
                    keyed << k.total;
                return true;
            }).ok);
    QCOMPARE(keyed, december);
    QVERIFY(ListSalesSlips(2026, 12, 6, rows).ok);
    QList<double> listed;
    for (const SlipListRow& row : rows)
        listed << row.total;
    QCOMPARE(listed, december);
    ClosingFigures figures;
    QVERIFY(ComputeClosing(QStringLiteral("2026/12/08"), {}, 0, figures).ok);
    QCOMPARE(figures.slipCount, 6);
    QCOMPARE(figures.expectedCash(), std::accumulate(december.begin(), december.end(), 0.0));
    QCOMPARE(CheckSlipIndex(SlipFile::Sales), SlipIndexState::Usable);
}

QTEST_GUILESS_MAIN(TestSlipIndex)
#include "tst_slipindex.moc"
