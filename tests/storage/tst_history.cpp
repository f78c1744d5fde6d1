// The history of slip changes: the bytes of each entry, the chain check, damage, crashes and resets.
#include "offsets.h"
#include "storage/history.h"
#include "storage/initialise.h"
#include "storage/journal.h"
#include "storage/purchasesave.h"
#include "storage/salessave.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "testutil.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

namespace H = Off::History;

// Slips 1 to 5 in both files (stored without history), next slip 6 in both, stock for items 12 and 30.
void writeFixture(const TestAppDir& dir)
{
    for (int n = 1; n <= 5; ++n) {
        QVERIFY(storeSalesSlip(
            n, saleSlip(n, QStringLiteral("2024/05/0%1").arg(n), {{5, n, 100, QStringLiteral("どら焼き")}}, {})));
        QVERIFY(storePurchase(n, QStringLiteral("2024/05/0%1").arg(n), 1000 * n));
    }
    SysNum[2] = 6;
    SysNum[4] = 6;
    QVERIFY(SaveSettings().ok);
    dir.writeStock({{12, 100}, {30, 50}});
    resetHistoryWarning();
}

SalesSlipRecord sale(qint64 n, int qty)
{
    return saleSlip(n, QStringLiteral("2024/06/01"), {{5, qty, 300, QStringLiteral("セット")}});
}

PurchaseSlipDraft purchase(int qty)
{
    PurchaseSlipDraft d;
    d.year = QStringLiteral("2024");
    d.month = QStringLiteral("6");
    d.day = QStringLiteral("2");
    d.time = QStringLiteral("11:00:00");
    d.supplierNo = 3;
    d.supplierName = QStringLiteral("さくら養鶏場");
    d.line[1] = {12, QStringLiteral("卵"), 20, double(qty), 20.0 * qty};
    d.subtotal = d.total = 20.0 * qty;
    return d;
}

// One operation on one file, as the tests and the crash child perform it: a new slip 6, or slip 3 corrected or
// deleted.
SaveOutcome perform(const QString& file, const QString& op)
{
    const PurchaseQtyTable recalled{}; // the fixture's purchase slips hold no items
    SalesSlipRecord s = op == u"new" ? sale(6, 2) : sale(3, 7);
    if (file == u"reg.dat")
        return op == u"new"       ? SaveNewSalesSlip(s, {{12, -2}})
               : op == u"correct" ? SaveCorrectedSalesSlip(3, s, {{12, -7}})
                                  : DeleteSalesSlip(3, {{12, 3}});
    return op == u"new"       ? SaveNewPurchaseSlip(purchase(4))
           : op == u"correct" ? SaveCorrectedPurchaseSlip(3, purchase(9), recalled)
                              : DeletePurchaseSlip(3, recalled);
}

QByteArray record(const TestAppDir& dir, const QString& file, qint64 n)
{
    return dir.bytes(file).mid((n - 1) * 1024, 1024);
}

QByteArray entry(const TestAppDir& dir, qint64 n)
{
    return dir.bytes(QStringLiteral("rireki.dat")).mid((n - 1) * H::Size, H::Size);
}

// The hash as the README defines it, worked out here from the bytes: all but the hash field.
QByteArray hashOf(const QByteArray& e)
{
    return QCryptographicHash::hash(QByteArray(e.left(H::Hash) + e.mid(H::Hash + 32)), QCryptographicHash::Sha256);
}

// A reset of `file` (slips to 5 records, products none emptied), the old file and history kept in
// backup/kept.lzh (a plain copy will do); `kept` hears the name of each file kept, in turn.
Result resetWithHistory(const QString& file, QStringList* kept = nullptr)
{
    const QString archive = dataPath(QStringLiteral("backup/kept.lzh"));
    QDir(AppDir).mkdir(QStringLiteral("backup"));
    QStringList names;
    ResetSteps steps;
    steps.keepOld = [&](const QString& path) {
        names << QFileInfo(path).fileName();
        return putFile(archive, fileBytes(path)) ? Result::success() : Result::failure(QStringLiteral("no room"));
    };
    steps.keepHistory = [&](const QString& path, QString& into) {
        names << QFileInfo(path).fileName();
        into = archive;
        return putFile(archive, fileBytes(archive) + fileBytes(path)) ? Result::success()
                                                                      : Result::failure(QStringLiteral("no room"));
    };
    const Result r = file == u"syohin.dat" ? ResetProducts(0, steps)
                     : file == u"reg.dat"  ? ResetSalesSlips(5, steps)
                                           : ResetPurchaseSlips(5, steps);
    if (kept)
        *kept = names;
    return r;
}

// Damage done to the files after four changes, given rireki.dat as they left it.
using Damage = void (*)(const TestAppDir&, const QByteArray&);

void rireki(const TestAppDir& dir, const QByteArray& bytes)
{
    dir.writeBytes(QStringLiteral("rireki.dat"), bytes);
}

