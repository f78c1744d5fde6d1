// The history window, opened from the report window on slips saved, corrected and deleted through storage.
#include "windowtest.h"

#include "platform/filedialog.h"
#include "platform/grid.h"
#include "reports/historyview.h"
#include "reports/historywindow.h"
#include "reports/reportwindow.h"
#include "storage/history.h"
#include "storage/salessave.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

// A change made to the files on disk before the window checks them.
using Damage = void (*)(const TestAppDir&);
Q_DECLARE_METATYPE(Damage)

namespace {

SalesSlipRecord sale(int qty)
{
    SalesSlipRecord s;
    s.Date = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    s.Time = QStringLiteral("10:00:00");
    s.Line[1] = {12, QStringLiteral("どら焼き"), 150, int16_t(qty), 150.0 * qty};
    s.Subtotal = s.Total = 150.0 * qty;
    return s;
}

HistoryWindow* historyWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<HistoryWindow*>(w); f && f->isVisible())
            return f;
    return nullptr;
}

QStringList column(const Grid* grid, int col)
{
    QStringList texts;
    for (int r = 1; r < grid->rows(); ++r)
        if (!grid->text(r, col).isEmpty())
            texts << grid->text(r, col);
    return texts;
}

// One bit of byte `at` of a file turned over.
void flip(const TestAppDir& dir, const QString& name, int at, char bit)
{
    QByteArray bytes = dir.bytes(name);
    bytes[at] = char(bytes[at] ^ bit);
    dir.writeBytes(name, bytes);
}

} // namespace

class TestHistoryWindow : public WindowTest
{
    Q_OBJECT

    QPointer<HistoryWindow> m_form;

    // Slips 1 and 2 saved, slip 1 corrected from 2 to 1 piece, slip 2 deleted: four entries of today.
    void setUp() override
    {
        dir().writeStock({});
        SysNum[Sys::NextSalesSlipNo] = 1;
        resetHistoryWarning();
        for (int n = 1; n <= 2; ++n) {
            SalesSlipRecord s = sale(2);
            s.SlipNo = n;
            QVERIFY(SaveNewSalesSlip(s, {}).saved);
        }
        SalesSlipRecord s = sale(1);
        s.SlipNo = 1;
        QVERIFY(SaveCorrectedSalesSlip(1, s, {}).saved);
        QVERIFY(DeleteSalesSlip(2, {}).saved);
    }
    void tearDown() override { delete m_form; }

    Grid* grid() const { return control<Grid>(m_form, QStringLiteral("historyGrid")); }
    QString status() const { return control<QLabel>(m_form, QStringLiteral("statusLabel"))->text(); }
    void click(const QString& button) const { QTest::mouseClick(control<QPushButton>(m_form, button), Qt::LeftButton); }

private Q_SLOTS:
    void opensFromTheReportWindow()
    {
        std::unique_ptr<ReportWindow> report(openWindow<ReportWindow>()); // its 訂正 marks: tst_historyview
        QTest::mouseClick(control<QPushButton>(report.get(), QStringLiteral("historyButton")), Qt::LeftButton);
        m_form = historyWindow();
        QVERIFY(m_form);
        // Today's month, corrections and deletions: entry 3 (slip 1 corrected) and 4 (slip 2 deleted).
        QCOMPARE(column(grid(), HistoryEntryCol), (QStringList{"3", "4"}));
        QCOMPARE(column(grid(), 2), (QStringList{"訂正", "削除"}));
        QVERIFY2(status().startsWith(QStringLiteral("2 件")), qPrintable(status()));
        // The corrected line, before and after side by side, marked.
        bool found = false;
        for (int r = 1; r < grid()->rows(); ++r)
            if (grid()->text(r, 5) == u"1行目" && grid()->text(r, 8) == u"数量・金額") {
                QCOMPARE(grid()->text(r, 6), QStringLiteral("12 どら焼き 150×2 = 300"));
                QCOMPARE(grid()->text(r, 7), QStringLiteral("12 どら焼き 150×1 = 150"));
                QVERIFY(grid()->cellBackground(r, 6).isValid());
                found = true;
            }
        QVERIFY(found);
        // The day as the report window shows it; the number columns' headings whole.
        QCOMPARE(control<QComboBox>(m_form, QStringLiteral("dayBox"))->currentText(),
                 QDate::currentDate().toString(QStringLiteral("dd")));
        for (int c : {int(HistoryEntryCol), int(HistorySlipNoCol)})
            QVERIFY(grid()->columnWidth(c) >= grid()->horizontalHeader()->sectionSizeHint(c));
        QVERIFY(showActive(m_form));
        QVERIFY(focusOn(m_form, QStringLiteral("historyGrid")));
        press(Qt::Key_Escape);
        QTRY_VERIFY(!historyWindow());
    }

