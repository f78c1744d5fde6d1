// The program directory's lock: a copy whose till.lock was deleted or replaced under it writes nothing more.
#include "storage/instancelock.h"
#include "storage/products.h"
#include "storage/salessave.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "testutil.h"

#include <QtTest>
#include <memory>

namespace {

QString lock(const TestAppDir& dir)
{
    return dir.file(QStringLiteral("till.lock"));
}

} // namespace

using Change = void (*)(const TestAppDir&, std::unique_ptr<InstanceLock>& second);
Q_DECLARE_METATYPE(Change)

class TestInstanceLock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void savesOnlyWhileHeld_data();
    void savesOnlyWhileHeld();
};

void TestInstanceLock::savesOnlyWhileHeld_data()
{
    QTest::addColumn<Change>("change"); // done to till.lock while the program runs
    QTest::addColumn<bool>("saves");
    // clang-format off
    QTest::addRow("kept") << Change([](auto&, auto&) {}) << true;
    QTest::addRow("deleted") << Change([](auto& d, auto&) { QVERIFY(QFile::remove(lock(d))); }) << false;
    QTest::addRow("deleted, then a second copy started") << Change([](auto& d, auto& second) {
        QVERIFY(QFile::remove(lock(d)));
        second = std::make_unique<InstanceLock>(d.path());
        QVERIFY(second->acquired());
        QVERIFY(second->stillHeld().ok);
    }) << false;
    QTest::addRow("replaced by a file of the same name") << Change([](auto& d, auto&) {
        QVERIFY(QFile::remove(lock(d)));
        QVERIFY(putFile(lock(d), {}));
    }) << false;
    // clang-format on
}

void TestInstanceLock::savesOnlyWhileHeld()
{
    QFETCH(Change, change);
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
    change(dir, second);
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