void flip(const TestAppDir& dir, const QString& file, int at)
{
    QByteArray bytes = dir.bytes(file);
    bytes[at] = char(bytes[at] ^ 0x01);
    dir.writeBytes(file, bytes);
}

// `name` replaced by a folder of that name.
void asFolder(const TestAppDir& dir, const QString& name)
{
    QFile::remove(dir.file(name));
    QVERIFY(QDir(dir.path()).mkdir(name));
}

// A sale after damage: a damaged history never holds up the counter, and the sale is not told about it again.
void sellOne()
{
    SalesSlipRecord s = sale(7, 1);
    const SaveOutcome saved = SaveNewSalesSlip(s, {});
    QVERIFY(saved.saved);
    QVERIFY2(saved.error.isEmpty(), qPrintable(saved.error));
}

bool correctSale(qint64 n)
{
    SalesSlipRecord s = sale(n, 1);
    return SaveCorrectedSalesSlip(n, s, {}).saved;
}

// rireki.cor: mark, int32 entries read, int32 slips listed, two 128-byte headers, 16 bytes per slip, SHA-256.
constexpr int CacheEntries = 8;
constexpr int CacheList = 16 + 2 * 128;

void cache(const TestAppDir& dir, const QByteArray& bytes)
{
    dir.writeBytes(QStringLiteral("rireki.cor"), bytes);
}

// One number of rireki.cor changed, its checksum left as it was.
void cacheInt(const TestAppDir& dir, int at, int32_t value)
{
    QByteArray bytes = dir.bytes(QStringLiteral("rireki.cor"));
    putInt32(bytes.data() + at, value);
    cache(dir, bytes);
}

// An older copy of rireki.dat put back, as the restore does.
void restoreOlder(const TestAppDir& dir, const QByteArray& older)
{
    rireki(dir, older);
    QVERIFY(anchorRestoredHistory().ok);
}

// `--crash <dir> <file> <op> <step>`: performs the operation and dies at that durable step.
int crashChild(const QStringList& args)
{
    AppDir = args[2];
    if (!LoadSettings())
        return 3;
    killAtJournalStep(args[5].toInt());
    if (args[4] == u"reset")
        return resetWithHistory(args[3]) ? 0 : 5;
    const SaveOutcome outcome = perform(args[3], args[4]);
    return outcome.saved && outcome.error.isEmpty() ? 0 : 5;
}

bool runChild(const QString& dir, const QString& file, const QString& op, int step)
{
    return runCrashChild({dir, file, op, QString::number(step)});
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void entryHoldsBeforeAndAfter_data();
    void entryHoldsBeforeAndAfter();
    void damagedHistoryNeverStopsASale_data();
    void damagedHistoryNeverStopsASale();
    void stoppedCorrectionLeavesSlipAndHistoryAgreeing_data();
    void stoppedCorrectionLeavesSlipAndHistoryAgreeing();
    void resetStartsAChainNamingItsArchive_data();
    void resetStartsAChainNamingItsArchive();
    void stoppedResetStartsItsChainWithIt_data();
    void stoppedResetStartsItsChainWithIt();
    void checkFindsWhatWasChanged_data();
    void checkFindsWhatWasChanged();
    void historyFromBeforeTheAnchorIsTakenOn();
    void historyTheDiskCannotTakeSaysWhy();
    void correctedSlipsKeptBetweenRuns_data();
    void correctedSlipsKeptBetweenRuns();
};

void TestHistory::entryHoldsBeforeAndAfter_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("slip");
    for (const char* file : {"reg.dat", "siire.dat"}) {
        QTest::addRow("%s new", file) << QString::fromLatin1(file) << "new" << 1 << 6;
        QTest::addRow("%s correction", file) << QString::fromLatin1(file) << "correct" << 2 << 3;
        QTest::addRow("%s deletion", file) << QString::fromLatin1(file) << "delete" << 3 << 3;
    }
}

void TestHistory::entryHoldsBeforeAndAfter()
{
    QFETCH(QString, file);
    QFETCH(QString, op);
    QFETCH(int, operation);
    QFETCH(int, slip);
    TestAppDir dir;
    writeFixture(dir);
    const QByteArray before = record(dir, file, slip);
    const SaveOutcome outcome = perform(file, op);
    QVERIFY2(outcome.saved && outcome.error.isEmpty(), qPrintable(outcome.error));

    const QByteArray history = dir.bytes(QStringLiteral("rireki.dat"));
    QCOMPARE(history.size(), H::Size);
    const char* p = history.constData();
    QCOMPARE(history.mid(H::Mark, 8), QByteArray("TILLRRK1"));
    QCOMPARE(getInt16(p + H::Version), 1);
    QCOMPARE(getInt16(p + H::Operation), operation);
    QCOMPARE(getInt32(p + H::EntryNo), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                .match(QString::fromLatin1(history.mid(H::Time, 19)))
                .hasMatch());
    QCOMPARE(history.mid(H::File, 12), file.toLatin1().leftJustified(12, ' '));
    QCOMPARE(getInt32(p + H::RecordNo), slip);
    QCOMPARE(getInt16(p + H::HasBefore), op == u"new" ? 0 : 1);
    QCOMPARE(history.mid(H::Before, 1024), op == u"new" ? QByteArray(1024, '\0') : before);
    QCOMPARE(history.mid(H::After, 1024), record(dir, file, slip));
    QVERIFY(history.mid(H::Before, 1024) != history.mid(H::After, 1024));
    QCOMPARE(history.mid(H::PreviousHash, 32), QByteArray(32, '\0'));
    QCOMPARE(history.mid(H::Hash, 32), hashOf(history));
}

