// The program directory's lock: a copy whose till.lock was deleted or replaced under it writes nothing more.
#include "storage/instancelock.h"
#include "storage/products.h"
#include "storage/salessave.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "testutil.h"

#include <QtTest>
#include <memory>

class TestInstanceLock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void savesOnlyWhileHeld_data();
    void savesOnlyWhileHeld();
};

void TestInstanceLock::savesOnlyWhileHeld_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("saves");
    QTest::addRow("kept") << "kept" << true;
    QTest::addRow("deleted") << "deleted" << false;
    QTest::addRow("deleted, then a second copy started") << "second copy" << false;
    QTest::addRow("replaced by a file of the same name") << "replaced" << false;
}

void TestInstanceLock::savesOnlyWhileHeld()
{
    QFETCH(QString, change);
    QFETCH(bool, saves);
    TestAppDir dir;
    dir.writeStock({{12, 5}});
    SalesSlipRecord first;
    first.Date = QStringLiteral("2026/12/08");
    first.Line[1] = SalesSlipLine{1, QStringLiteral("どら焼き"), 150, 1, 150};
    first.Subtotal = first.Total = 150;
    QVERIFY(SaveNewSalesSlip(first, {{12, -1}}).saved);

    // Two holders in one process lock as two processes do: each opened the file for itself.
    const InstanceLock running(dir.path());
    QVERIFY(running.acquired());
    std::unique_ptr<InstanceLock> second;
    if (change != u"kept")
        QVERIFY(QFile::remove(dir.file(QStringLiteral("till.lock"))));
    if (change == u"second copy") {
        second = std::make_unique<InstanceLock>(dir.path());
        QVERIFY(second->acquired());
        QVERIFY(second->stillHeld().ok);
    } else if (change == u"replaced") {
        dir.writeBytes(QStringLiteral("till.lock"), QByteArray());
    }

    const QStringList files = {QStringLiteral("reg.dat"), QStringLiteral("rireki.dat"), QStringLiteral("zaiko.dat"),
                               QStringLiteral("sys.ini"), QStringLiteral("syohin.dat")};
    const QList<QByteArray> before = dir.snapshot(files);
    SalesSlipRecord slip = first;
    slip.SlipNo = 0;
    const SaveOutcome sale = SaveNewSalesSlip(slip, {{12, -1}});
    SysNum[Sys::ChangeFund] = 5000;
    const Result settings = SaveSettings();
    ProductTable[1].SalePrice = 180;
    const Result product = SaveProduct(1);
    QCOMPARE(sale.saved, saves);
    QCOMPARE(settings.ok, saves);
    QCOMPARE(product.ok, saves);
    QCOMPARE(CheckInstanceLock().ok, saves);
    if (saves)
        return;
    for (const QString& message : {sale.error, settings.error, product.error}) {
        QVERIFY2(message.contains(QStringLiteral("till.lock")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("もう一つ起動")), qPrintable(message));
    }
    QCOMPARE(dir.snapshot(files), before);
    QCOMPARE(dir.stockOf(12), 4.0);
    // The second copy ending does not give the folder back to the first: its figures may be stale by then.
    second.reset();
    QVERIFY(!CheckInstanceLock().ok);
}

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instancelock.moc"
