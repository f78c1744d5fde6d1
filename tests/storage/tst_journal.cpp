// Slip saves stopped at every durable step in a child process, then completed (or dropped) by recovery.
#include "storage/durablefile.h"
#include "storage/initialise.h"
#include "storage/journal.h"
#include "storage/purchaseitem.h"
#include "storage/purchasesave.h"
#include "storage/salessave.h"
#include "storage/seisan.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/text.h"
#include "testutil.h"

#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>
#include <sys/resource.h>

namespace {

constexpr int Item12Start = 100;
constexpr int Item30Start = 50;

// The state the files are in before the operation: slips 1 to 5, next slip 6, two stocked items.
void writeFixture(const TestAppDir& dir)
{
    for (int n = 1; n <= 5; ++n) {
        QVERIFY(storeSalesSlip(n, saleSlip(n, QStringLiteral("2024/05/0%1").arg(n), {{5, 1, 100.0 * n}}, {})));
    }
    SysNum[1] = 3; // records a reset blanks
    SysNum[2] = 6;
    QVERIFY(SaveSettings().ok);
    dir.writeStock({{12, Item12Start}, {30, Item30Start}});
    // The month index is there before the operation, so that the operation writes it too.
    QVERIFY(RebuildSlipIndex(SlipFile::Sales).ok);
}

SalesSlipRecord newSlip()
{
    return saleSlip(6, QStringLiteral("2024/06/01"), {{5, 3, 300, QStringLiteral("セット")}});
}

// The three operations, as the child performs them and as the parent expects their result.
struct Expected
{
    qint64 slipNo = 0;
    QByteArray record; // the slip's record after the operation
    double counter = 0;
    double item12 = 0;
    double item30 = 0;
    QString description;
};

SaveOutcome perform(const QString& op)
{
    if (op == u"new") {
        SalesSlipRecord slip = newSlip();
        return SaveNewSalesSlip(slip, {{12, -6}, {30, -3}, {12, -2}});
    }
    if (op == u"correct") {
        SalesSlipRecord slip = newSlip();
        slip.SlipNo = 3;
        return SaveCorrectedSalesSlip(3, slip, {{12, -5}, {12, 2}});
    }
    return DeleteSalesSlip(4, {{30, 3}});
}

Expected expectedAfter(const QString& op)
{
    Expected e;
    if (op == u"new") {
        SalesSlipRecord slip = newSlip();
        e = {6, EncodeSalesSlip(slip), 7, Item12Start - 8, Item30Start - 3, QStringLiteral("伝票 6 の保存")};
    } else if (op == u"correct") {
        SalesSlipRecord slip = newSlip();
        slip.SlipNo = 3;
        e = {3, EncodeSalesSlip(slip), 6, Item12Start - 3, Item30Start, QStringLiteral("伝票 3 の保存")};
    } else {
        SalesSlipRecord slip = ReadSalesSlip(4).value;
        slip.Deleted = 1;
        e = {4, EncodeSalesSlip(slip), 6, Item12Start, Item30Start + 3, QStringLiteral("伝票 4 の削除")};
    }
    return e;
}

struct FileState
{
    QByteArray reg;
    double counter = 0;
    double item12 = 0;
    double item30 = 0;
};

FileState readState(const TestAppDir& dir)
{
    FileState s;
    s.reg = dir.bytes(QStringLiteral("reg.dat"));
    s.item12 = dir.stockOf(12);
    s.item30 = dir.stockOf(30);
    const double inMemory = SysNum[2];
    LoadSettings();
    s.counter = SysNum[2];
    SysNum[2] = inMemory;
    return s;
}

// The child: `--crash <dir> <op> <step>` performs the operation and dies at the given step;
// `--crash <dir> recover <step>` dies at that step of the recovery.
int crashChild(const QStringList& args)
{
    AppDir = args[2];
    if (!LoadSettings())
        return 3;
    killAtJournalStep(args[4].toInt());
    if (args[3] == u"recover") {
        QString completed;
        return RecoverJournal(&completed) ? 0 : 4;
    }
    if (args[3] == u"reset")
        return ResetSalesSlips(500, {}) ? 0 : 5;
    const SaveOutcome outcome = perform(args[3]);
    return outcome.saved && outcome.error.isEmpty() ? 0 : 5;
}

// The files an operation writes, compared before and after one that must write nothing.
const QStringList Touched = {QStringLiteral("reg.dat"), QStringLiteral("zaiko.dat"), QStringLiteral("sys.ini")};

// A refused save: what spoils the fixture, the slip or its stock changes, and the save that is then refused.
using Spoil = void (*)(const TestAppDir&, SalesSlipRecord&, QList<StockChange>&);
using Save = SaveOutcome (*)(SalesSlipRecord&, const QList<StockChange>&);
// What stands in the way of a recovery.
using Obstacle = void (*)(const TestAppDir&);

// The part of a transaction under test, after a valid record: one record, a setting when `setting` is not -1, and
// the stock of one item.
struct Part
{
    QString file = QStringLiteral("reg.dat");
    qint64 recordNo = 6;
    QByteArray record = QByteArray(1024, 'x');
    int setting = -1;
    double value = 0;
    int item = 12;
    double stock = 90;
};

// Slip 6, the next slip number and item 12's stock, as a sale journals them.
Transaction sampleTransaction()
{
    Transaction t;
    t.description = QStringLiteral("伝票 6 の保存");
    t.records << JournalRecord{QStringLiteral("reg.dat"), 6, QByteArray(1024, 'x'), QByteArray(1024, ' ')};
    t.settings << JournalSetting{2, 7};
    t.stock << JournalStock{12, 90};
    return t;
}

// Runs the child; true when it was stopped, false when it ran to its end.
bool runChild(const QString& dir, const QString& op, int step)
{
    return runCrashChild({dir, op, QString::number(step)});
}

} // namespace