void TestHistory::damagedHistoryNeverStopsASale_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<int>("newEntry");   // the number the sale's entry gets; 0: none is written
    QTest::addColumn<bool>("told");      // the user hears that the history was not written
    QTest::addColumn<int>("firstBad");   // what the chain check says afterwards
    QTest::addColumn<bool>("toAnchor");  // the new entry links to the anchor's hash, the file having lost its entry
    QTest::addColumn<bool>("disagreed"); // the new entry is marked as written while file and anchor disagreed
    // Damage is never written over: the next entry follows it, or the last entry the anchor counts, and the check
    // goes on finding it.
    // clang-format off
    QTest::newRow("torn last entry") << Damage([](auto& d, auto& h) { rireki(d, h + h.left(1000)); })
        << 4 << false << 3 << false << true;
    QTest::newRow("torn first entry") << Damage([](auto& d, auto& h) { rireki(d, h.left(700)); })
        << 3 << false << 1 << true << true;
    QTest::newRow("changed byte in entry 1") << Damage([](auto& d, auto&) { flip(d, u"rireki.dat"_s, H::After + 10); })
        << 3 << false << 1 << false << false;
    QTest::newRow("not ours") << Damage([](auto& d, auto&) { rireki(d, QByteArray(5000, 'x')); })
        << 0 << true << 0 << false << false;
    QTest::newRow("another version") << Damage([](auto& d, auto& h) {
        QByteArray b = h;
        putInt16(b.data() + H::Version, 2);
        rireki(d, b);
    }) << 0 << true << 0 << false << false;
    QTest::newRow("a folder") << Damage([](auto& d, auto&) { asFolder(d, u"rireki.dat"_s); })
        << 0 << true << 0 << false << false;
    // clang-format on
}

void TestHistory::damagedHistoryNeverStopsASale()
{
    QFETCH(Damage, damage);
    QFETCH(int, newEntry);
    QFETCH(bool, told);
    QFETCH(int, firstBad);
    QFETCH(bool, toAnchor);
    QFETCH(bool, disagreed);
    TestAppDir dir;
    writeFixture(dir);
    QVERIFY(perform(QStringLiteral("reg.dat"), QStringLiteral("correct")).saved);
    QVERIFY(perform(QStringLiteral("siire.dat"), QStringLiteral("correct")).saved);
    const QByteArray history = dir.bytes(QStringLiteral("rireki.dat"));
    const QByteArray anchored = history.mid(H::Size + H::Hash, 32);
    damage(dir, history);
    const QByteArray damaged = dir.bytes(QStringLiteral("rireki.dat"));

    const SaveOutcome first = perform(QStringLiteral("reg.dat"), QStringLiteral("new"));
    QVERIFY(first.saved);
    QCOMPARE(getInt32(record(dir, QStringLiteral("reg.dat"), 6).constData() + Off::Sales::SlipNo), 6);
    QCOMPARE(SysNum[2], 7.0);
    QCOMPARE(first.error.contains(QStringLiteral("rireki.dat")), told);
    if (newEntry == 0) {
        QCOMPARE(dir.bytes(QStringLiteral("rireki.dat")), damaged); // never written to
        QVERIFY(!verifyHistory().whole);
        sellOne(); // told once a run, not at every sale
        return;
    }
    const QByteArray after = dir.bytes(QStringLiteral("rireki.dat"));
    QCOMPARE(after.size(), newEntry * H::Size);
    QCOMPARE(after.left(damaged.size()), damaged);
    const QByteArray e = entry(dir, newEntry);
    QCOMPARE(getInt32(e.constData() + H::EntryNo), newEntry);
    QCOMPARE(e.mid(H::After, 1024), record(dir, QStringLiteral("reg.dat"), 6));
    // Linked to the entry before as the file holds it, or to the anchor's when the file lost it.
    QCOMPARE(e.mid(H::PreviousHash, 32), toAnchor ? anchored : hashOf(entry(dir, newEntry - 1)));
    QCOMPARE(getInt16(e.constData() + H::Disagreed), disagreed ? 1 : 0);
    const HistoryCheck check = verifyHistory();
    QCOMPARE(check.firstBad, qint64(firstBad));
    QVERIFY(!check.whole);
}

