// The history window, opened from the report window on slips saved, corrected and deleted through storage.
#include "guitest.h"
#include "platform/filedialog.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
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
#include <QLabel>
#include <QPushButton>
#include <QtTest>

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

// Slips 1 and 2 saved, slip 1 corrected from 2 to 1 piece, slip 2 deleted: four entries of today.
void writeHistory(const TestAppDir& dir)
{
    dir.writeStock({});
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

HistoryWindow* historyWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<HistoryWindow*>(w); f && f->isVisible())
            return f;
    return nullptr;
}

QStringList column(const Grid& grid, int col)
{
    QStringList texts;
    for (int r = 1; r < grid.rows(); ++r)
        if (!grid.text(r, col).isEmpty())
            texts << grid.text(r, col);
    return texts;
}

} // namespace

class TestHistoryWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { MessageBox::enableTestMode(); }
    void opensFromTheReportWindow();
    void operationBoxChoosesEntries_data();
    void operationBoxChoosesEntries();
    void verifyNamesTheFirstChangedEntry_data();
    void verifyNamesTheFirstChangedEntry();
    void csvRowsNameTheirEntryAndSlip();
};

void TestHistoryWindow::opensFromTheReportWindow()
{
    TestAppDir dir;
    writeHistory(dir);
    auto* report = openWindow<ReportWindow>();
    // The slip list marks the corrected slip; the deleted one is not listed.
    QCOMPARE(report->reportGrid->text(0, report->reportGrid->cols() - 1), QStringLiteral("訂正"));
    QCOMPARE(report->reportGrid->text(1, 0), QStringLiteral("1"));
    QCOMPARE(report->reportGrid->text(1, report->reportGrid->cols() - 1), QStringLiteral("訂正"));
    QTest::mouseClick(report->historyButton, Qt::LeftButton);
    HistoryWindow* form = historyWindow();
    QVERIFY(form);
    // Today's month, corrections and deletions: entry 3 (slip 1 corrected) and 4 (slip 2 deleted).
    QCOMPARE(column(*form->historyGrid, HistoryEntryCol), (QStringList{"3", "4"}));
    QCOMPARE(column(*form->historyGrid, 2), (QStringList{"訂正", "削除"}));
    QVERIFY2(form->statusLabel->text().startsWith(QStringLiteral("2 件")), qPrintable(form->statusLabel->text()));
    // The corrected line, before and after side by side, marked.
    bool found = false;
    for (int r = 1; r < form->historyGrid->rows(); ++r)
        if (form->historyGrid->text(r, 5) == u"1行目" && form->historyGrid->text(r, 8) == u"数量・金額") {
            QCOMPARE(form->historyGrid->text(r, 6), QStringLiteral("12 どら焼き 150×2 = 300"));
            QCOMPARE(form->historyGrid->text(r, 7), QStringLiteral("12 どら焼き 150×1 = 150"));
            QVERIFY(form->historyGrid->cellBackground(r, 6).isValid());
            found = true;
        }
    QVERIFY(found);
    QVERIFY(showActive(form));
    QVERIFY(focusOn(form, QStringLiteral("historyGrid")));
    press(Qt::Key_Escape);
    QTRY_VERIFY(!historyWindow());
    delete report;
}

void TestHistoryWindow::operationBoxChoosesEntries_data()
{
    QTest::addColumn<int>("downs"); // Down presses in the operation box from its first choice
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("訂正と削除") << 0 << QStringList{"3", "4"};
    QTest::newRow("訂正") << 1 << QStringList{"3"};
    QTest::newRow("削除") << 2 << QStringList{"4"};
    QTest::newRow("新規") << 3 << QStringList{"1", "2"};
    QTest::newRow("すべて") << 5 << QStringList{"1", "2", "3", "4"};
}