Q_DECLARE_METATYPE(Spoil)
Q_DECLARE_METATYPE(Save)
Q_DECLARE_METATYPE(Obstacle)
Q_DECLARE_METATYPE(Part)

class TestJournal : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void stoppedAtEveryStep_data();
    void stoppedAtEveryStep();
    void damagedJournal_data();
    void damagedJournal();
    void refusedSaveWritesNothing_data();
    void refusedSaveWritesNothing();
    void resetIsAllOrNothing_data();
    void resetIsAllOrNothing();
    void saveAfterUnfinishedSave_data();
    void saveAfterUnfinishedSave();
    void onlyWhatACommitProducesIsWritten_data();
    void onlyWhatACommitProducesIsWritten();
    void unwritableFileStopsRecoveryBeforeFirstWrite_data();
    void unwritableFileStopsRecoveryBeforeFirstWrite();
    void failureAfterTheJournalLeavesItPending_data();
    void failureAfterTheJournalLeavesItPending();
};

void TestJournal::stoppedAtEveryStep_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("recoveryStop"); // 0: recovery runs through; n: it is itself stopped at its n-th step
    for (const char* op : {"new", "correct", "delete"}) {
        QTest::addRow("%s", op) << QString::fromLatin1(op) << 0;
        QTest::addRow("%s, recovery stopped once", op) << QString::fromLatin1(op) << 2;
    }
}

void TestJournal::stoppedAtEveryStep()
{
    QFETCH(QString, op);
    QFETCH(int, recoveryStop);
    int stopped = 0;
    for (int step = 1;; ++step) {
        TestAppDir dir;
        writeFixture(dir);
        const FileState before = readState(dir);
        const Expected after = expectedAfter(op);
        if (!runChild(dir.path(), op, step))
            break; // the operation has fewer steps: every one was tried
        ++stopped;
        if (recoveryStop > 0 && QFile::exists(JournalPath()))
            runChild(dir.path(), QStringLiteral("recover"), recoveryStop);

        // Start-up: the settings, then the journal.
        QVERIFY(LoadSettings().ok);
        const bool pending = QFile::exists(JournalPath());
        QString completed;
        QVERIFY(RecoverJournal(&completed).ok);
        QVERIFY(!QFile::exists(JournalPath()));
        const FileState now = readState(dir);
        // The journal is on disk from the first step on, so the operation is always complete afterwards,
        // and the user is told when it was the recovery that completed it.
        QCOMPARE(now.reg.mid((after.slipNo - 1) * 1024, 1024), after.record);
        QCOMPARE(now.reg.size(), std::max(before.reg.size(), after.slipNo * 1024));
        QCOMPARE(now.reg.left(2 * 1024), before.reg.left(2 * 1024)); // slips 1 and 2 are never touched
        QCOMPARE(now.counter, after.counter);
        QCOMPARE(SysNum[2], after.counter);
        QCOMPARE(now.item12, after.item12);
        QCOMPARE(now.item30, after.item30);
        QCOMPARE(completed, pending ? after.description : QString());
        // The month index was written in the same operation: its keys are those a rebuild writes. A stop before
        // the stamp that follows the records only costs one full check by the next reader.
        const SlipIndexState state = CheckSlipIndex(SlipFile::Sales);
        QVERIFY(state == SlipIndexState::Usable || (state == SlipIndexState::Stale && pending));
        const QByteArray keys = dir.bytes(QStringLiteral("reg.key"));
        const QString disagreement = slipIndexDisagreement(SlipFile::Sales);
        QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
        QCOMPARE(dir.bytes(QStringLiteral("reg.key")), keys);
        QCOMPARE(CheckSlipIndex(SlipFile::Sales), SlipIndexState::Usable);

        // A second start finds nothing more to do.
        QVERIFY(RecoverJournal(&completed).ok);
        QVERIFY(completed.isEmpty());
        QCOMPARE(readState(dir).item12, after.item12);
    }
    // Journal, record, (settings), one per touched item, journal removed.
    QVERIFY2(stopped >= 4, qPrintable(QString::number(stopped)));
}

// A journal is acted upon only when it is whole: torn, damaged or foreign bytes are dropped with nothing
// applied, whatever their size; a whole journal of the earlier version is applied.
void TestJournal::damagedJournal_data()
{
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<bool>("applied");
    const QByteArray whole = JournalBytes(sampleTransaction());
    constexpr int Header = 12;                                                // mark and payload size
    const QByteArray payload = whole.mid(Header, whole.size() - Header - 32); // the SHA-256 after it
    // clang-format off
    const auto earlier = [](const QByteArray& framed) -> QByteArray { return QByteArray("TILLJRN1") + framed.mid(8); };
    const auto flipped = [](QByteArray b, qsizetype at) { b[at] = char(b[at] ^ 1); return b; };
    const auto sized = [&](int32_t size) { QByteArray b = whole; putInt32(b.data() + 8, size); return b; };
    QTest::newRow("whole") << whole << true;
    QTest::newRow("earlier version, no count of replaced files") << earlier(FramedJournal(payload.chopped(4))) << true;
    QTest::newRow("torn at the end") << whole.chopped(7) << false;
    QTest::newRow("only the header") << whole.left(Header + 4) << false;
    QTest::newRow("a payload byte changed, same size") << flipped(whole, Header + payload.size() / 2) << false;
    QTest::newRow("a checksum byte changed") << flipped(whole, whole.size() - 1) << false;
    QTest::newRow("a foreign mark") << QByteArray(whole).replace(7, 1, "3") << false;
    QTest::newRow("size field one more") << sized(int32_t(payload.size() + 1)) << false;
    QTest::newRow("size field negative") << sized(-1) << false;
    QTest::newRow("payload with a byte more, checksum right") << FramedJournal(payload + '\0') << false;
    QTest::newRow("payload cut short, checksum right") << FramedJournal(payload.chopped(4)) << false;
    QTest::newRow("earlier version holding replacements") << earlier(whole) << false;
    // clang-format on
}