void TestHistory::stoppedCorrectionLeavesSlipAndHistoryAgreeing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("op");
    for (const char* file : {"reg.dat", "siire.dat"})
        for (const char* op : {"correct", "delete"})
            QTest::addRow("%s %s", file, op) << QString::fromLatin1(file) << QString::fromLatin1(op);
}

void TestHistory::stoppedCorrectionLeavesSlipAndHistoryAgreeing()
{
    QFETCH(QString, file);
    QFETCH(QString, op);
    int stopped = 0;
    for (int step = 1;; ++step) {
        TestAppDir dir;
        writeFixture(dir);
        QVERIFY(perform(QStringLiteral("reg.dat"), QStringLiteral("new")).saved); // history entry 1
        const QByteArray before = record(dir, file, 3);
        const QByteArray earlier = entry(dir, 1);
        if (!runChild(dir.path(), file, op, step))
            break;
        ++stopped;
        QVERIFY(LoadSettings().ok);
        QVERIFY(RecoverJournal(nullptr).ok);

        const QByteArray slip = record(dir, file, 3);
        QVERIFY(slip != before);
        QCOMPARE(dir.bytes(QStringLiteral("rireki.dat")).size(), 2 * H::Size);
        QCOMPARE(entry(dir, 1), earlier);
        const QByteArray e = entry(dir, 2);
        QCOMPARE(e.mid(H::Before, 1024), before);
        QCOMPARE(e.mid(H::After, 1024), slip);
        QCOMPARE(getInt16(e.constData() + H::Operation), op == u"correct" ? 2 : 3);
        const HistoryCheck check = verifyHistory();
        QVERIFY2(check.whole, qPrintable(check.message));
    }
    // Journal, slip, history, each touched item, journal removed.
    QVERIFY2(stopped >= 4, qPrintable(QString::number(stopped)));
}

void TestHistory::resetStartsAChainNamingItsArchive_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("foreign"); // rireki.dat is not ours: it is archived but never replaced
    QTest::newRow("sales slips") << "reg.dat" << false;
    QTest::newRow("purchase slips") << "siire.dat" << false;
    QTest::newRow("sales slips, history not ours") << "reg.dat" << true;
    QTest::newRow("products: the history goes on") << "syohin.dat" << false;
}

void TestHistory::resetStartsAChainNamingItsArchive()
{
    QFETCH(QString, file);
    QFETCH(bool, foreign);
    TestAppDir dir;
    writeFixture(dir);
    QVERIFY(perform(QStringLiteral("reg.dat"), QStringLiteral("correct")).saved);
    QVERIFY(perform(QStringLiteral("siire.dat"), QStringLiteral("delete")).saved);
    if (foreign)
        dir.writeBytes(QStringLiteral("rireki.dat"), QByteArray(3000, 'z'));
    const QByteArray old = dir.bytes(QStringLiteral("rireki.dat"));
    const QString archive = dir.file(QStringLiteral("backup/kept.lzh"));
    QStringList kept;
    QVERIFY(resetWithHistory(file, &kept).ok);
    if (file == u"syohin.dat") {
        QCOMPARE(kept, QStringList{file});
        QCOMPARE(dir.bytes(QStringLiteral("rireki.dat")), old);
        QVERIFY(verifyHistory().whole);
        return;
    }
    QCOMPARE(kept, (QStringList{file, QStringLiteral("rireki.dat")}));
    QVERIFY(fileBytes(archive).endsWith(old));
    if (foreign) {
        QCOMPARE(dir.bytes(QStringLiteral("rireki.dat")), old);
        return;
    }

    const QByteArray history = dir.bytes(QStringLiteral("rireki.dat"));
    QCOMPARE(history.size(), H::Size);
    const char* p = history.constData();
    QCOMPARE(getInt16(p + H::Operation), 4);
    QCOMPARE(getInt32(p + H::EntryNo), 1);
    QCOMPARE(history.mid(H::File, 12), file.toLatin1().leftJustified(12, ' '));
    QCOMPARE(getInt16(p + H::HasBefore), 0);
    QCOMPARE(history.mid(H::After + H::ArchiveName, 256), QByteArray("backup/kept.lzh").leftJustified(256, ' '));
    QCOMPARE(history.mid(H::After + H::ArchiveHash, 32),
             QCryptographicHash::hash(fileBytes(archive), QCryptographicHash::Sha256));
    QCOMPARE(getInt32(p + H::After + H::ArchivedEntries), 2);
    QCOMPARE(history.mid(H::PreviousHash, 32), hashOf(old.mid(H::Size, H::Size))); // linked to the old chain
    QVERIFY(verifyHistory().whole);

    // The next sale continues the new chain.
    QVERIFY(perform(QStringLiteral("reg.dat"), QStringLiteral("new")).saved);
    QCOMPARE(dir.bytes(QStringLiteral("rireki.dat")).size(), 2 * H::Size);
    QVERIFY(verifyHistory().whole);
}

void TestHistory::stoppedResetStartsItsChainWithIt_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("sales slips") << "reg.dat";
    QTest::newRow("purchase slips") << "siire.dat";
}