    void operationBoxChoosesEntries_data()
    {
        QTest::addColumn<int>("downs");           // Down presses in the operation box from its first choice
        QTest::addColumn<QStringList>("entries"); // which choice sets which filter: tst_historyview
        QTest::newRow("訂正") << 1 << QStringList{"3"};
        QTest::newRow("すべて") << 5 << QStringList{"1", "2", "3", "4"};
    }
    void operationBoxChoosesEntries()
    {
        QFETCH(int, downs);
        QFETCH(QStringList, entries);
        m_form = openWindow<HistoryWindow>();
        QVERIFY(focusOn(m_form, QStringLiteral("operationBox")));
        for (int i = 0; i < downs; ++i)
            press(Qt::Key_Down);
        QCOMPARE(column(grid(), 0), entries);
    }

    void verifyNamesTheFirstChangedEntry_data()
    {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("toldAtOnce"); // on the status line as the window opens, before any check
        // clang-format off
        QTest::newRow("whole") << Damage(+[](const TestAppDir&) {}) << "履歴 4 件はすべて一致しました" << false;
        QTest::newRow("entry 2 changed") << Damage(+[](const TestAppDir& d) { flip(d, "rireki.dat", 2176 + 1152 + 720, 0x10); }) << "履歴 2 件目が一致しません" << false;
        QTest::newRow("not ours") << Damage(+[](const TestAppDir& d) { d.writeBytes("rireki.dat", "PK" + d.bytes("rireki.dat")); }) << "このプログラムの履歴ファイルではありません" << true;
        // clang-format on
    }
    void verifyNamesTheFirstChangedEntry()
    {
        QFETCH(Damage, damage);
        QFETCH(QString, message);
        QFETCH(bool, toldAtOnce);
        damage(dir());
        const QByteArray history = dir().bytes(QStringLiteral("rireki.dat"));
        m_form = openWindow<HistoryWindow>();
        if (toldAtOnce)
            QVERIFY2(status().contains(message), qPrintable(status()));
        shown();
        click(QStringLiteral("verifyButton"));
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].contains(message), qPrintable(boxes[0]));
        QCOMPARE(status().contains(QStringLiteral("検証: 一致")), message.contains(QStringLiteral("すべて一致")));
        QCOMPARE(dir().bytes(QStringLiteral("rireki.dat")), history); // checking writes nothing
    }

    // CSV出力 writes the entries the boxes choose, under the name of the window and its month.
    void csvRowsNameTheirEntryAndSlip()
    {
        m_form = openWindow<HistoryWindow>();
        QVERIFY(focusOn(m_form, QStringLiteral("operationBox")));
        press(Qt::Key_Down); // 訂正
        FileDialog::setNextSaveName(dir().file(QStringLiteral("out.csv")));
        click(QStringLiteral("csvButton"));
        const QStringList lines =
            fromCp932(dir().bytes(QStringLiteral("out.csv"))).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(FileDialog::takeProposed(),
                 QStringList{u"訂正・削除履歴_" + QDate::currentDate().toString(u"yyyy-MM") + u".csv"});
        // The rows and their columns are tst_historyview's; here, that the boxes chose them.
        QVERIFY(lines.size() > 2);
        for (const QString& line : lines.mid(1))
            QVERIFY2(line.startsWith(QStringLiteral("3,")) && line.section(u',', 4, 4) == u"1", qPrintable(line));
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