void TestJournal::damagedJournal()
{
    QFETCH(QByteArray, journal);
    QFETCH(bool, applied);
    TestAppDir dir;
    writeFixture(dir);
    dir.writeBytes(QStringLiteral("till.journal"), journal);
    const FileState before = readState(dir);
    QVERIFY(LoadSettings().ok);
    QString completed;
    QString dropped;
    QVERIFY(RecoverJournal(&completed, &dropped).ok);
    QVERIFY(!QFile::exists(JournalPath()));
    QVERIFY(dropped.isEmpty()); // a torn journal was never acted upon: there is nothing to tell
    const FileState now = readState(dir);
    if (!applied) {
        QVERIFY(completed.isEmpty());
        QCOMPARE(now.reg, before.reg);
        QCOMPARE(now.counter, before.counter);
        QCOMPARE(SysNum[2], before.counter);
        QCOMPARE(now.item12, before.item12);
        return;
    }
    QCOMPARE(completed, sampleTransaction().description);
    QCOMPARE(now.reg.mid(5 * 1024), QByteArray(1024, 'x'));
    QCOMPARE(now.counter, 7.0);
    QCOMPARE(now.item12, 90.0);
}

void TestJournal::refusedSaveWritesNothing_data()
{
    QTest::addColumn<Save>("save");
    QTest::addColumn<QString>("message");
    QTest::addColumn<Spoil>("spoil");
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    // clang-format off
    const Save saveNew = [](SalesSlipRecord& s, const QList<StockChange>& c) { return SaveNewSalesSlip(s, c); };
    const Save correct = [](auto& s, const QList<StockChange>& c) { return SaveCorrectedSalesSlip(3, s, c); };
    const Save remove = [](SalesSlipRecord&, const QList<StockChange>& c) { return DeleteSalesSlip(4, c); };
    const Spoil regDir = [](const TestAppDir& d, auto&, auto&) {
        QFile::remove(d.file(QStringLiteral("reg.dat")));
        QDir(d.path()).mkdir(QStringLiteral("reg.dat"));
    };
    QTest::newRow("zaiko.dat missing") << saveNew << "zaiko.dat がありません"
        << Spoil([](const TestAppDir& d, auto&, auto&) { QFile::remove(d.file(QStringLiteral("zaiko.dat"))); });
    QTest::newRow("NaN component quantity") << saveNew << "仕入商品 12 の在庫数量が数値でなくなる"
        << Spoil([](auto&, auto&, QList<StockChange>& c) { c[0].delta = 3 * nan; });
    QTest::newRow("infinite tax") << saveNew << "合計または消費税が数値ではない"
        << Spoil([](auto&, SalesSlipRecord& s, auto&) { s.Tax = 900 * 1e308; });
    QTest::newRow("NaN reduced-rate tax") << saveNew << "合計または消費税が数値ではない"
        << Spoil([](auto&, SalesSlipRecord& s, auto&) { s.Rates.present = true; s.Rates.reduced.tax = nan; });
    QTest::newRow("infinite line amount") << saveNew << "1 行目の金額が数値ではない"
        << Spoil([](auto&, SalesSlipRecord& s, auto&) { s.Line[1].Amount = -inf; });
    QTest::newRow("NaN amount on the last line") << saveNew << "10 行目の金額が数値ではない"
        << Spoil([](auto&, SalesSlipRecord& s, auto&) { s.Line[10].Amount = nan; });
    QTest::newRow("counter zero") << saveNew << "伝票番号 0 には保存できません"
        << Spoil([](auto&, auto&, auto&) { SysNum[2] = 0; });
    QTest::newRow("correction of slip 0")
        << Save([](SalesSlipRecord& s, const QList<StockChange>& c) { return SaveCorrectedSalesSlip(0, s, c); })
        << "伝票番号 0 には保存できません" << Spoil([](auto&, auto&, auto&) {});
    QTest::newRow("correction with NaN total") << correct << "合計または消費税が数値ではない"
        << Spoil([](auto&, SalesSlipRecord& s, auto&) { s.Total = nan; });
    QTest::newRow("deletion, reg.dat unreadable") << remove << "reg.dat" << regDir;
    QTest::newRow("deletion of a deleted slip") << remove << "伝票は削除されています。"
        << Spoil([](auto&, auto&, auto&) { QVERIFY(DeleteSalesSlip(4, {{30, 3}}).saved); });
    QTest::newRow("counter at the last slip number") << saveNew << "伝票番号 2147483647 には保存できません"
        << Spoil([](auto&, auto&, auto&) { SysNum[2] = 2147483647; });
    QTest::newRow("reg.dat unwritable") << saveNew << "reg.dat" << regDir;
    // clang-format on
}

