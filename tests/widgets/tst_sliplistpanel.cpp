// The slip list panel: listing a month from the boxes, choosing a slip by mouse and keys, the window's keys.
#include "../common/guitest.h"

#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "widgets/sliplistpanel.h"

#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// What the fake slip file was asked for.
struct Asked
{
    double year = 0;
    double month = 0;
    qint64 last = 0;
};

} // namespace

class TestSlipListPanel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_window;
    SlipListPanel* m_panel = nullptr;
    SlipChoice m_choice;
    QList<Asked> m_asked;
    QList<SlipListRow> m_rows; // every month's rows: the fake lists them all
    Result m_result = Result::success();

    void build(int lastYear = 2015)
    {
        m_window = std::make_unique<QWidget>();
        m_window->setFixedSize(twips(15240), twips(10890));
        const SlipListPanel::Setup setup{
            .panel = {u"FrameX"_s, u"一覧"_s, {120, 120, 15000, 10000}},
            .grid = {u"GridX"_s, u"伝票一覧"_s, {120, 300, 7000, 9500}},
            .widths = {1500, 1400, 1000, 1000, 1000},
            .year = {u"YearX"_s, u"年"_s, {7800, 300, 1300, 440}},
            .month = {u"MonthX"_s, u"月"_s, {9700, 300, 900, 440}},
            .lastYear = lastYear,
            .commands = {{u"CorrectX"_s, u"DeleteX"_s, u"CloseX"_s}, {7400, 1000, 1500, 600}},
            .list =
                [this](double year, double month, qint64 last, QList<SlipListRow>& rows) {
                    m_asked << Asked{year, month, last};
                    rows = m_rows;
                    return m_result;
                },
            .lastSlip = [] { return qint64(42); }};
        m_panel = new SlipListPanel(setup, m_choice, m_window.get());
        m_panel->showThisMonth();
        if (!showActive(m_window.get()))
            qWarning("window not active");
    }
    // Types a year and month into the boxes and takes them with Enter in the month box.
    void listMonth(const QString& year, const QString& month)
    {
        m_panel->yearBox->lineEdit()->selectAll();
        typeInto(m_panel->yearBox->lineEdit(), year);
        QVERIFY(focusOn(m_window.get(), u"MonthX"_s));
        m_panel->monthBox->lineEdit()->selectAll();
        type(month);
        press(Qt::Key_Return);
    }
    QStringList rowTexts(int row) const
    {
        QStringList texts;
        for (int c = 0; c < m_panel->grid->cols(); ++c)
            texts << m_panel->grid->text(row, c);
        return texts;
    }
    void clickRow(int row)
    {
        Grid* grid = m_panel->grid;
        const QModelIndex index = grid->model()->index(row - 1, 0);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    }

