// Start-up: one copy per program directory, and no window without a complete settings file.
#include "app/startup.h"
#include "storage/products.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "testutil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startsAndLoadsEverything();
    void refusesSecondCopy();
    void refusesBadSettings_data();
    void refusesBadSettings();
    void standardButtonsReadJapanese();
};

void TestStartup::startsAndLoadsEverything()
{
    TestAppDir dir;
    QByteArray product(512, ' ');
    putDouble(product.data() + 36, 180);
    dir.writeBytes(QStringLiteral("syohin.dat"), product);
    SysNum[2] = 0;
    std::unique_ptr<InstanceLock> lock;
    const Result r = startTill(dir.path(), lock);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(AppDir, dir.path());
    QCOMPARE(SysNum[2], 1.0);
    QCOMPARE(ProductTable[1].SalePrice, 180.0);
}

void TestStartup::refusesSecondCopy()
{
    TestAppDir dir;
    std::unique_ptr<InstanceLock> first;
    QVERIFY(startTill(dir.path(), first).ok);
    const QStringList before = QDir(dir.path()).entryList(QDir::Files);
    const QByteArray settings = dir.bytes(QStringLiteral("sys.ini"));

    std::unique_ptr<InstanceLock> second;
    const Result r = startTill(dir.path(), second);
    QVERIFY(!r.ok);
    QCOMPARE(r.error, QStringLiteral("既に起動されています。"));
    QVERIFY(!second);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
    QCOMPARE(dir.bytes(QStringLiteral("sys.ini")), settings);
    QVERIFY(first->acquired()); // the first copy keeps running undisturbed

    // Once the first copy ends, the directory can be used again.
    first.reset();
    QVERIFY(startTill(dir.path(), second).ok);
}

void TestStartup::refusesBadSettings_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("present");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("short") << QByteArray("1\r\n2\r\n") << true;
    QTest::newRow("not a number") << QByteArray("abc\r\n") << true;
}

void TestStartup::refusesBadSettings()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, present);
    TestAppDir dir;
    QFile::remove(dir.file(QStringLiteral("sys.ini")));
    if (present)
        dir.writeBytes(QStringLiteral("sys.ini"), content);
    std::unique_ptr<InstanceLock> lock;
    const Result r = startTill(dir.path(), lock);
    QVERIFY(!r.ok);
    QVERIFY(r.error.contains(QStringLiteral("sys.ini")));
    QCOMPARE(QFile::exists(dir.file(QStringLiteral("sys.ini"))), present);
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("syohin.dat"))));
}

void TestStartup::standardButtonsReadJapanese()
{
    // Without Qt's own Japanese translation the Yes/No questions would show English buttons.
    setUpJapanese(*qApp);
    QMessageBox box(QMessageBox::Question, QString(), QStringLiteral("削除しますか。"),
                    QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