// Stopped at any durable step, a reset is either not done, with the old chain whole, or done with its new chain
// begun: slip 3 corrected in the old chain never marks the new slip 3 as corrected.
void TestHistory::stoppedResetStartsItsChainWithIt()
{
    QFETCH(QString, file);
    const bool sales = file == u"reg.dat";
    const int next = sales ? Sys::NextSalesSlipNo : Sys::NextPurchaseSlipNo;
    int stopped = 0;
    int done = 0;
    for (int step = 1;; ++step) {
        TestAppDir dir;
        writeFixture(dir);
        QVERIFY(perform(file, QStringLiteral("correct")).saved); // entry 1: slip 3 corrected
        const QByteArray old = dir.bytes(QStringLiteral("rireki.dat"));
        if (!runChild(dir.path(), file, QStringLiteral("reset"), step))
            break;
        ++stopped;
        QVERIFY(LoadSettings().ok);
        QVERIFY(RecoverJournal(nullptr).ok);
        RemoveLeftovers();
        QVERIFY(LoadSettings().ok);
        forgetCorrectedSlips();
        const QByteArray history = dir.bytes(QStringLiteral("rireki.dat"));
        if (SysNum[next] == 6) {
            QCOMPARE(history, old);
        } else {
            ++done;
            QCOMPARE(SysNum[next], 1.0);
            QCOMPARE(history.size(), H::Size);
            QCOMPARE(getInt16(history.constData() + H::Operation), 4);
            QCOMPARE(history.mid(H::After + H::ArchiveName, 15), QByteArray("backup/kept.lzh"));
            QVERIFY(correctedSlips(file).isEmpty());
        }
        HistoryCheck check = verifyHistory();
        QVERIFY2(check.whole, qPrintable(check.message));
        if (SysNum[next] != 1)
            continue;
        // The new slips 1 to 3 are new in the chain the file now has, and slip 3 is not marked corrected.
        for (int n = 1; n <= 3; ++n)
            QVERIFY(perform(file, QStringLiteral("new")).saved);
        QCOMPARE(SysNum[next], 4.0);
        QVERIFY(!correctedSlips(file).contains(3));
        check = verifyHistory();
        QVERIFY2(check.whole, qPrintable(check.message));
    }
    // The archive, the journal, both files replaced, the anchor, the counters, the journal removed.
    QVERIFY2(stopped >= 5 && done >= 4, qPrintable(QStringLiteral("%1 %2").arg(stopped).arg(done)));
}