private Q_SLOTS:
    void initTestCase() { MessageBox::enableTestMode(); }

    void init()
    {
        m_choice = {};
        m_asked.clear();
        m_rows = {{3, u"2010/03/03"_s, u"10:00:00"_s, 103, false},
                  {5, u"2010/03/05"_s, u"10:05:00"_s, 1234.5, true},
                  {9, u"2010/03/31"_s, u"23:59:59"_s, -20, false}};
        m_result = Result::success();
        MessageBox::takeShown();
    }

    void cleanup()
    {
        m_window.reset();
        m_panel = nullptr;
    }

    void startsClosedOnThisMonth()
    {
        build(2031);
        QVERIFY(!m_panel->isOpen());
        QVERIFY(!m_panel->isVisible()); // nothing of it in the tab chain
        const QDate today = QDate::currentDate();
        QCOMPARE(m_panel->yearBox->currentText(), today.toString(u"yyyy"_s));
        QCOMPARE(m_panel->monthBox->currentText(), today.toString(u"MM"_s));
        QCOMPARE(m_panel->yearBox->itemText(0), u"2005"_s);
        QCOMPARE(m_panel->yearBox->itemText(m_panel->yearBox->count() - 1), u"2031"_s);
        QCOMPARE(m_panel->monthBox->count(), 12);
        QCOMPARE(m_panel->monthBox->itemText(0), u"1"_s);
        for (QPushButton* b : {m_panel->correctButton, m_panel->deleteButton, m_panel->closeButton})
            QVERIFY(!b->accessibleName().isEmpty());
        QCOMPARE(m_panel->closeButton->text(), u"閉じる"_s);
    }

    void enterListsTheTypedMonth_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("month");
        QTest::addColumn<double>("askedMonth");
        QTest::newRow("one digit") << u"2010"_s << u"3"_s << 3.0;
        QTest::newRow("leading zero") << u"2010"_s << u"03"_s << 3.0;
        QTest::newRow("not a number") << u"2010"_s << u"x"_s << 0.0;
    }
    void enterListsTheTypedMonth()
    {
        QFETCH(QString, year);
        QFETCH(QString, month);
        QFETCH(double, askedMonth);
        build();
        m_panel->rebuild();
        m_asked.clear();
        listMonth(year, month);
        // Leaving the year box with a listed year may list once more on the way; Enter lists what is typed.
        QVERIFY(!m_asked.isEmpty());
        QCOMPARE(m_asked.last().year, 2010.0);
        QCOMPARE(m_asked.last().month, askedMonth);
        QCOMPARE(m_asked.last().last, qint64(42));
        QVERIFY(m_panel->isOpen());
        QCOMPARE(focusedName(), u"MonthX"_s); // the box just used keeps the focus

        QCOMPARE(m_panel->grid->rows(), 4);
        QCOMPARE(rowTexts(0), (QStringList{u"伝票番号"_s, u"日付"_s, u"時間"_s, u"金額"_s, u"削除"_s}));
        QCOMPARE(rowTexts(1), (QStringList{u"3"_s, u"2010/03/03"_s, u"10:00:00"_s, u"103"_s, QString()}));
        QCOMPARE(rowTexts(2), (QStringList{u"5"_s, u"2010/03/05"_s, u"10:05:00"_s, u"1234.5"_s, u"削除"_s}));
        QCOMPARE(rowTexts(3).mid(3), (QStringList{u"-20"_s, QString()}));
        QCOMPARE(m_choice.gridSlipNos, (QList<qint64>{0, 3, 5, 9}));
    }

    void emptyMonthShowsTheHeaderOnly()
    {
        build();
        m_rows.clear();
        m_panel->rebuild();
        QVERIFY(m_panel->isOpen());
        QCOMPARE(m_panel->grid->rows(), 1);
        QCOMPARE(m_panel->grid->text(0, 0), u"伝票番号"_s);
        QCOMPARE(m_choice.gridSlipNos, QList<qint64>{0});
    }

    // A slip file that breaks off part way: what was read is listed, then the user is told.
    void readFailureIsToldAfterListing()
    {
        build();
        m_result = Result::failure(u"reg.dat を読めません。"_s);
        m_panel->rebuild();
        QVERIFY(m_panel->isOpen());
        QCOMPARE(m_panel->grid->rows(), 4);
        QCOMPARE(MessageBox::takeShown(), QStringList{u"reg.dat を読めません。"_s});
    }

    void choosingASlip_data()
    {
        QTest::addColumn<int>("key"); // 0: a click on the row
        QTest::addColumn<int>("row");
        QTest::addColumn<qint64>("slipNo");
        QTest::newRow("click first") << 0 << 1 << qint64(3);
        QTest::newRow("click last") << 0 << 3 << qint64(9);
        QTest::newRow("Enter") << int(Qt::Key_Return) << 2 << qint64(5);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 3 << qint64(9);
        QTest::newRow("Space") << int(Qt::Key_Space) << 1 << qint64(3);
    }
    void choosingASlip()
    {
        QFETCH(int, key);
        QFETCH(int, row);
        QFETCH(qint64, slipNo);
        build();
        m_panel->rebuild();
        Grid* grid = m_panel->grid;
        grid->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return focused() == grid; }));
        if (!key) {
            clickRow(row);
        } else {
            // The grid starts on row 1 when it takes the focus.
            QCOMPARE(grid->currentRow(), 1);
            for (int r = 1; r < row; ++r)
                press(Qt::Key_Down);
            QCOMPARE(grid->currentRow(), row);
            QVERIFY(!m_choice.slipSelected); // moving alone chooses nothing
            press(Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        }
        QVERIFY(m_choice.slipSelected);
        QCOMPARE(m_choice.selectedSlipNo, slipNo);
        QVERIFY(m_panel->isOpen());
    }

    // A rebuild under the focused grid leaves no current row: Enter then chooses nothing and the slip chosen
    // before stays chosen.
    void enterWithoutARowKeepsTheChoice()
    {
        build();
        m_panel->rebuild();
        clickRow(2);
        QCOMPARE(m_choice.selectedSlipNo, qint64(5));
        QCOMPARE(focused(), m_panel->grid);
        m_rows.removeAt(1);
        m_panel->rebuild();
        QCOMPARE(m_panel->grid->currentRow(), 0);
        press(Qt::Key_Return);
        QVERIFY(m_choice.slipSelected);
        QCOMPARE(m_choice.selectedSlipNo, qint64(5));
        QCOMPARE(m_choice.gridSlipNos, (QList<qint64>{0, 3, 9}));
    }

    void windowKeys()
    {
        build();
        int escapes = 0;
        int ends = 0;
        m_panel->setGridKeys({{Qt::Key_Escape, [&] { ++escapes; }}, {Qt::Key_Return, [&] { ++escapes; }}});
        m_panel->setBoxKeys({{Qt::Key_End, [&] { ++ends; }}});
        m_panel->rebuild();
        m_panel->grid->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return focused() == m_panel->grid; }));
        press(Qt::Key_Escape);
        QCOMPARE(escapes, 1);
        // The window's row for Enter comes first.
        press(Qt::Key_Return);
        QCOMPARE(escapes, 2);
        QVERIFY(!m_choice.slipSelected);
        press(Qt::Key_Space);
        QCOMPARE(m_choice.selectedSlipNo, qint64(3));
        for (const QString& box : {u"YearX"_s, u"MonthX"_s}) {
            QVERIFY(focusOn(m_window.get(), box));
            press(Qt::Key_End);
        }
        QCOMPARE(ends, 2);
        QCOMPARE(m_asked.size(), 1); // End lists nothing
    }

    // A month picked from the open list lists it; the same pick on a closed panel does not open it.
    void pickingAMonth()
    {
        build();
        m_panel->rebuild();
        QVERIFY(focusOn(m_window.get(), u"MonthX"_s));
        press(Qt::Key_Down, Qt::AltModifier);
        QVERIFY(QTest::qWaitFor([&] { return m_panel->monthBox->view()->isVisible(); }));
        m_panel->monthBox->view()->setCurrentIndex(m_panel->monthBox->model()->index(6, 0));
        QTest::keyClick(m_panel->monthBox->view(), Qt::Key_Return);
        QCOMPARE(m_panel->monthBox->currentText(), u"7"_s);
        QCOMPARE(m_asked.last().month, 7.0);
        QVERIFY(m_panel->isOpen());

        const qsizetype asked = m_asked.size();
        m_panel->collapse();
        Q_EMIT m_panel->monthBox->activated(2);
        QVERIFY(!m_panel->isOpen());
        QCOMPARE(m_asked.size(), asked);
    }

    void chosenSlipUsable_data()
    {
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<int>("mark");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("none chosen") << false << 0 << false << QStringList{u"伝票を選択してください。"_s};
        QTest::newRow("deleted") << true << 1 << false << QStringList{u"伝票は削除されています。"_s};
        QTest::newRow("odd mark counts as deleted") << true << 2 << false << QStringList{u"伝票は削除されています。"_s};
        QTest::newRow("unreadable, already told") << true << -1 << false << QStringList();
        QTest::newRow("usable") << true << 0 << true << QStringList();
    }
    void chosenSlipUsable()
    {
        QFETCH(bool, chosen);
        QFETCH(int, mark);
        QFETCH(bool, usable);
        QFETCH(QStringList, told);
        build();
        m_panel->rebuild();
        if (chosen)
            clickRow(3);
        QList<qint64> read;
        QCOMPARE(m_panel->chosenSlipUsable([&](qint64 n) {
            read << n;
            return mark;
        }),
                 usable);
        QCOMPARE(MessageBox::takeShown(), told);
        QCOMPARE(read, chosen ? QList<qint64>{9} : QList<qint64>());
    }
};

QTEST_MAIN(TestSlipListPanel)
#include "tst_sliplistpanel.moc"
