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

Q_DECLARE_METATYPE(SeisanRecord)

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
    // The total row nets what the list shows, deleted entries left out as the closing leaves them out.
    void totalRow_data()
    {
        QTest::addColumn<QList<SeisanRecord>>("movements");
        QTest::addColumn<QStringList>("total"); // the last row; none when empty
        const auto move = [](SeisanKind kind, double amount, bool deleted = false) {
            SeisanRecord r;
            r.kind = kind;
            r.amount = amount;
            r.deleted = deleted;
            return r;
        };
        using K = SeisanKind;
        // clang-format off
        QTest::newRow("none") << QList<SeisanRecord>{} << QStringList{};
        QTest::newRow("in and out") << QList<SeisanRecord>{move(K::CashIn, 12000), move(K::CashOut, 3500)} << QStringList{"合計", "差引", "8,500", "入金 12,000 円・出金 3,500 円", ""};
        QTest::newRow("one") << QList<SeisanRecord>{move(K::CashIn, 500)} << QStringList{"合計", "差引", "500", "入金 500 円・出金 0 円", ""};
        QTest::newRow("out only, one deleted") << QList<SeisanRecord>{move(K::CashOut, 800), move(K::CashIn, 5000, true)} << QStringList{"合計", "差引", "-800", "入金 0 円・出金 800 円", ""};
        // clang-format on
    }
    void totalRow()
    {
        QFETCH(QList<SeisanRecord>, movements);
        QFETCH(QStringList, total);
        const GridTable t = cashMovementsTable(movements);
        QCOMPARE(t.rows.size(), movements.size() + (total.isEmpty() ? 1 : 2));
        if (!total.isEmpty())
            QCOMPARE(t.rows.last(), total);
        QCOMPARE(t.colours.size(), total.isEmpty() ? 0 : t.cols()); // the total row set apart, whole
    }

    // The amount stays as typed; Enter takes it on to the reason only when it can be stored, and otherwise says
    // why and keeps the box, so no amount is stored other than the one typed. The limits themselves are
    // tst_closing's (refusedAmountsNeverWritten) and tst_text's (strictValue).
    void amounts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("stored");
        QTest::newRow("largest") << QStringLiteral("99999999") << true;
        QTest::newRow("nine digits") << QStringLiteral("123456789") << false;
        QTest::newRow("zero") << QStringLiteral("0") << false;
        QTest::newRow("negative with a point") << QStringLiteral("-5.5") << false;
        QTest::newRow("NaN") << QStringLiteral("nan") << false;
        QTest::newRow("text") << QStringLiteral("abc") << false;
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
        QCOMPARE(grid->rows(), 4);
        QCOMPARE(grid->text(1, 1), QStringLiteral("入金"));
        QCOMPARE(grid->text(1, 2), QStringLiteral("3,000"));
        QCOMPARE(grid->text(2, 1), QStringLiteral("出金"));
        QCOMPARE(grid->text(3, 2), QStringLiteral("1,800"));

        const auto deleteRow = [&](int row) {
            grid->setCurrentRow(row);
            control<QPushButton>(m_form, QStringLiteral("deleteButton"))->click();
        };
        deleteRow(3); // the total row: no record, nothing written
        QVERIFY(shown().value(0).contains(QStringLiteral("選んでください")));
        deleteRow(2); // answered no
        QVERIFY(shown().value(0).contains(QStringLiteral("削除しますか")));
        QCOMPARE(grid->text(2, 4), QString());
        answerYes();
        deleteRow(2);
        QCOMPARE(grid->text(2, 4), QStringLiteral("削除"));
        QCOMPARE(grid->text(3, 2), QStringLiteral("3,000")); // a deleted entry moves no money
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