// The chain check finds the first entry changed, and beyond the chain: entries cut off its end, slips changed
// behind it, slips it never recorded, its anchor, and damage that a later sale must not hide.
void TestHistory::checkFindsWhatWasChanged_data()
{
    QTest::addColumn<int>("flip"); // a byte of rireki.dat flipped first; -1: none
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<int>("firstBad"); // -1: not pinned here
    QTest::addColumn<QString>("says");
    const Damage rehash2 = [](const TestAppDir& d, const QByteArray& h) {
        rireki(d, QByteArray(h).replace(H::Size + H::Hash, 32, hashOf(h.mid(H::Size, H::Size))));
    };
    const Damage cache = [](const TestAppDir& d, const QByteArray&) {
        // A cache that lists slip 5 instead of 3, with its own checksum made anew.
        QByteArray c = d.bytes(QStringLiteral("rireki.cor")).chopped(32);
        putInt32(c.data() + 16 + 2 * 128 + 12, 5);
        d.writeBytes(QStringLiteral("rireki.cor"), c + QCryptographicHash::hash(c, QCryptographicHash::Sha256));
        forgetCorrectedSlips();
        QCOMPARE(correctedSlips(QStringLiteral("reg.dat")), QSet<qint64>{5});
    };
    const Damage unrecorded = [](const TestAppDir&, const QByteArray&) {
        QVERIFY(storeSale(7, QStringLiteral("2024/06/01"), 500));
        SysNum[Sys::NextSalesSlipNo] = 8;
        QVERIFY(SaveSettings().ok);
    };
    static const Damage noAnchor = [](const TestAppDir& d, const QByteArray&) {
        QVERIFY(QFile::remove(d.file(QStringLiteral("rireki.anc"))));
    };
    // clang-format off
    QTest::newRow("untouched") << -1 << Damage() << true << 0 << "履歴 4 件はすべて一致しました。伝票 4 件も";
    QTest::newRow("time of entry 2") << H::Size + H::Time + 18 << Damage() << false << 2 << "履歴 2 件目";
    QTest::newRow("amount before, entry 2") << H::Size + H::Before + 720 << Damage() << false << 2 << "履歴 2 件目";
    QTest::newRow("quantity after, entry 3") << 2 * H::Size + H::After + Off::Sales::line(2) + Off::Line::Qty
        << Damage()
        << false << 3 << "履歴 3 件目";
    QTest::newRow("link of entry 4") << 3 * H::Size + H::PreviousHash << Damage() << false << 4 << "履歴 4 件目";
    QTest::newRow("record number of entry 1") << H::RecordNo << Damage() << false << 1 << "履歴 1 件目";
    QTest::newRow("last byte of the file") << 4 * H::Size - 1 << Damage() << false << 4 << "履歴 4 件目";
    QTest::newRow("entry 2 changed and its hash made anew") << H::Size + H::After + 720 << rehash2
        << false << 3 << "履歴 3 件目";
    QTest::newRow("entry 2 taken out")
        << -1 << Damage([](auto& d, auto& h) { rireki(d, h.left(H::Size) + h.mid(2 * H::Size)); })
        << false << 2 << "履歴 2 件目";
    QTest::newRow("last entry cut") << -1 << Damage([](auto& d, auto& h) { rireki(d, h.left(3 * H::Size)); })
        << false << -1 << "最後の 1 件が失われています";
    QTest::newRow("two entries cut") << -1 << Damage([](auto& d, auto& h) { rireki(d, h.left(2 * H::Size)); })
        << false << -1 << "最後の 2 件が失われています";
    QTest::newRow("history removed") << -1 << Damage([](auto& d, auto&) { rireki(d, {}); })
        << false << -1 << "最後の 4 件が失われています";
    QTest::newRow("last entry replaced")
        << -1 << Damage([](auto& d, auto& h) { rireki(d, h.left(3 * H::Size) + h.mid(2 * H::Size, H::Size)); })
        << false << -1 << "履歴 4 件目が rireki.anc の検証値と一致しません";
    QTest::newRow("entry added") << -1 << Damage([](auto& d, auto& h) { rireki(d, h + h.right(H::Size)); })
        << false << -1 << "rireki.anc では履歴は 4 件ですが、rireki.dat には 5 件";
    QTest::newRow("sale's total edited") << -1
        << Damage([](auto& d, auto&) { flip(d, u"reg.dat"_s, 5 * 1024 + Off::Sales::Total); })
        << false << -1 << "売上伝票 6 の内容が最後の履歴と違います";
    QTest::newRow("corrected purchase edited") << -1
        << Damage([](auto& d, auto&) { flip(d, u"siire.dat"_s, 2 * 1024 + Off::Purchase::Total); })
        << false << -1 << "仕入伝票 3 の内容が最後の履歴と違います";
    QTest::newRow("slip without its new entry") << -1 << unrecorded
        << false << -1 << "売上伝票 7 には新規の履歴がありません";
    QTest::newRow("anchor removed") << -1 << noAnchor
        << false << -1 << "rireki.anc（履歴の件数と最後の検証値）がありません";
    QTest::newRow("anchor damaged") << -1
        << Damage([](auto& d, auto&) { flip(d, u"rireki.anc"_s, Off::Anchor::Entries); })
        << false << -1 << "rireki.anc（履歴の件数と最後の検証値）が壊れています";
    QTest::newRow("cut, then a sale") << -1
        << Damage([](auto& d, auto& h) { rireki(d, h.left(3 * H::Size)); sellOne(); })
        << false << -1 << "履歴 4 件目が一致しません（履歴の印がありません）";
    QTest::newRow("torn, then a sale") << -1 << Damage([](auto& d, auto& h) { rireki(d, h + h.left(1000)); sellOne(); })
        << false << -1 << "履歴 5 件目が一致しません";
    QTest::newRow("anchor removed, then a sale") << -1 << Damage([](auto& d, auto& h) { noAnchor(d, h); sellOne(); })
        << false << -1 << "食い違った状態で記録されました";
    QTest::newRow("corrections cache lies") << -1 << cache << true << 0 << "rireki.cor";
    // clang-format on
}

void TestHistory::checkFindsWhatWasChanged()
{
    QFETCH(int, flip);
    QFETCH(Damage, damage);
    QFETCH(bool, whole);
    QFETCH(int, firstBad);
    QFETCH(QString, says);
    TestAppDir dir;
    writeFixture(dir);
    for (const auto& [file, op] :
         {std::pair{"reg.dat", "new"}, {"reg.dat", "correct"}, {"siire.dat", "delete"}, {"siire.dat", "new"}})
        QVERIFY(perform(QString::fromLatin1(file), QString::fromLatin1(op)).saved);
    forgetCorrectedSlips();
    QCOMPARE(correctedSlips(QStringLiteral("reg.dat")), QSet<qint64>{3});
    QByteArray history = dir.bytes(QStringLiteral("rireki.dat"));
    QCOMPARE(history.size(), 4 * H::Size);
    const QByteArray lastHash = history.mid(3 * H::Size + H::Hash, 32);
    if (flip >= 0) {
        history[flip] = char(history[flip] ^ 0x01);
        rireki(dir, history);
    }
    if (damage)
        damage(dir, history);
    QList<QPair<qint64, qint64>> told;
    const HistoryCheck check = verifyHistory([&](qint64 done, qint64 total) { told.append({done, total}); });
    QVERIFY2(check.message.contains(says), qPrintable(check.message));
    QCOMPARE(check.whole, whole);
    if (firstBad >= 0)
        QCOMPARE(check.firstBad, qint64(firstBad));
    forgetCorrectedSlips();
    if (!whole)
        return;
    // The progress ends full, so a progress box closes; a cache that lied is read anew.
    QCOMPARE(told.value(told.size() - 1), (QPair<qint64, qint64>(4, 4)));
    QCOMPARE(check.entries, qint64(4));
    QCOMPARE(check.lastHash, lastHash);
    QVERIFY2(check.message.contains(QString::fromLatin1(lastHash.toHex())), qPrintable(check.message));
    QCOMPARE(correctedSlips(QStringLiteral("reg.dat")), QSet<qint64>{3});
}