void TestJournal::refusedSaveWritesNothing()
{
    QFETCH(Save, save);
    QFETCH(QString, message);
    QFETCH(Spoil, spoil);
    TestAppDir dir;
    writeFixture(dir);
    SalesSlipRecord slip = newSlip();
    QList<StockChange> stock{{12, -6}, {30, -3}};
    spoil(dir, slip, stock);
    const bool zaiko = QFile::exists(dir.file(QStringLiteral("zaiko.dat")));
    const double counter = SysNum[2];
    const QList<QByteArray> before = dir.snapshot(Touched);
    const SaveOutcome outcome = save(slip, stock);
    QVERIFY(!outcome.saved);
    QVERIFY2(outcome.error.contains(message), qPrintable(outcome.error));
    QCOMPARE(SysNum[2], counter);
    QCOMPARE(dir.snapshot(Touched), before);
    QCOMPARE(QFile::exists(dir.file(QStringLiteral("zaiko.dat"))), zaiko);
    QVERIFY(!QFile::exists(JournalPath()));
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == u"--crash")
        return crashChild(args);
    TestJournal test;
    return QTest::qExec(&test, argc, argv);
}

// A reset of reg.dat stopped at any point or on a full disk: after the next start either the old file and
// counters or the new ones, never a mix; nothing is left beside the file.
void TestJournal::resetIsAllOrNothing_data()
{
    QTest::addColumn<int>("stopAt");    // a durable step of the commit the child dies at; 0: none
    QTest::addColumn<qint64>("room");   // bytes the disk takes; -1: no limit
    QTest::addColumn<bool>("torn");     // the new file half written when the process died, no journal yet
    QTest::addColumn<bool>("replaced"); // the new file and counters expected
    QTest::newRow("runs through") << 0 << qint64(-1) << false << true;
    QTest::newRow("stopped with the journal written") << 1 << qint64(-1) << false << true;
    QTest::newRow("stopped with the file replaced") << 2 << qint64(-1) << false << true;
    QTest::newRow("stopped with the counters written") << 3 << qint64(-1) << false << true;
    QTest::newRow("stopped while the new file was written") << 0 << qint64(-1) << true << false;
    QTest::newRow("disk full at once") << 0 << qint64(0) << false << false;
    QTest::newRow("disk full in the new file") << 0 << qint64(2500) << false << false;
    QTest::newRow("disk full at the new history") << 0 << qint64(5 * 1024 + 10) << false << false;
    QTest::newRow("disk full at the journal") << 0 << qint64(5 * 1024 + 2176 + 10) << false << false;
    QTest::newRow("disk full at sys.ini") << 0 << qint64(-2) << false << true;
    QTest::newRow("only the new file refused") << 0 << qint64(-3) << false << false;
}

void TestJournal::resetIsAllOrNothing()
{
    QFETCH(int, stopAt);
    QFETCH(qint64, room);
    QFETCH(bool, torn);
    QFETCH(bool, replaced);
    TestAppDir dir;
    writeFixture(dir);
    const QByteArray reg = dir.bytes(QStringLiteral("reg.dat"));
    const QByteArray settings = dir.bytes(QStringLiteral("sys.ini"));
    const SalesSlipRecord initialised = InitialisedSalesSlip();
    const QByteArray blank(initialised.Raw.data(), SalesSlipRecordSize);
    // An archive of an earlier reset, and one whose writer was stopped before its rename.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("backup")));
    dir.writeBytes(QStringLiteral("backup/reg-20240101-101010.lzh"), "kept");
    dir.writeBytes(QStringLiteral("backup/reg-20240102-101010.lzh.Ab12Cd"), "half");
    if (torn) {
        dir.writeBytes(QStringLiteral("reg.dat.new"), blank + blank.left(100));
    } else if (stopAt > 0) {
        QVERIFY(runChild(dir.path(), QStringLiteral("reset"), stopAt));
    } else if (room >= 0 || room < -1) {
        FullDisk disk(room < 0 ? qint64(1) << 30 : room);
        // -2: room for the new file and the journal, not for sys.ini; -3: no room for the new file alone.
        const QString refused = room == -2 ? QStringLiteral("sys.ini.new") : QStringLiteral("reg.dat.new");
        if (room < -1)
            durableSteps().write = [refused](QFileDevice& file, const QByteArray& bytes, QString& error) {
                if (!file.fileName().endsWith(refused))
                    return systemDurableSteps().write(file, bytes, error);
                error = FullDisk::reason();
                return false;
            };
        const Result r = ResetSalesSlips(500, {});
        QCOMPARE(r.ok, replaced);
        QVERIFY2(r.error.contains(FullDisk::reason()), qPrintable(r.error));
        if (!replaced) {
            QVERIFY2(r.error.contains(QStringLiteral("reg.dat")) || r.error.contains(QStringLiteral("till.journal")) ||
                         r.error.contains(QStringLiteral("rireki.dat")),
                     qPrintable(r.error));
            QVERIFY(!QFile::exists(dir.file(QStringLiteral("reg.dat.new")))); // a refused reset leaves nothing
            QVERIFY(!QFile::exists(dir.file(QStringLiteral("rireki.dat.new"))));
            QVERIFY(!QFile::exists(JournalPath()));
            QCOMPARE(SysNum[2], 6.0);
        } else { // taken effect: the counters sys.ini could not take wait in the journal for the next start
            QVERIFY2(room != -2 || r.error.contains(QStringLiteral("sys.ini")), qPrintable(r.error));
            QVERIFY(QFile::exists(JournalPath()));
            QVERIFY(LoadSettings().ok);
            QCOMPARE(SysNum[2], 6.0);
        }
    } else {
        QVERIFY(!runChild(dir.path(), QStringLiteral("reset"), 99));
    }
    // The next start.
    QVERIFY(LoadSettings().ok);
    QVERIFY(RecoverJournal(nullptr).ok);
    RemoveLeftovers();
    QVERIFY(LoadSettings().ok);
    QCOMPARE(QDir(dir.file(QStringLiteral("backup"))).entryList(QDir::Files),
             QStringList{QStringLiteral("reg-20240101-101010.lzh")});
    // A reset starts a new history of slip changes and its anchor in the same operation, also when it was stopped
    // half way; nothing else is left beside the files.
    QStringList files = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(files.removeAll(QStringLiteral("rireki.dat")), replaced ? 1 : 0);
    // A commit refused at its journal may have opened the anchor to check it, leaving it empty, which reads as none.
    QCOMPARE(dir.bytes(QStringLiteral("rireki.anc")).size(), replaced ? 64 : 0);
    files.removeAll(QStringLiteral("rireki.anc"));
    // The month index stays beside a reg.dat left as it was and goes with a replaced one, to be built anew.
    QCOMPARE(files.removeAll(QStringLiteral("reg.key")) + files.removeAll(QStringLiteral("reg.mon")), replaced ? 0 : 2);
    QCOMPARE(files, (QStringList{"reg.dat", "sys.ini", "zaiko.dat"}));
    const QString disagreement = slipIndexDisagreement(SlipFile::Sales);
    QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
    if (!replaced) {
        QCOMPARE(dir.bytes(QStringLiteral("reg.dat")), reg);
        QCOMPARE(dir.bytes(QStringLiteral("sys.ini")), settings);
        return;
    }
    const QByteArray now = dir.bytes(QStringLiteral("reg.dat"));
    QCOMPARE(now.size(), reg.size()); // records beyond the reset ones are kept, the file is not shortened
    QCOMPARE(now.left(3 * 1024), blank + blank + blank);
    QCOMPARE(now.mid(3 * 1024), reg.mid(3 * 1024));
    QCOMPARE(SysNum[1], 500.0);
    QCOMPARE(SysNum[2], 1.0);
}

