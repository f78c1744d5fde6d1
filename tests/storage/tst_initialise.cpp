// The resets behind data initialisation: typed counts, stored counts that cannot be used, and failures that must
// leave the tables in memory matching the files.
#include "../common/offsets.h"
#include "../common/testutil.h"

#include "storage/durablefile.h"
#include "storage/initialise.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/seisan.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/supplier.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <cmath>
#include <limits>
#include <string_view>

// One reset as data initialisation runs it, and the record it writes in each place it empties.
using RunReset = Result (*)(const ResetSteps&);
using BlankRecord = QByteArray (*)();
Q_DECLARE_METATYPE(RunReset)
Q_DECLARE_METATYPE(BlankRecord)

class TestInitialise : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A save journalled but not yet applied is completed before the reset, so it can never bring the old
    // slip and counter back into the emptied file afterwards.
    void pendingSaveCompletedBeforeReset()
    {
        TestAppDir dir;
        SysNum[Sys::SalesRecordCount] = 3;
        SysNum[Sys::NextSalesSlipNo] = 1;
        QVERIFY(SaveSettings());
        Transaction t;
        t.description = QStringLiteral("伝票 1 の保存");
        t.records << JournalRecord{QStringLiteral("reg.dat"), 1, QByteArray(SalesSlipRecordSize, 'x'),
                                   QByteArray(SalesSlipRecordSize, ' ')};
        t.settings << JournalSetting{Sys::NextSalesSlipNo, 2};
        // Stopped right after the journal reached the disk, as a power cut would stop it.
        SetJournalHook([](JournalStep step) {
            if (step == JournalStep::JournalWritten)
                throw step;
        });
        QVERIFY_THROWS_EXCEPTION(JournalStep, CommitTransaction(t));
        SetJournalHook(nullptr);
        QVERIFY(QFile::exists(JournalPath()));

        QVERIFY(ResetSalesSlips(5, ResetSteps{}));
        QVERIFY(!QFile::exists(JournalPath()));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 1.0);
        QCOMPARE(dir.bytes("reg.dat").mid(0, 10), QByteArray(10, ' ')); // slip 1 blank, not the journalled one
        // Every line of every emptied slip, down to the last line of the last slip, names the product "0".
        QCOMPARE(dir.bytes("reg.dat").mid(2 * 1024 + Off::Sales::line(10) + Off::Line::Name, 2), QByteArray("0 "));
        QString completed;
        QVERIFY(RecoverJournal(&completed));
        QVERIFY(completed.isEmpty());
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 1.0);
    }

    void countFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("max");
        QTest::addColumn<qint64>("expected"); // -1: refused
        QTest::newRow("empty is 0") << QString() << qint64(1000) << qint64(0);
        QTest::newRow("blanks around") << QStringLiteral("  500 ") << qint64(1000) << qint64(500);
        QTest::newRow("at the limit") << QStringLiteral("1000") << qint64(1000) << qint64(1000);
        QTest::newRow("one beyond") << QStringLiteral("1001") << qint64(1000) << qint64(-1);
        QTest::newRow("32-bit limit") << QStringLiteral("2147483647") << MaxSlipCount << MaxSlipCount;
        QTest::newRow("beyond 32 bits") << QStringLiteral("2147483648") << MaxSlipCount << qint64(-1);
        QTest::newRow("very long") << QStringLiteral("99999999999999999999999") << MaxSlipCount << qint64(-1);
        QTest::newRow("fraction") << QStringLiteral("1.5") << qint64(1000) << qint64(-1);
        QTest::newRow("negative") << QStringLiteral("-1") << qint64(1000) << qint64(-1);
        QTest::newRow("trailing text") << QStringLiteral("12a") << qint64(1000) << qint64(-1);
        QTest::newRow("full-width digits") << QStringLiteral("５００") << qint64(1000) << qint64(-1);
    }
    void countFromText()
    {
        QFETCH(QString, text);
        QFETCH(qint64, max);
        QFETCH(qint64, expected);
        QCOMPARE(::countFromText(text, max).value_or(-1), expected);
    }

    void storedCountThatCannotBeUsedStopsBeforeAnything_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("countAt");
        QTest::addColumn<RunReset>("run");
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("caption");
        const RunReset sales = [](const ResetSteps& s) { return ResetSalesSlips(10, s); };
        const RunReset products = [](const ResetSteps& s) { return ResetProducts(0, s); };
        const RunReset purchases = [](const ResetSteps& s) { return ResetPurchaseSlips(10, s); };
        const int sold = Sys::SalesRecordCount;
        // clang-format off
        QTest::newRow("sales: negative") << "reg.dat" << sold << sales << -1.0 << "売上データ件数";
        QTest::newRow("sales: beyond 32 bits") << "reg.dat" << sold << sales << 3e9 << "売上データ件数";
        QTest::newRow("sales: not a number") << "reg.dat" << sold << sales << qQNaN() << "売上データ件数";
        QTest::newRow("purchases: not a number") << "siire.dat" << Sys::PurchaseRecordCount << purchases << qQNaN()
            << "仕入データ件数";
        QTest::newRow("products: beyond 16 bits") << "syohin.dat" << Sys::ProductCount << products << 32768.0
            << "商品データ件数";
        QTest::newRow("items: negative") << "zaiko.dat" << Sys::PurchaseItemCount << &ResetPurchaseItems << -1.0
            << "仕入商品データ件数";
        // clang-format on
    }
    void storedCountThatCannotBeUsedStopsBeforeAnything()
    {
        QFETCH(QString, file);
        QFETCH(int, countAt);
        QFETCH(RunReset, run);
        QFETCH(double, stored);
        QFETCH(QString, caption);
        TestAppDir dir;
        SysNum[countAt] = stored;
        SysNum[Sys::NextSalesSlipNo] = SysNum[Sys::NextPurchaseSlipNo] = 7;
        bool kept = false;
        ResetSteps steps;
        steps.keepOld = [&](const QString&) {
            kept = true;
            return Result::success();
        };
        const Result r = run(steps);
        QVERIFY(!r);
        QVERIFY2(r.error.contains(caption), qPrintable(r.error));
        QVERIFY(!kept);
        QVERIFY(!QFile::exists(dir.file(file)));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 7.0);
        QCOMPARE(SysNum[Sys::NextPurchaseSlipNo], 7.0);
    }

    // Every reset: the old file kept first, records 1 .. n rewritten, those beyond kept, its counters set; or,
    // when the new file cannot be written or an earlier save cannot be completed first, the file, counters and
    // tables left as they were.
    void eachResetRewritesItsRecords_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("countAt");  // the setting holding the stored count; 0: none
        QTest::addColumn<int>("reset");    // records rewritten; -1: the file emptied
        QTest::addColumn<double>("after"); // the count afterwards
        // What stands in the way: the old file's "copy" cannot be kept, the "new file" cannot be created, its "first
        // write" or "second write" (the records kept beyond those reset) fails, an earlier save left "pending" cannot
        // be completed, the "history" cannot be kept, a "new history" cannot be started once the file
        // is reset.
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<RunReset>("run");
        QTest::addColumn<BlankRecord>("blankRecord"); // what the reset writes in each record it empties
        struct Reset
        {
            const char* name;
            const char* file;
            int size;
            int countAt;
            int reset;
            double after;
            RunReset run;
            BlankRecord blank;
        };
        // clang-format off
        const Reset resets[] = {
            {"sales", "reg.dat", 1024, Sys::SalesRecordCount, 2, 7,
             [](const ResetSteps& s) { return ResetSalesSlips(7, s); },
             [] { return QByteArray(InitialisedSalesSlip().Raw.data(), SalesSlipRecordSize); }},
            {"purchases", "siire.dat", 1024, Sys::PurchaseRecordCount, 2, 7,
             [](const ResetSteps& s) { return ResetPurchaseSlips(7, s); },
             [] { return QByteArray(PurchaseSlipRecord().Raw.data(), PurchaseSlipRecordSize); }},
            {"products", "syohin.dat", 512, Sys::ProductCount, 2, 400,
             [](const ResetSteps& s) { return ResetProducts(1, s); },
             [] { return ProductRecordImage(ProductEntry{}); }},
            {"items", "zaiko.dat", 128, Sys::PurchaseItemCount, 2, 400, &ResetPurchaseItems, &PurchaseItemBlankRecord},
            {"suppliers", "siiresaki.dat", 128, Sys::SupplierCount, 100, 100, &ResetSuppliers, &SupplierBlankRecord},
            {"closings", "seisan.dat", 512, 0, -1, 0, &ResetSeisan, nullptr},
        };
        // clang-format on
        for (const char* blocked :
             {"", "copy", "new file", "first write", "second write", "pending", "history", "new history"}) {
            for (const Reset& r : resets) {
                const bool slips = r.reset == 2 && r.after == 7;
                if ((blocked == std::string_view("second write") && r.reset < 0) ||
                    (std::string_view(blocked).ends_with("history") && !slips))
                    continue;
                QTest::addRow("%s%s%s", r.name, *blocked ? ", blocked: " : "", blocked)
                    << r.file << r.size << r.countAt << r.reset << r.after << blocked << r.run << r.blank;
            }
        }
    }
    void eachResetRewritesItsRecords()
    {
        QFETCH(QString, file);
        QFETCH(int, size);
        QFETCH(int, countAt);
        QFETCH(int, reset);
        QFETCH(double, after);
        QFETCH(QString, blocked);
        QFETCH(RunReset, run);
        QFETCH(BlankRecord, blankRecord);
        TestAppDir dir;
        const int held = std::max(reset, 0) + 1;
        QByteArray old;
        for (int n = 1; n <= held; ++n)
            old += QByteArray(size, char('A' + n));
        dir.writeBytes(file, old);
        if (countAt != 0)
            SysNum[countAt] = reset == 100 ? 30 : reset; // suppliers: always 100, whatever is stored
        SysNum[Sys::NextSalesSlipNo] = SysNum[Sys::NextPurchaseSlipNo] = 9;
        QVERIFY(SaveSettings());
        ProductTable[1].ProductName = QStringLiteral("りんご");
        ProductTable[2].ProductName = QStringLiteral("みかん");
        const auto restore = qScopeGuard([] { durableSteps() = systemDurableSteps(); });
        if (blocked == u"new file") {
            QVERIFY(QDir().mkpath(dir.file(file + QStringLiteral(".new"))));
        } else if (blocked.endsWith(u"write")) {
            const int failing = blocked == u"first write" ? 1 : 2;
            durableSteps().write = [failing, beside = QString(file + QStringLiteral(".new")),
                                    writes = 0](QFileDevice& f, const QByteArray& bytes, QString& error) mutable {
                if (f.fileName().endsWith(beside) && ++writes == failing) {
                    error = QStringLiteral("no room");
                    return false;
                }
                return systemDurableSteps().write(f, bytes, error);
            };
        } else if (blocked == u"new history") {
            QVERIFY(QDir().mkpath(dir.file(QStringLiteral("rireki.dat.new"))));
        } else if (blocked == u"history") {
            dir.writeBytes(QStringLiteral("rireki.dat"), "history");
        } else if (blocked == u"pending") { // its file replaced by a folder since: it cannot be completed
            Transaction t;
            t.replacements << JournalReplace{QStringLiteral("rireki.dat")};
            dir.writeBytes(QStringLiteral("till.journal"), JournalBytes(t));
            QVERIFY(QDir().mkpath(dir.file(QStringLiteral("rireki.dat"))));
        }
        const QByteArray settings = dir.bytes(QStringLiteral("sys.ini"));
        QStringList kept;
        qint64 lastDone = 0;
        ResetSteps steps;
        steps.keepOld = [&](const QString& path) {
            kept << path;
            if (blocked == u"copy")
                return Result::failure(QStringLiteral("no copy"));
            if (fileBytes(path) != old)
                return Result::failure(QStringLiteral("kept too late"));
            return Result::success();
        };
        steps.keepHistory = [&](const QString&, QString&) {
            return blocked == u"history" ? Result::failure(QStringLiteral("history not kept")) : Result::success();
        };
        steps.progress = [&](qint64 done, qint64 total) {
            QCOMPARE(done <= total, true);
            lastDone = done;
        };
        const Result r = run(steps);
        QCOMPARE(kept, blocked == u"pending" ? QStringList() : QStringList{dir.file(file)});
        QCOMPARE(QFile::exists(JournalPath()), blocked == u"pending");
        if (blocked == u"new history") { // the reset and its new history go together: neither takes effect
            QVERIFY(!r.ok);
            QVERIFY2(r.error.contains(QStringLiteral("訂正・削除履歴を新しく始められない")), qPrintable(r.error));
            QCOMPARE(dir.bytes(file), old);
            return;
        }
        if (!blocked.isEmpty()) {
            QVERIFY(!r.ok);
            const QString named = blocked == u"pending"   ? QStringLiteral("初期化を中止しました")
                                  : blocked == u"history" ? QStringLiteral("history not kept")
                                  : blocked == u"copy"    ? QStringLiteral("no copy")
                                                          : file;
            QVERIFY2(r.error.contains(named), qPrintable(r.error));
            QVERIFY(!QFile::exists(dir.file(file + QStringLiteral(".new"))) || blocked == u"new file");
            QCOMPARE(dir.bytes(file), old);
            QCOMPARE(dir.bytes(QStringLiteral("sys.ini")), settings);
            QCOMPARE(ProductTable[1].ProductName, QStringLiteral("りんご"));
            return;
        }
        QVERIFY2(r.ok && r.error.isEmpty(), qPrintable(r.error));
        QVERIFY(!QFile::exists(dir.file(file + QStringLiteral(".new"))));
        QCOMPARE(lastDone, qint64(std::max(reset, 1)));
        const QByteArray now = dir.bytes(file);
        if (reset < 0) {
            QCOMPARE(now, QByteArray());
            QCOMPARE(dir.bytes(QStringLiteral("sys.ini")), settings);
            return;
        }
        const QByteArray blank = blankRecord();
        QCOMPARE(now.size(), old.size());
        QCOMPARE(now.left(size), blank);
        if (file == u"syohin.dat") { // only the entries asked for are emptied; the rest is written from the table
            QCOMPARE(now.mid(size, size), ProductRecordImage(ProductTable[2]));
            QCOMPARE(ProductTable[1].ProductName, QString());
            QCOMPARE(ProductTable[2].ProductName, QStringLiteral("みかん"));
        } else {
            QCOMPARE(now.mid((reset - 1) * size, size), blank);
        }
        QCOMPARE(now.mid(reset * size), old.mid(reset * size));
        QVERIFY(LoadSettings());
        QCOMPARE(SysNum[countAt], after);
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], file == u"reg.dat" ? 1.0 : 9.0);
        QCOMPARE(SysNum[Sys::NextPurchaseSlipNo], file == u"siire.dat" ? 1.0 : 9.0);
    }
};

QTEST_MAIN(TestInitialise)
#include "tst_initialise.moc"