// A history written before the anchor existed is checked as it is, and the next sale starts the anchor.
void TestHistory::historyFromBeforeTheAnchorIsTakenOn()
{
    TestAppDir dir;
    writeFixture(dir);
    QByteArray previous;
    QByteArray history;
    for (int n = 1; n <= 2; ++n) {
        HistoryEntry e;
        e.entryNo = n;
        e.time = QStringLiteral("2024/06/01 10:00:00");
        e.file = QStringLiteral("reg.dat");
        e.recordNo = 6 + n;
        e.anchored = false;
        SalesSlipRecord s = sale(6 + n, n);
        e.after = EncodeSalesSlip(s);
        const QByteArray bytes = encodeHistoryEntry(e, previous);
        previous = bytes.mid(H::Hash, 32);
        history += bytes;
        QVERIFY(storeSalesSlip(6 + n, s));
    }
    dir.writeBytes(QStringLiteral("rireki.dat"), history);
    SysNum[Sys::NextSalesSlipNo] = 9;
    QVERIFY(SaveSettings().ok);
    HistoryCheck check = verifyHistory();
    QVERIFY2(check.whole, qPrintable(check.message));
    QVERIFY(perform(QStringLiteral("reg.dat"), QStringLiteral("correct")).saved);
    const QByteArray anchor = dir.bytes(QStringLiteral("rireki.anc"));
    QCOMPARE(anchor.size(), Off::Anchor::Size);
    QCOMPARE(anchor.left(8), QByteArray("TILLRANC"));
    QCOMPARE(getInt32(anchor.constData() + Off::Anchor::Entries), 3);
    QCOMPARE(anchor.mid(Off::Anchor::LastHash, 32), hashOf(entry(dir, 3)));
    QCOMPARE(getInt16(entry(dir, 3).constData() + H::Anchored), 1);
    QCOMPARE(getInt16(entry(dir, 3).constData() + H::Disagreed), 0);
    check = verifyHistory();
    QVERIFY2(check.whole, qPrintable(check.message));
}

// The disk refuses the history's next entry (here a file size limit, which fails the write as a full disk does):
// the message gives the system's reason, not Qt's "Unknown error", and the save completes at the next try.
void TestHistory::historyTheDiskCannotTakeSaysWhy()
{
    TestAppDir dir;
    writeFixture(dir);
    for (int n = 0; n < 5; ++n)
        QVERIFY(perform(QStringLiteral("reg.dat"), QStringLiteral("correct")).saved);
    QCOMPARE(dir.bytes(QStringLiteral("rireki.dat")).size(), 5 * H::Size);
    rlimit old{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 5 * H::Size + 100; // the slip, the journal and the anchor fit; the new entry does not
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const SaveOutcome outcome = perform(QStringLiteral("reg.dat"), QStringLiteral("new"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    QVERIFY(outcome.saved);
    QVERIFY2(outcome.error.contains(QStringLiteral("rireki.dat")) &&
                 outcome.error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))) &&
                 !outcome.error.contains(QStringLiteral("Unknown error")),
             qPrintable(outcome.error));
    QVERIFY(RecoverJournal(nullptr).ok);
    const HistoryCheck check = verifyHistory();
    QVERIFY2(check.whole, qPrintable(check.message));
    QCOMPARE(check.entries, 6);
}

