// Slip lines driven with the cashier's keys: moving between lines, the green line number, Enter's actions.
#include "../common/guitest.h"

#include "platform/twips.h"
#include "register/registerwindow.h"
#include "widgets/fieldfocus.h"
#include "widgets/sliplines.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

class TestSlipLines : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_window;
    SlipLines* m_lines = nullptr;
    QList<int> m_lookedUp;
    QList<int> m_completed;
    int m_escapes = 0;

    QLineEdit* box(SlipLines::Column c, int k) const { return m_lines->box(c, k); }
    void focusOnBox(QLineEdit* e)
    {
        e->setFocus();
        QTRY_VERIFY(e->hasFocus());
    }
    // Exactly line `k` green.
    void onlyGreen(int k)
    {
        for (int j = 1; j <= SlipLines::Count; ++j)
            QCOMPARE(background(m_lines->number[j]), j == k ? EditingColour : IdleColour);
    }

private Q_SLOTS:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(twips(10080), twips(6100));
        m_lines = new SlipLines(m_window.get(), registerSlipLineSetup());
        m_lines->setActions({.lookUp = [this](int k) { m_lookedUp << k; },
                             .complete = [this](int k) { m_completed << k; },
                             .keys =
                                 [this](SlipLines::Column, int) {
                                     return KeyTable{{Qt::Key_Escape, [this] { ++m_escapes; }}};
                                 }});
        m_lookedUp.clear();
        m_completed.clear();
        m_escapes = 0;
        QVERIFY(showActive(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void namesFollowTheSetup()
    {
        QCOMPARE(m_lines->number[0]->text(), QStringLiteral("番号"));
        QCOMPARE(m_window->findChild<QLineEdit*>("lineCodeBoxes_1"), m_lines->code[1]);
        QCOMPARE(m_window->findChild<QLineEdit*>("lineAmountBoxes_10"), m_lines->amount[10]);
        QCOMPARE(m_lines->number[10]->text(), QStringLiteral("10"));
        QVERIFY(m_lines->amount[3]->isReadOnly());
        // Lines counted from 0 in their names, without header boxes.
        SlipLines::Setup s = registerSlipLineSetup();
        s.firstIndex = 0;
        for (auto& c : s.columns) {
            c.name += "x";
            c.headerName.clear();
        }
        QWidget other;
        SlipLines lines(&other, s);
        QCOMPARE(lines.code[1]->objectName(), QStringLiteral("lineCodeBoxesx_0"));
        QCOMPARE(lines.code[10]->objectName(), QStringLiteral("lineCodeBoxesx_9"));
        QVERIFY(!lines.code[0]);
    }

    void movementKeys_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("toLine");
        const int code = SlipLines::Code;
        const int qty = SlipLines::Qty;
        QTest::newRow("code 5 Up") << code << 5 << int(Qt::Key_Up) << 4;
        QTest::newRow("code 1 Up stays") << code << 1 << int(Qt::Key_Up) << 1;
        QTest::newRow("code 3 Down") << code << 3 << int(Qt::Key_Down) << 4;
        QTest::newRow("code 10 Down stays") << code << 10 << int(Qt::Key_Down) << 10;
        QTest::newRow("code 6 Home") << code << 6 << int(Qt::Key_Home) << 1;
        QTest::newRow("qty 1 Up to code 1") << qty << 1 << int(Qt::Key_Up) << 1;
        QTest::newRow("qty 4 Up") << qty << 4 << int(Qt::Key_Up) << 3;
        QTest::newRow("qty 10 Down to code 10") << qty << 10 << int(Qt::Key_Down) << 10;
        QTest::newRow("qty 4 Left") << qty << 4 << int(Qt::Key_Left) << 4;
        QTest::newRow("qty 7 Home") << qty << 7 << int(Qt::Key_Home) << 1;
    }
    void movementKeys()
    {
        QFETCH(int, column);
        QFETCH(int, line);
        QFETCH(int, key);
        QFETCH(int, toLine);
        focusOnBox(box(SlipLines::Column(column), line));
        onlyGreen(line);
        QTest::keyClick(focused(), Qt::Key(key));
        QTRY_COMPARE(focused(), box(SlipLines::Code, toLine));
        onlyGreen(toLine);
    }

    void homeClearsAStrayHighlight()
    {
        m_lines->setHighlight(6, true); // left green by the window, not by the focus
        focusOnBox(m_lines->code[1]);
        QTest::keyClick(m_lines->code[1], Qt::Key_Home);
        onlyGreen(1);
    }

    void enterRunsTheWindowsActions()
    {
        focusOnBox(m_lines->code[3]);
        QTest::keyClick(m_lines->code[3], Qt::Key_Return);
        QCOMPARE(m_lookedUp, QList<int>{3});
        QCOMPARE(focused(), m_lines->code[3]); // moving on is the look-up's business
        focusOnBox(m_lines->qty[3]);
        QTest::keyClick(m_lines->qty[3], Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(m_completed, QList<int>{3});
        QTRY_COMPARE(focused(), m_lines->code[4]);
        onlyGreen(4);
        focusOnBox(m_lines->qty[9]); // the last line that moves on
        QTest::keyClick(m_lines->qty[9], Qt::Key_Return);
        QTRY_COMPARE(focused(), m_lines->code[10]);
        onlyGreen(10);
        focusOnBox(m_lines->qty[10]);
        QTest::keyClick(m_lines->qty[10], Qt::Key_Return);
        QCOMPARE(m_completed, QList<int>({3, 9, 10}));
        QCOMPARE(focused(), m_lines->qty[10]);
        onlyGreen(10);
    }

    void windowKeysFollowTheLineKeys()
    {
        focusOnBox(m_lines->price[2]);
        QTest::keyClick(m_lines->price[2], Qt::Key_Escape);
        QTest::keyClick(m_lines->price[2], Qt::Key_Up); // no line key in a price box
        QCOMPARE(m_escapes, 1);
        QCOMPARE(focused(), m_lines->price[2]);
    }

    void enteringSelectsTheWholeText()
    {
        m_lines->qty[2]->setText(QStringLiteral("12"));
        focusOnBox(m_lines->qty[2]);
        QCOMPARE(m_lines->qty[2]->selectedText(), QStringLiteral("12"));
        QTest::keyClicks(m_lines->qty[2], QStringLiteral("3"));
        QCOMPARE(m_lines->qty[2]->text(), QStringLiteral("3"));
    }

    void clearEmptiesEveryLine()
    {
        for (int k = 1; k <= SlipLines::Count; ++k)
            for (QLineEdit* e :
                 {m_lines->code[k], m_lines->name[k], m_lines->price[k], m_lines->qty[k], m_lines->amount[k]})
                e->setText(QStringLiteral("9"));
        m_lines->setHighlight(5, true);
        m_lines->clear();
        QCOMPARE(m_lines->amounts(), QStringList(10, QString()));
        QVERIFY(m_lines->name[7]->text().isEmpty());
        QCOMPARE(m_lines->number[7]->text(), QStringLiteral("7"));
        onlyGreen(0);
    }
};

QTEST_MAIN(TestSlipLines)
#include "tst_sliplines.moc"
