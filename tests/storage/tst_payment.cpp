// How a sale was paid, in the sales slip's tail: bytes at their offsets, older slips, damaged figures.
#include "../common/offsets.h"
#include "../common/testutil.h"

#include "storage/payment.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QtTest>
#include <cmath>
#include <limits>

class TestPayment : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storedBytes_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("tendered");
        QTest::addColumn<double>("storedTendered");
        QTest::newRow("cash with tendered") << 0 << 10000.0 << 10000.0;
        QTest::newRow("cash, none typed") << 0 << 0.0 << 0.0;
        QTest::newRow("card drops tendered") << 1 << 5000.0 << 0.0;
        QTest::newRow("e-money") << 2 << 0.0 << 0.0;
        QTest::newRow("QR") << 3 << 0.0 << 0.0;
        QTest::newRow("cash, not finite") << 0 << std::numeric_limits<double>::infinity() << 0.0;
        QTest::newRow("cash, NaN") << 0 << std::nan("") << 0.0;
        QTest::newRow("cash, one yen") << 0 << 1.0 << 1.0;
        QTest::newRow("cash, below zero") << 0 << -0.5 << 0.0;
    }
    void storedBytes()
    {
        QFETCH(int, method);
        QFETCH(double, tendered);
        QFETCH(double, storedTendered);
        TestAppDir dir;
        SalesSlipRecord slip = saleSlip(1, QStringLiteral("2026/12/01"));
        slip.Total = 1200;
        slip.Payment = {true, PaymentMethod(method), tendered};
        QVERIFY(storeSalesSlip(1, slip));
        const QByteArray r = dir.bytes(QStringLiteral("reg.dat"));
        QCOMPARE(r.size(), Off::Sales::Size);
        QCOMPARE(getInt16(r.constData() + Off::Sales::PayVersion), int16_t(1));
        QCOMPARE(getInt16(r.constData() + Off::Sales::PayMethod), int16_t(method));
        QCOMPARE(getDouble(r.constData() + Off::Sales::Tendered), storedTendered);
        QCOMPARE(r.mid(Off::Sales::PayEnd), QByteArray(Off::Sales::Size - Off::Sales::PayEnd, '\0'));

        const ResultWith<SalesSlipRecord> read = ReadSalesSlip(1);
        QVERIFY(read.ok);
        QVERIFY(read.value.Payment.present);
        QCOMPARE(int(read.value.Payment.method), method);
        QCOMPARE(read.value.Payment.tendered, storedTendered);
    }

    // Tails as they may lie on disk: zero bytes of every slip written before, a stored one, and damage.
    void readTail_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("tendered");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("readMethod");
        QTest::addColumn<double>("readTendered");
        QTest::newRow("older slip") << 0 << 0 << 0.0 << false << 0 << 0.0;
        QTest::newRow("older slip, bytes beyond version") << 0 << 2 << 500.0 << false << 0 << 0.0;
        QTest::newRow("cash") << 1 << 0 << 3000.0 << true << 0 << 3000.0;
        QTest::newRow("QR") << 1 << 3 << 0.0 << true << 3 << 0.0;
        QTest::newRow("unknown version") << 2 << 1 << 0.0 << false << 0 << 0.0;
        QTest::newRow("unknown method reads as cash") << 1 << 4 << 0.0 << true << 0 << 0.0;
        QTest::newRow("negative method") << 1 << -1 << 0.0 << true << 0 << 0.0;
        QTest::newRow("negative tendered") << 1 << 0 << -5.0 << true << 0 << 0.0;
        QTest::newRow("tendered just below zero") << 1 << 0 << -0.5 << true << 0 << 0.0;
        QTest::newRow("one yen tendered") << 1 << 0 << 1.0 << true << 0 << 1.0;
        QTest::newRow("card with tendered") << 1 << 1 << 900.0 << true << 1 << 0.0;
    }
    void readTail()
    {
        QFETCH(int, version);
        QFETCH(int, method);
        QFETCH(double, tendered);
        QFETCH(bool, present);
        QFETCH(int, readMethod);
        QFETCH(double, readTendered);
        QByteArray r(Off::Sales::Size, '\0');
        putInt16(r.data() + Off::Sales::PayVersion, int16_t(version));
        putInt16(r.data() + Off::Sales::PayMethod, int16_t(method));
        putDouble(r.data() + Off::Sales::Tendered, tendered);
        const SlipPayment p = GetSlipPayment(r.constData());
        QCOMPARE(p.present, present);
        QCOMPARE(int(p.method), readMethod);
        QCOMPARE(p.tendered, readTendered);
        QCOMPARE(int(SlipView(r.constData()).payment().method), int(p.method));
    }

    // Writing "no payment" over a tail that holds one clears exactly its twelve bytes, whatever the absent
    // payment carries besides.
    void absentPaymentClearsTail_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("tendered");
        QTest::newRow("nothing") << 0 << 0.0;
        QTest::newRow("a method and an amount") << 3 << 500.0;
        QTest::newRow("cash and an amount") << 0 << 500.0;
    }
    void absentPaymentClearsTail()
    {
        QFETCH(int, method);
        QFETCH(double, tendered);
        QByteArray r(Off::Sales::Size, 'x');
        PutSlipPayment(r.data(), {true, PaymentMethod::QrCode, 0});
        PutSlipPayment(r.data(), {false, PaymentMethod(method), tendered});
        QCOMPARE(r.mid(Off::Sales::PayVersion, Off::Sales::PayEnd - Off::Sales::PayVersion),
                 QByteArray(Off::Sales::PayEnd - Off::Sales::PayVersion, '\0'));
        QCOMPARE(r.left(Off::Sales::PayVersion), QByteArray(Off::Sales::PayVersion, 'x'));
        QCOMPARE(r.mid(Off::Sales::PayEnd), QByteArray(Off::Sales::Size - Off::Sales::PayEnd, 'x'));
    }

    void methodCycle_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("name");
        QTest::newRow("cash") << 0 << 1 << QStringLiteral("現金");
        QTest::newRow("credit") << 1 << 2 << QStringLiteral("クレジット");
        QTest::newRow("e-money") << 2 << 3 << QStringLiteral("電子マネー");
        QTest::newRow("QR back to cash") << 3 << 0 << QStringLiteral("QRコード決済");
    }
    void methodCycle()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, name);
        QCOMPARE(int(nextPaymentMethod(PaymentMethod(from))), to);
        QCOMPARE(paymentMethodName(PaymentMethod(from)), name);
    }

    void change_data()
    {
        QTest::addColumn<double>("tendered");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("change");
        QTest::newRow("some") << 10000.0 << 1234.0 << 8766.0;
        QTest::newRow("exact") << 500.0 << 500.0 << 0.0;
        QTest::newRow("none typed") << 0.0 << 500.0 << 0.0;
    }
    void change()
    {
        QFETCH(double, tendered);
        QFETCH(double, total);
        QFETCH(double, change);
        QCOMPARE((SlipPayment{true, PaymentMethod::Cash, tendered}.change(total)), change);
    }
};

QTEST_GUILESS_MAIN(TestPayment)
#include "tst_payment.moc"