// Which slips the history lists as corrected follows the file: read on when it grows, read anew when another
// history takes its place or it goes, and kept in rireki.cor between runs.
void TestHistory::correctedSlipsKeptBetweenRuns_data()
{
    QTest::addColumn<Damage>("change"); // made after a run read four entries and kept them in rireki.cor
    QTest::addColumn<bool>("restart");  // the program starts again before the next report
    QTest::addColumn<QList<qint64>>("sales");
    QTest::addColumn<QList<qint64>>("purchases");
    QTest::addColumn<int>("read");  // entries the next report reads
    QTest::addColumn<int>("again"); // entries the report after one more start reads
    using L = QList<qint64>;
    // clang-format off
    const Damage append = [](auto&, auto&) {
        QVERIFY(correctSale(4));
        PurchaseQtyTable recalled{};
        QVERIFY(SaveCorrectedPurchaseSlip(1, purchase(2), recalled).saved);
    };
    const Damage reset = [](auto&, auto&) { QVERIFY(ResetSalesSlips(5, {}).ok); };
    const Damage older = &restoreOlder;
    const Damage apart = [](auto& d, auto& h) {
        restoreOlder(d, h);
        QVERIFY(correctSale(5));
        QVERIFY(perform(QStringLiteral("siire.dat"), QStringLiteral("new")).saved);
        QCOMPARE(d.bytes(QStringLiteral("rireki.dat")).size(), 4 * H::Size);
    };
    QTest::newRow("kept") << Damage([](auto&, auto&) {}) << true << L{2, 3} << L{} << 0 << 0;
    QTest::newRow("cache removed") << Damage([](auto& d, auto&) { QFile::remove(d.file(u"rireki.cor"_s)); })
        << true << L{2, 3} << L{} << 4 << 0;
    QTest::newRow("correction appended") << append << true << L{2, 3, 4} << L{1} << 2 << 0;
    QTest::newRow("correction appended, same run") << append << false << L{2, 3, 4} << L{1} << 2 << 0;
    QTest::newRow("cache cut short") << Damage([](auto& d, auto&) { cache(d, d.bytes(u"rireki.cor"_s).chopped(1)); })
        << true << L{2, 3} << L{} << 4 << 0;
    QTest::newRow("cache empty") << Damage([](auto& d, auto&) { cache(d, {}); }) << true << L{2, 3} << L{} << 4 << 0;
    QTest::newRow("cache garbage") << Damage([](auto& d, auto&) { cache(d, QByteArray(400, 'x')); })
        << true << L{2, 3} << L{} << 4 << 0;
    QTest::newRow("listed slip changed") << Damage([](auto& d, auto&) { cacheInt(d, CacheList + 12, 5); })
        << true << L{2, 3} << L{} << 4 << 0;
    QTest::newRow("count raised") << Damage([](auto& d, auto&) { cacheInt(d, CacheEntries, 3); })
        << true << L{2, 3} << L{} << 4 << 0;
    QTest::newRow("cache is a folder") << Damage([](auto& d, auto&) { asFolder(d, u"rireki.cor"_s); })
        << true << L{2, 3} << L{} << 4 << 4;
    QTest::newRow("history reset") << reset << true << L{} << L{} << 1 << 0;
    QTest::newRow("history reset, same run") << reset << false << L{} << L{} << 1 << 0;
    QTest::newRow("older copy restored") << older << true << L{3} << L{} << 2 << 0;
    QTest::newRow("older copy restored, same run") << older << false << L{3} << L{} << 2 << 0;
    QTest::newRow("older copy grown apart") << apart << true << L{3, 5} << L{} << 4 << 0;
    QTest::newRow("older copy grown apart, same run") << apart << false << L{3, 5} << L{} << 4 << 0;
    QTest::newRow("history removed") << Damage([](auto& d, auto&) { QFile::remove(d.file(u"rireki.dat"_s)); })
        << true << L{} << L{} << 0 << 0;
    // clang-format on
}

void TestHistory::correctedSlipsKeptBetweenRuns()
{
    QFETCH(Damage, change);
    QFETCH(bool, restart);
    QFETCH(QList<qint64>, sales);
    QFETCH(QList<qint64>, purchases);
    QFETCH(int, read);
    QFETCH(int, again);
    TestAppDir dir;
    writeFixture(dir);
    forgetCorrectedSlips();
    QVERIFY(perform(QStringLiteral("reg.dat"), QStringLiteral("correct")).saved);  // reg.dat 3
    QVERIFY(perform(QStringLiteral("siire.dat"), QStringLiteral("delete")).saved); // siire.dat 3
    const QByteArray older = dir.bytes(QStringLiteral("rireki.dat"));
    QVERIFY(correctSale(2));
    QVERIFY(perform(QStringLiteral("siire.dat"), QStringLiteral("new")).saved);
    QCOMPARE(correctedSlips(QStringLiteral("reg.dat")), (QSet<qint64>{2, 3}));
    QCOMPARE(correctedSlipsEntriesRead(), 4);
    QCOMPARE(getInt32(dir.bytes(QStringLiteral("rireki.cor")).constData() + CacheEntries), 4);
    change(dir, older);
    const auto check = [&](int entriesRead) {
        QCOMPARE(correctedSlips(QStringLiteral("reg.dat")), QSet<qint64>(sales.cbegin(), sales.cend()));
        QCOMPARE(correctedSlipsEntriesRead(), entriesRead);
        QCOMPARE(correctedSlips(QStringLiteral("siire.dat")), QSet<qint64>(purchases.cbegin(), purchases.cend()));
        QCOMPARE(correctedSlipsEntriesRead(), 0);
    };
    if (restart)
        forgetCorrectedSlips();
    check(read);
    forgetCorrectedSlips();
    check(again);
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args[1] == u"--crash")
        return crashChild(args);
    TestHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_history.moc"