// The disk fills while sys.ini is written: the first sale is journalled, its slip written, its counter and stock
// not. The next operation in the same run completes it before it reads the counter and the stock it builds on;
// while the disk stays full it is refused and writes nothing. A transaction built without completing it first
// ("commit") completes it and is itself refused, as its figures are older.
void TestJournal::saveAfterUnfinishedSave_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<bool>("stillFull");
    for (const char* op : {"new", "correct", "delete", "purchase", "commit"}) {
        QTest::addRow("%s", op) << QString::fromLatin1(op) << false;
        QTest::addRow("%s, disk still full", op) << QString::fromLatin1(op) << true;
    }
}

void TestJournal::saveAfterUnfinishedSave()
{
    QFETCH(QString, op);
    QFETCH(bool, stillFull);
    TestAppDir dir;
    writeFixture(dir);
    DurableSteps& steps = durableSteps();
    steps.write = [](QFileDevice& file, const QByteArray& bytes, QString& error) {
        if (file.fileName().endsWith(QStringLiteral("sys.ini.new"))) {
            error = QString::fromLocal8Bit(std::strerror(ENOSPC));
            return false;
        }
        return systemDurableSteps().write(file, bytes, error);
    };
    SalesSlipRecord first = newSlip();
    const SaveOutcome unfinished = SaveNewSalesSlip(first, {{12, -6}, {30, -3}});
    QVERIFY(unfinished.saved);
    QVERIFY2(unfinished.error.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))), qPrintable(unfinished.error));
    QVERIFY(!unfinished.error.endsWith(u'\n')); // no history warning to add
    QVERIFY(QFile::exists(JournalPath()));
    QCOMPARE(dir.stockOf(12), double(Item12Start));
    if (!stillFull)
        steps = systemDurableSteps();
    const QByteArray reg = dir.bytes(QStringLiteral("reg.dat"));
    const QByteArray siire = dir.bytes(QStringLiteral("siire.dat"));

    SaveOutcome second;
    if (op == u"new") {
        SalesSlipRecord slip = newSlip();
        slip.SlipNo = 7;
        second = SaveNewSalesSlip(slip, {{12, -2}});
    } else if (op == u"correct") {
        SalesSlipRecord slip = newSlip();
        second = SaveCorrectedSalesSlip(6, slip, {{12, -6}, {30, -3}, {12, 6}, {30, 3}});
    } else if (op == u"delete") {
        second = DeleteSalesSlip(6, {{12, 6}, {30, 3}});
    } else if (op == u"commit") {
        Transaction t;
        t.records << JournalRecord{QStringLiteral("reg.dat"), 7, QByteArray(1024, 'x'), QByteArray(1024, ' ')};
        t.settings << JournalSetting{2, 8};
        t.stock << JournalStock{12, Item12Start - 2};
        const CommitOutcome c = CommitTransaction(t);
        second = SaveOutcome{c.committed, 0, c.error};
    } else {
        PurchaseSlipDraft draft;
        draft.year = QStringLiteral("2024");
        draft.month = QStringLiteral("6");
        draft.day = QStringLiteral("2");
        draft.line[1] = PurchaseDraftLine{12, QStringLiteral("ねじ"), 10, 5, 50};
        second = SaveNewPurchaseSlip(draft);
    }
    steps = systemDurableSteps();
    if (stillFull) {
        QVERIFY(!second.saved);
        QVERIFY2(second.error.contains(QStringLiteral("前回中断した保存を完了できない")), qPrintable(second.error));
        QVERIFY2(second.error.contains(op == u"delete" ? QStringLiteral("削除を中止") : QStringLiteral("保存を中止")),
                 qPrintable(second.error));
        QVERIFY(QFile::exists(JournalPath()));
        QCOMPARE(dir.bytes(QStringLiteral("reg.dat")), reg);
        QCOMPARE(dir.bytes(QStringLiteral("siire.dat")), siire);
        QCOMPARE(dir.stockOf(12), double(Item12Start));
        return;
    }
    QVERIFY(!QFile::exists(JournalPath()));
    QVERIFY(LoadSettings().ok);
    const QByteArray now = dir.bytes(QStringLiteral("reg.dat"));
    const SlipView sixth(now.constData() + 5 * 1024);
    QCOMPARE(sixth.total(), 900.0); // the first sale kept its number
    if (op == u"commit") {
        QVERIFY(!second.saved);
        QVERIFY2(second.error.contains(QStringLiteral("先に完了しました")), qPrintable(second.error));
        QCOMPARE(now.size(), 6 * 1024);
        QCOMPARE(SysNum[2], 7.0);
        QCOMPARE(dir.stockOf(12), Item12Start - 6.0);
        return;
    }
    QVERIFY2(second.saved && second.error.isEmpty(), qPrintable(second.error));
    if (op == u"new") {
        QCOMPARE(now.size(), 7 * 1024);
        QCOMPARE(SysNum[2], 8.0);
        QCOMPARE(dir.stockOf(12), Item12Start - 8.0); // both sales taken out
    } else if (op == u"purchase") {
        QCOMPARE(SysNum[2], 7.0);
        QCOMPARE(SysNum[4], 2.0);
        QCOMPARE(dir.stockOf(12), Item12Start - 6.0 + 5);
    } else {
        QCOMPARE(SysNum[2], 7.0);
        QCOMPARE(dir.stockOf(12), op == u"delete" ? Item12Start : Item12Start - 6.0);
        QCOMPARE(dir.stockOf(30), op == u"delete" ? Item30Start : Item30Start - 3.0);
        QCOMPARE(sixth.deleted() != 0, op == u"delete");
    }
}