void TestHistoryWindow::operationBoxChoosesEntries()
{
    QFETCH(int, downs);
    QFETCH(QStringList, entries);
    TestAppDir dir;
    writeHistory(dir);
    auto* form = openWindow<HistoryWindow>();
    QVERIFY(focusOn(form, QStringLiteral("operationBox")));
    for (int i = 0; i < downs; ++i)
        press(Qt::Key_Down);
    QCOMPARE(column(*form->historyGrid, 0), entries);
    delete form;
}

void TestHistoryWindow::verifyNamesTheFirstChangedEntry_data()
{
    QTest::addColumn<int>("offset"); // a byte changed in the file; -1 none, -2 a file that is not ours
    QTest::addColumn<QString>("message");
    QTest::newRow("whole") << -1 << "履歴 4 件はすべて一致しました";
    QTest::newRow("entry 2 changed") << 2176 + 1152 + 720 << "履歴 2 件目が一致しません";
    QTest::newRow("entry 4 changed") << 3 * 2176 + 20 << "履歴 4 件目が一致しません";
    QTest::newRow("not ours") << -2 << "このプログラムの履歴ファイルではありません";
    QTest::newRow("slip 1's total edited in reg.dat") << -3 << "売上伝票 1 の内容が最後の履歴と違います";
    QTest::newRow("last entry cut off") << -4 << "最後の 1 件が失われています";
}

void TestHistoryWindow::verifyNamesTheFirstChangedEntry()
{
    QFETCH(int, offset);
    QFETCH(QString, message);
    TestAppDir dir;
    writeHistory(dir);
    QByteArray bytes = dir.bytes(QStringLiteral("rireki.dat"));
    if (offset >= 0)
        bytes[offset] = char(bytes[offset] ^ 0x10);
    else if (offset == -2)
        bytes = QByteArray("PK") + bytes;
    else if (offset == -4)
        bytes.chop(2176);
    dir.writeBytes(QStringLiteral("rireki.dat"), bytes);
    if (offset == -3) {
        QByteArray reg = dir.bytes(QStringLiteral("reg.dat"));
        reg[720 + 6] = char(reg[720 + 6] ^ 0x01); // within the double 合計
        dir.writeBytes(QStringLiteral("reg.dat"), reg);
    }
    auto* form = openWindow<HistoryWindow>();
    if (offset == -2) // told at once, before any check
        QVERIFY2(form->statusLabel->text().contains(message), qPrintable(form->statusLabel->text()));
    MessageBox::takeShown();
    QTest::mouseClick(form->verifyButton, Qt::LeftButton);
    const QStringList shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains(message), qPrintable(shown[0]));
    QCOMPARE(form->statusLabel->text().contains(QStringLiteral("検証: 一致")), offset == -1);
    QCOMPARE(dir.bytes(QStringLiteral("rireki.dat")), bytes); // checking writes nothing
    delete form;
}

// CSV出力 writes the file's own table: every row with its entry and slip number, a line's parts apart.
void TestHistoryWindow::csvRowsNameTheirEntryAndSlip()
{
    TestAppDir dir;
    writeHistory(dir);
    auto* form = openWindow<HistoryWindow>();
    QVERIFY(focusOn(form, QStringLiteral("operationBox")));
    press(Qt::Key_Down); // 訂正
    const QString path = dir.file(QStringLiteral("out.csv"));
    FileDialog::setNextSaveName(path);
    QTest::mouseClick(form->csvButton, Qt::LeftButton);
    const QStringList lines =
        fromCp932(dir.bytes(QStringLiteral("out.csv"))).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QVERIFY(lines.size() > 2);
    QVERIFY2(lines[0].startsWith(QStringLiteral("履歴番号,日時,操作,区分,伝票番号,項目,")), qPrintable(lines[0]));
    for (const QString& line : lines.mid(1))
        QVERIFY2(line.startsWith(QStringLiteral("3,")) && line.section(u',', 4, 4) == u"1", qPrintable(line));
    QVERIFY(
        lines.contains(QStringLiteral("3,%1,訂正,売上,1,1行目,,,数量・金額,12,どら焼き,150,2,300,12,どら焼き,150,1,150")
                           .arg(lines[1].section(u',', 1, 1))));
    delete form;
}

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
