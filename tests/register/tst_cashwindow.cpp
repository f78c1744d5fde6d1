// The cash in and out window: amounts refused where typed, entries stored and listed per day, deleted by a
// mark after a question.
#include "windowtest.h"

#include "platform/grid.h"
#include "register/cashwindow.h"
#include "storage/seisan.h"

#include <QDate>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

class TestCashWindow : public WindowTest
{
    Q_OBJECT

    CashWindow* m_form = nullptr;

    void setUp() override { m_form = openWindow<CashWindow>(); }
    void tearDown() override
    {
        delete m_form;
        m_form = nullptr;
    }

private Q_SLOTS:
    // The amount stays as typed; Enter takes it on to the reason only when it can be stored, and otherwise says
    // why and keeps the box, so no amount is stored other than the one typed.
    void amounts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("stored");
        QTest::newRow("one yen") << QStringLiteral("1") << true;
        QTest::newRow("largest") << QStringLiteral("99999999") << true;
        QTest::newRow("nine digits") << QStringLiteral("123456789") << false;
        QTest::newRow("zero") << QStringLiteral("0") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("negative with a point") << QStringLiteral("-5.5") << false;
        QTest::newRow("1e308") << QStringLiteral("1e308") << false;
        QTest::newRow("NaN") << QStringLiteral("nan") << false;
        QTest::newRow("infinite") << QStringLiteral("inf") << false;
    }
    void amounts()
    {
        QFETCH(QString, typed);
        QFETCH(bool, stored);
        QVERIFY(focusOn(m_form, QStringLiteral("amountBox")));
        type(typed);
        QCOMPARE(control(m_form, QStringLiteral("amountBox"))->text(), typed);
        press(Qt::Key_Return);
        if (!stored) {
            QVERIFY(shown().value(0).contains(QStringLiteral("1～99,999,999")));
            QTRY_COMPARE(focusedName(), QStringLiteral("amountBox"));
            QCOMPARE(control(m_form, QStringLiteral("amountBox"))->text(), typed);
            // 登録 refuses it the same way.
            control<QPushButton>(m_form, QStringLiteral("saveButton"))->click();
            QVERIFY(shown().value(0).contains(QStringLiteral("1～99,999,999")));
            QVERIFY(!QFile::exists(dir().file(SeisanFileName)));
            return;
        }
        QTRY_COMPARE(focusedName(), QStringLiteral("reasonBox"));
        type(QStringLiteral("釣銭の両替"));
        press(Qt::Key_Return);
        QList<SeisanRecord> records;
        QVERIFY(ReadSeisan(records));
        QCOMPARE(records.size(), 1);
        QCOMPARE(int(records[0].kind), int(SeisanKind::CashIn));
        QCOMPARE(records[0].amount, typed.toDouble());
        QCOMPARE(records[0].reason, QStringLiteral("釣銭の両替"));
        QCOMPARE(records[0].day, QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        QVERIFY(control(m_form, QStringLiteral("amountBox"))->text().isEmpty());
    }

    void amountProblem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        QTest::newRow("1") << QStringLiteral("1") << false;
        QTest::newRow("99999999") << QStringLiteral("99999999") << false;
        QTest::newRow("100000000") << QStringLiteral("100000000") << true;
        QTest::newRow("0") << QStringLiteral("0") << true;
        QTest::newRow("half") << QStringLiteral("10.5") << true;
        QTest::newRow("negative") << QStringLiteral("-3") << true;
        QTest::newRow("text") << QStringLiteral("abc") << true;
    }
    void amountProblem()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
        QCOMPARE(!cashAmountProblem(text).isEmpty(), refused);
    }

    // Cash out listed with cash in; deleting asks, marks, and keeps the record.
    void listedAndDeleted()
    {
        QVERIFY(focusOn(m_form, QStringLiteral("amountBox")));
        type("3000");
        press(Qt::Key_Return);
        type("仕入先へ支払い");
        press(Qt::Key_Return);
        control<QRadioButton>(m_form, QStringLiteral("cashOutOption"))->setChecked(true);
        QVERIFY(focusOn(m_form, QStringLiteral("amountBox")));
        type("1200");
        press(Qt::Key_Return);
        press(Qt::Key_Return);
        auto* grid = control<Grid>(m_form, QStringLiteral("movementsGrid"));
        QCOMPARE(grid->rows(), 3);
        QCOMPARE(grid->text(1, 1), QStringLiteral("入金"));
        QCOMPARE(grid->text(1, 2), QStringLiteral("3,000"));
        QCOMPARE(grid->text(2, 1), QStringLiteral("出金"));

        grid->setCurrentRow(2);
        control<QPushButton>(m_form, QStringLiteral("deleteButton"))->click(); // answered no
        QVERIFY(shown().value(0).contains(QStringLiteral("削除しますか")));
        QCOMPARE(grid->text(2, 4), QString());
        answerYes();
        grid->setCurrentRow(2);
        control<QPushButton>(m_form, QStringLiteral("deleteButton"))->click();
        QCOMPARE(grid->text(2, 4), QStringLiteral("削除"));
        const QByteArray bytes = dir().bytes(SeisanFileName);
        QCOMPARE(bytes.size(), 2 * SeisanRecordSize);
        QCOMPARE(bytes[SeisanRecordSize + 6], char(1));
        QCOMPARE(bytes[6], char(0));

        // Another day lists nothing.
        retype(control(m_form, QStringLiteral("dayBox")), QStringLiteral("2001/01/01"));
        press(Qt::Key_Return);
        QCOMPARE(grid->rows(), 1);
    }
};

QTEST_MAIN(TestCashWindow)
#include "tst_cashwindow.moc"