// Whoever builds a transaction, the journal refuses what no commit of the program produces: a commit writes
// nothing, and a journal found at start-up with a right checksum is removed before its first write. What the
// windows write is applied. The fixture holds slips 1 to 5 and counts 6 as the next: reg.dat may reach 6 + 64.
void TestJournal::onlyWhatACommitProducesIsWritten_data()
{
    QTest::addColumn<bool>("found"); // in a journal at start-up; otherwise committed
    QTest::addColumn<Part>("part");
    QTest::addColumn<QString>("refusal"); // empty: applied
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto item = [](int offset, double value) {
        QByteArray r = PurchaseItemBlankRecord();
        putDouble(r.data() + offset, value);
        return r;
    };
    SeisanRecord cashIn;
    cashIn.kind = SeisanKind::CashIn;
    cashIn.day = QStringLiteral("2024/06/01");
    cashIn.amount = 1;
    const QByteArray cash = EncodeSeisan(cashIn);
    const auto cashOf = [&](double amount) {
        QByteArray r = cash;
        putDouble(r.data() + SeisanOffset::Amount, amount);
        return r;
    };
    const QString seisan = SeisanFileName;
    const QString zaiko = QStringLiteral("zaiko.dat");
    const struct
    {
        const char* name;
        Part part;
        const char* refusal;
    } rows[] = {
        // clang-format off
        {"a valid save", {.setting = 2, .value = 7}, ""},
        {"at the plausible end", {.recordNo = 70}, ""},
        {"at the plausible end, counter after it", {.recordNo = 70, .setting = 2, .value = 71}, ""},
        {"one beyond it", {.recordNo = 71}, "レコード番号 71"},
        {"far beyond it", {.recordNo = 40000000}, "範囲外"},
        {"record 0", {.recordNo = 0}, "レコード番号 0"},
        {"record -1", {.recordNo = -1}, "レコード番号 -1"},
        {"the executable", {.file = "till", .recordNo = 1}, "「till」"},
        {"a new file", {.file = "evil.sh", .recordNo = 1}, "「evil.sh」"},
        {"sys.ini as records", {.file = "sys.ini", .recordNo = 1}, "「sys.ini」"},
        {"the journal itself", {.file = "till.journal", .recordNo = 1}, "「till.journal」"},
        {"a leftover", {.file = "reg.dat.new", .recordNo = 1}, "「reg.dat.new」"},
        {"a parent folder", {.file = "../reg.dat", .recordNo = 1}, "「../reg.dat」"},
        {"short record", {.record = QByteArray(1023, 'x')}, "1023 バイト"},
        {"long record", {.record = QByteArray(1025, 'x')}, "1025 バイト"},
        {"zaiko record size in reg.dat", {.record = QByteArray(128, 'x')}, "128 バイト"},
        {"slip number a fraction", {.setting = 2, .value = 6.5}, "2 行目"},
        {"slip number 0", {.setting = 2, .value = 0}, "2 行目"},
        {"slip number beyond 32 bits", {.setting = 4, .value = 4294967296.0}, "4 行目"},
        {"negative count", {.setting = 1, .value = -1}, "1 行目"},
        {"setting NaN", {.setting = 11, .value = nan}, "11 行目"},
        {"setting infinite", {.setting = 2, .value = inf}, "数値でない値"},
        {"setting 0", {.setting = 0, .value = 7}, "設定の番号 0"},
        {"setting 50, the last", {.setting = 50, .value = 7}, ""},
        {"setting 51", {.setting = 51, .value = 1}, "設定の番号 51"},
        {"item 0", {.item = 0}, "仕入商品番号 0"},
        {"item 401", {.item = 401}, "仕入商品番号 401"},
        {"stock NaN", {.stock = nan}, "在庫数量"},
        {"stock infinite", {.stock = inf}, "在庫数量"},
        // Values the windows refuse: a rate the settings window would not take, a change fund the closing window
        // would not, a next slip number lowered onto the slips stored (slip 6 is the journal's own).
        {"tax rate -5", {.setting = 11, .value = -5}, "税率"},
        {"tax rate 1", {.setting = 11, .value = 1}, "税率"},
        {"tax rate 0.08", {.setting = 11, .value = 0.08}, ""},
        {"reduced rate -0.01", {.setting = 17, .value = -0.01}, "税率"},
        {"reduced rate 0", {.setting = 17, .value = 0}, ""},
        {"change fund 1e308", {.setting = 30, .value = 1e308}, "釣銭準備金"},
        {"change fund a fraction", {.setting = 30, .value = 0.5}, "釣銭準備金"},
        {"change fund 0", {.setting = 30, .value = 0}, ""},
        {"change fund 99999999", {.setting = 30, .value = 99999999}, ""},
        {"next slip lowered to 3", {.setting = 2, .value = 3}, "伝票 6 まで"},
        {"next slip lowered onto the journal's slip", {.setting = 2, .value = 6}, "伝票 6 まで"},
        {"next slip below a slip written at 40", {.recordNo = 40, .setting = 2, .value = 7}, "伝票 40 まで"},
        // Records no window writes: stock that is no number, cash the cash window refuses, seisan.dat past its end.
        {"stock record 90", {.file = zaiko, .recordNo = 12, .record = item(StockQtyOffset, 90)}, ""},
        {"stock record infinite", {.file = zaiko, .recordNo = 12, .record = item(StockQtyOffset, inf)}, "在庫数量"},
        {"stock record NaN", {.file = zaiko, .recordNo = 12, .record = item(StockQtyOffset, nan)}, "在庫数量"},
        {"standard cost infinite", {.file = zaiko, .recordNo = 12, .record = item(StockQtyOffset - 8, -inf)}, "標準仕入単価"},
        {"cash in 1 yen", {.file = seisan, .recordNo = 1, .record = cash}, ""},
        {"cash in 1e308", {.file = seisan, .recordNo = 1, .record = cashOf(1e308)}, "1～99,999,999"},
        {"cash in NaN", {.file = seisan, .recordNo = 1, .record = cashOf(nan)}, "1～99,999,999"},
        {"cash in infinite", {.file = seisan, .recordNo = 1, .record = cashOf(inf)}, "1～99,999,999"},
        {"cash past the end", {.file = seisan, .recordNo = 2, .record = cash}, "レコード番号 2"},
        {"no mark", {.file = seisan, .recordNo = 1, .record = QByteArray(SeisanRecordSize, '\0')}, "記録ではありません"},
        // clang-format on
    };
    for (const bool found : {false, true})
        for (const auto& row : rows)
            QTest::addRow("%s%s", row.name, found ? ", found at start-up" : "")
                << found << row.part << QString::fromUtf8(row.refusal);
}

void TestJournal::onlyWhatACommitProducesIsWritten()
{
    QFETCH(bool, found);
    QFETCH(Part, part);
    QFETCH(QString, refusal);
    TestAppDir dir;
    writeFixture(dir);
    Transaction t;
    t.description = QStringLiteral("伝票 6 の保存");
    // A valid first record, so a transaction refused for its second part must not have written its first.
    t.records << JournalRecord{QStringLiteral("reg.dat"), 2, QByteArray(1024, 'v'), QByteArray(1024, ' ')};
    t.records << JournalRecord{part.file, part.recordNo, part.record, QByteArray(part.record.size(), ' ')};
    if (part.setting >= 0)
        t.settings << JournalSetting{part.setting, part.value};
    t.stock << JournalStock{part.item, part.stock};
    const QStringList files = Touched + QStringList{part.file};
    const QList<QByteArray> before = dir.snapshot(files);
    const auto names = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot); };
    QStringList namesAfter = names();
    if (refusal.isEmpty() && !namesAfter.contains(part.file)) {
        namesAfter << part.file;
        namesAfter.sort();
    }
    QString completed;
    QString error;
    if (found) {
        dir.writeBytes(QStringLiteral("till.journal"), JournalBytes(t));
        QVERIFY(LoadSettings().ok);
        QVERIFY(RecoverJournal(&completed, &error).ok);
        QVERIFY(LoadSettings().ok); // whatever happened, the next start can read its settings
        QVERIFY2(refusal.isEmpty() || error.contains(QStringLiteral("till.journal")), qPrintable(error));
    } else {
        const CommitOutcome outcome = CommitTransaction(t);
        QCOMPARE(outcome.committed, refusal.isEmpty());
        completed = outcome.committed ? t.description : QString();
        error = outcome.error;
    }
    QVERIFY(!QFile::exists(JournalPath()));
    if (found || !refusal.isEmpty()) // a commit drops the month index its records cannot follow
        QCOMPARE(names(), namesAfter);
    if (refusal.isEmpty()) {
        QCOMPARE(completed, t.description);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(dir.bytes(QStringLiteral("reg.dat")).mid(1024, 1024), QByteArray(1024, 'v'));
        const qsizetype size = part.record.size();
        QCOMPARE(dir.bytes(part.file).mid((part.recordNo - 1) * size, size), part.record);
        QCOMPARE(dir.stockOf(part.item), part.stock);
        return;
    }
    QVERIFY(completed.isEmpty());
    QVERIFY2(error.contains(refusal), qPrintable(error));
    QCOMPARE(dir.snapshot(files), before);
}

// A file that cannot be written stops the recovery before anything is written; the journal stays, and so does
// what it needs, until a later start can complete it.
void TestJournal::unwritableFileStopsRecoveryBeforeFirstWrite_data()
{
    QTest::addColumn<QString>("named");
    QTest::addColumn<Obstacle>("obstacle");
    // clang-format off
    QTest::newRow("a folder as siire.dat") << "siire.dat"
        << Obstacle([](const TestAppDir& d) { QDir(d.path()).mkdir(QStringLiteral("siire.dat")); });
    QTest::newRow("zaiko.dat missing") << "zaiko.dat"
        << Obstacle([](const TestAppDir& d) { QFile::remove(d.file(QStringLiteral("zaiko.dat"))); });
    // clang-format on
    QTest::newRow("rename of the reset file refused") << "reg.dat" << Obstacle([](const TestAppDir&) {
        durableSteps().rename = [](const QString&, const QString&, QString& error) {
            error = QStringLiteral("refused");
            return false;
        };
    });
}

void TestJournal::unwritableFileStopsRecoveryBeforeFirstWrite()
{
    QFETCH(QString, named);
    QFETCH(Obstacle, obstacle);
    TestAppDir dir;
    writeFixture(dir);
    Transaction t;
    t.description = QStringLiteral("仕入伝票 1 の保存");
    t.replacements << JournalReplace{QStringLiteral("reg.dat")};
    t.records << JournalRecord{QStringLiteral("siire.dat"), 1, QByteArray(1024, 'x'), QByteArray(1024, ' ')};
    t.settings << JournalSetting{4, 2};
    t.stock << JournalStock{12, 7};
    dir.writeBytes(QStringLiteral("reg.dat.new"), QByteArray(1024, 'n'));
    obstacle(dir);
    const bool siireDir = QFileInfo(dir.file(QStringLiteral("siire.dat"))).isDir();
    dir.writeBytes(QStringLiteral("till.journal"), JournalBytes(t));
    const QList<QByteArray> before = dir.snapshot(Touched);
    QString completed;
    const Result r = RecoverJournal(&completed);
    durableSteps() = systemDurableSteps();
    QVERIFY(!r.ok);
    QVERIFY2(r.error.contains(named), qPrintable(r.error));
    QVERIFY(completed.isEmpty());
    QVERIFY(QFile::exists(JournalPath()));
    QCOMPARE(dir.snapshot(Touched), before);
    if (!siireDir)
        QCOMPARE(dir.bytes(QStringLiteral("siire.dat")), QByteArray()); // opened to check it, nothing written
    // The pending journal still needs the new file: nothing removes it.
    RemoveLeftovers();
    QCOMPARE(dir.bytes(QStringLiteral("reg.dat.new")), QByteArray(1024, 'n'));
}

// A write that fails once the operation is journalled is never reported as done: the journal stays for the
// next start, and the user is told.
void TestJournal::failureAfterTheJournalLeavesItPending_data()
{
    QTest::addColumn<QString>("failing");
    QTest::newRow("siire.dat full") << "siire.dat";
    QTest::newRow("zaiko.dat full") << "zaiko.dat";
    QTest::newRow("journal cannot be removed") << "till.journal";
}

void TestJournal::failureAfterTheJournalLeavesItPending()
{
    QFETCH(QString, failing);
    TestAppDir dir;
    writeFixture(dir);
    Transaction t;
    if (failing == u"siire.dat")
        t.records << JournalRecord{QStringLiteral("siire.dat"), 1, QByteArray(1024, 'x'), QByteArray(1024, ' ')};
    else
        t.stock << JournalStock{12, 7};
    rlimit limit{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
    static rlimit s_full;
    s_full = limit;
    s_full.rlim_cur = 512; // no file grows beyond 512 bytes: the data reaches the disk only when it is flushed
    std::signal(SIGXFSZ, SIG_IGN);
    if (failing == u"till.journal") {
        // Something takes the journal's place once everything is written, so it cannot be removed.
        SetJournalHook([](JournalStep step) {
            if (step == JournalStep::StockWritten && QFile::remove(JournalPath()))
                QDir().mkpath(JournalPath() + QStringLiteral("/in the way"));
        });
    } else {
        SetJournalHook([](JournalStep step) {
            if (step == JournalStep::JournalWritten)
                setrlimit(RLIMIT_FSIZE, &s_full);
        });
    }
    const CommitOutcome outcome = CommitTransaction(t);
    setrlimit(RLIMIT_FSIZE, &limit);
    SetJournalHook(nullptr);
    QVERIFY(outcome.committed);
    QVERIFY2(outcome.error.startsWith(QStringLiteral("保存を最後まで書き込めませんでした")), qPrintable(outcome.error));
    QVERIFY2(outcome.error.contains(failing), qPrintable(outcome.error));
    QVERIFY(QFileInfo::exists(JournalPath()));
}

#include "tst_journal.moc"
