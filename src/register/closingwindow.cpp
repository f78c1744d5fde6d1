// The closing window: expected figures, the cash counted, check and close with their reports, the history.
#include "register/closingwindow.h"

#include "platform/controls.h"
#include "platform/filedialog.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/printing.h"
#include "platform/tableexport.h"
#include "platform/twips.h"
#include "register/receiptprint.h"
#include "storage/changes.h"
#include "storage/payment.h"
#include "storage/receipt.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "widgets/keytable.h"
#include "widgets/listpanel.h"

#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTime>

namespace {

QString grouped(double v)
{
    return QLocale(QLocale::Japanese).toString(qint64(v));
}

QString signedGrouped(double v)
{
    return v > 0 ? QStringLiteral("+") + grouped(v) : grouped(v);
}

QLineEdit* figureBox(QWidget* parent, const QString& name, const QString& accessible, const QRect& rect)
{
    QLineEdit* e = makeDisplay(parent, name, accessible, rect);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return e;
}

} // namespace

GridTable closingFiguresTable(const ClosingFigures& f)
{
    QList<QPair<QString, QString>> rows = {
        {QStringLiteral("伝票数"), QStringLiteral("%1 件").arg(f.slipCount)},
        {QStringLiteral("総売上"), grouped(f.gross)},
        {QStringLiteral("返品"), grouped(f.returns)},
        {QStringLiteral("売上合計"), grouped(f.sales())},
        {QStringLiteral("削除伝票 %1 件").arg(f.deletedCount), grouped(f.deletedAmount)},
    };
    for (int m = 0; m < PaymentMethodCount; ++m)
        rows.append({QStringLiteral("　") + paymentMethodName(PaymentMethod(m)), grouped(f.byMethod[m])});
    rows.append({RatePercent(f.standard.rate) + QStringLiteral("対象"), grouped(f.standard.total)});
    rows.append({QStringLiteral("　内消費税"), grouped(f.standard.tax)});
    if (f.reduced.rate != 0 || f.reduced.total != 0) {
        rows.append({ReducedMark + RatePercent(f.reduced.rate) + QStringLiteral("対象"), grouped(f.reduced.total)});
        rows.append({QStringLiteral("　内消費税"), grouped(f.reduced.tax)});
    }
    rows.append({QStringLiteral("釣銭準備金"), grouped(f.changeFund)});
    rows.append({QStringLiteral("現金売上"), grouped(f.byMethod[0])});
    rows.append({QStringLiteral("入金"), grouped(f.cashIn)});
    rows.append({QStringLiteral("出金"), grouped(f.cashOut)});
    rows.append({QStringLiteral("現金在高（理論）"), grouped(f.expectedCash())});
    GridTable t;
    t.setShape({2000, 1250}, int(rows.size()) + 1, {QStringLiteral("項目"), QStringLiteral("金額")});
    for (qsizetype i = 0; i < rows.size(); ++i)
        t.rows[i + 1] = QStringList{rows[i].first, rows[i].second};
    return t;
}

GridTable closingHistoryTable(const QList<ClosingHistoryEntry>& history)
{
    GridTable t;
    t.setShape({1300, 1350, 1050, 1050, 850, 500}, int(history.size()) + 1,
               {QStringLiteral("営業日"), QStringLiteral("精算日時"), QStringLiteral("理論在高"),
                QStringLiteral("実査"), QStringLiteral("過不足"), QStringLiteral("最新")});
    for (qsizetype i = 0; i < history.size(); ++i) {
        const SeisanRecord& r = history[i].record;
        // The year too: the history reaches back past new year, and a closing is sometimes done days later.
        t.rows[i + 1] = QStringList{r.day,
                                    r.date + u' ' + r.time.left(5),
                                    numText(r.expected),
                                    numText(r.counted),
                                    numText(r.difference),
                                    history[i].superseded ? QString() : QStringLiteral("○")};
    }
    return t;
}

ClosingWindow::ClosingWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ClosingWindow"));
    setWindowTitle(QStringLiteral("レジ点検・精算"));
    setFixedSize(twips(15200), twips(10000));
    buildControls();
    dayBox->setText(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    fundBox->setText(numText(SysNum[Sys::ChangeFund]));
    showDay();
    loadHistory();
    // A sale or cash moved while the window is open changes what the drawer should hold.
    const auto follow = [this] {
        if (QDate::fromString(dayBox->text().trimmed(), QStringLiteral("yyyy/MM/dd")).isValid())
            showDay();
    };
    connect(&changes(), &Changes::salesSlipsChanged, this, follow);
    connect(&changes(), &Changes::seisanChanged, this, follow);
    // The cashier counts first; the day and the change fund are usually right as they open.
    countBoxes[0]->setFocus();
}

void ClosingWindow::buildControls()
{
    buildDayRow();
    auto* expected = makeFrame(this, QStringLiteral("FrameExpected"), QStringLiteral("レジの予定"),
                               QStringLiteral("レジの予定"), twipsRect(120, 720, 3700, 8400));
    // Figures only: the cashier reads them, the count takes the keys.
    expectedGrid = makeListPanel({expected, QStringLiteral("expectedGrid"), QStringLiteral("レジの予定"),
                                  twipsRect(120, 330, 3460, 7950), false},
                                 this);
    buildCountFrame();
    buildHistory();
}

// The business day and the change fund, along the top.
void ClosingWindow::buildDayRow()
{
    makeLabel(this, QStringLiteral("LabelDay"), QStringLiteral("営業日"), twipsRect(120, 170, 900, 420));
    dayBox = makeEdit(this, QStringLiteral("dayBox"), QStringLiteral("営業日"), twipsRect(1020, 120, 1900, 460));
    showButton =
        makeButton(this, QStringLiteral("showButton"), QStringLiteral("表示"), twipsRect(3020, 100, 1100, 500));
    makeLabel(this, QStringLiteral("LabelFund"), QStringLiteral("釣銭準備金"), twipsRect(4500, 170, 1500, 420));
    fundBox = makeEdit(this, QStringLiteral("fundBox"), QStringLiteral("釣銭準備金"), twipsRect(6000, 120, 1800, 460));
    fundBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fundBox->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), fundBox));
    connect(showButton, &QPushButton::clicked, this, &ClosingWindow::showDay);
    installKeys(dayBox, {{Qt::Key_Return, [this] { showDay(); }}});
    connect(fundBox, &QLineEdit::textChanged, this, &ClosingWindow::fundChanged);
    installKeys(fundBox, {{Qt::Key_Return, [this] { saveFund(); }}});
}

// The count of each denomination, and the counted, expected and difference figures under it.
void ClosingWindow::buildCountFrame()
{
    auto* counted = makeFrame(this, QStringLiteral("FrameCount"), QStringLiteral("実査（数えた現金）"),
                              QStringLiteral("実査"), twipsRect(3940, 720, 3400, 8400));
    for (int i = 0; i < DenominationCount; ++i) {
        const int top = 330 + 560 * i;
        const QString yenText = QStringLiteral("%1円").arg(Denominations[i]);
        auto* label =
            makeLabel(counted, QStringLiteral("LabelCount%1").arg(i), yenText, twipsRect(120, top + 30, 800, 420));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        countBoxes[i] = makeEdit(counted, QStringLiteral("countBoxes_%1").arg(i), yenText + QStringLiteral("の枚数"),
                                 twipsRect(980, top, 800, 460));
        countBoxes[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        countBoxes[i]->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), countBoxes[i]));
        label->setBuddy(countBoxes[i]);
        countAmountBoxes[i] = figureBox(counted, QStringLiteral("countAmountBoxes_%1").arg(i),
                                        yenText + QStringLiteral("の金額"), twipsRect(1860, top, 1400, 460));
        connect(countBoxes[i], &QLineEdit::textChanged, this, &ClosingWindow::showCount);
        // Enter moves down, as on a counting sheet; from the last count to 精算.
        installKeys(countBoxes[i], {{Qt::Key_Return, [this, i] {
                                         if (i + 1 < DenominationCount)
                                             countBoxes[i + 1]->setFocus();
                                         else
                                             closeDayButton->setFocus();
                                     }}});
    }
    const struct
    {
        QLineEdit** box;
        const char* name;
        const char* caption;
        int top;
    } totals[] = {{&countedBox, "countedBox", "実査合計", 6050},
                  {&expectedBox, "expectedBox", "理論在高", 6600},
                  {&differenceBox, "differenceBox", "過不足", 7150}};
    for (const auto& t : totals) {
        const QString caption = QString::fromUtf8(t.caption);
        auto* label =
            makeLabel(counted, QString::fromLatin1(t.name).replace(QStringLiteral("Box"), QStringLiteral("Label")),
                      caption, twipsRect(120, t.top + 30, 1640, 420));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        *t.box = figureBox(counted, QLatin1String(t.name), caption, twipsRect(1860, t.top, 1400, 460));
        QFont bold = (*t.box)->font();
        bold.setBold(true);
        (*t.box)->setFont(bold);
        label->setBuddy(*t.box);
    }
}

// The history of closings, and 点検, 精算, 再印刷, CSV出力 and 閉じる along the bottom. The history is the widest
// frame: with the year in 精算日時 and grouped amounts, its six columns show whole without a scroll bar.
void ClosingWindow::buildHistory()
{
    auto* history = makeFrame(this, QStringLiteral("FrameHistory"), QStringLiteral("精算の履歴"),
                              QStringLiteral("精算の履歴"), twipsRect(7460, 720, 7620, 8400));
    const auto button = [](QPushButton** b, const char* name, const char* caption, int left, int width,
                           std::function<void()> action) {
        return ListButton{b, QLatin1String(name), QString::fromUtf8(caption), twipsRect(left, 9250, width, 580),
                          std::move(action)};
    };
    historyGrid = makeListPanel(
        {history, QStringLiteral("historyGrid"), QStringLiteral("精算の履歴"), twipsRect(120, 330, 7380, 7950)}, this,
        {button(&checkButton, "checkButton", "点検（印刷）", 120, 2000, [this] { check(); }),
         button(&closeDayButton, "closeDayButton", "精算", 2240, 2000, [this] { closeDay(); }),
         button(&reprintButton, "reprintButton", "再印刷", 7460, 1600, [this] { reprint(); }),
         button(&csvButton, "csvButton", "CSV出力", 9180, 1600, [this] { saveCsv(); }),
         button(&exitButton, "exitButton", "閉じる", 13480, 1600, [this] { close(); })});
    // Enter on 精算, where the count ends, closes the day after one question.
    installKeys(closeDayButton, {{Qt::Key_Return, [this] { closeDay(); }}});
}

bool ClosingWindow::readFigures()
{
    const QString day = dayBox->text().trimmed();
    if (!QDate::fromString(day, QStringLiteral("yyyy/MM/dd")).isValid()) {
        MessageBox::information(this, QStringLiteral("営業日は yyyy/mm/dd の形で入力してください。"));
        return false;
    }
    QList<SeisanRecord> records;
    Result r = ReadSeisan(records);
    ClosingFigures figures;
    if (r)
        r = ComputeClosing(day, records, val(fundBox->text()), figures);
    if (!r) {
        MessageBox::information(this, r.error);
        return false;
    }
    m_day = day;
    m_figures = figures;
    return true;
}

void ClosingWindow::showDay()
{
    if (!readFigures()) {
        m_figures = ClosingFigures();
        m_figures.changeFund = val(fundBox->text());
    }
    expectedGrid->setTable(closingFiguresTable(m_figures));
    expectedGrid->setColAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    showCount();
}

CashCount ClosingWindow::count() const
{
    CashCount c;
    for (int i = 0; i < DenominationCount; ++i)
        c.counts[i] = int32_t(val(countBoxes[i]->text()));
    return c;
}

void ClosingWindow::showCount()
{
    const CashCount c = count();
    for (int i = 0; i < DenominationCount; ++i)
        countAmountBoxes[i]->setText(grouped(double(c.counts[i]) * Denominations[i]));
    countedBox->setText(grouped(c.total()));
    expectedBox->setText(grouped(m_figures.expectedCash()));
    const double difference = c.total() - m_figures.expectedCash();
    differenceBox->setText(signedGrouped(difference));
    QPalette p = differenceBox->palette();
    p.setColor(QPalette::Text, difference < 0 ? QColor(200, 0, 0) : palette().color(QPalette::Text));
    differenceBox->setPalette(p);
}

void ClosingWindow::fundChanged()
{
    m_figures.changeFund = val(fundBox->text());
    expectedGrid->setTable(closingFiguresTable(m_figures));
    expectedGrid->setColAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    showCount();
}

// The change fund stays from day to day; Enter keeps it and goes on to the count.
void ClosingWindow::saveFund()
{
    const double before = SysNum[Sys::ChangeFund];
    SysNum[Sys::ChangeFund] = val(fundBox->text());
    if (Result saved = SaveSettings(); !saved) {
        SysNum[Sys::ChangeFund] = before;
        MessageBox::information(this, saved.error);
        return;
    }
    countBoxes[0]->setFocus();
}

SeisanRecord ClosingWindow::currentClosing() const
{
    return MakeClosing(m_day, m_figures, count(), QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")),
                       QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
}

void ClosingWindow::check()
{
    if (!readFigures())
        return;
    showDay();
    printReport(currentClosing(), ClosingReportKind::Check);
}

// The receipt printer first; when it cannot print the report, a print preview shows it, from which it can be
// printed on another printer or saved as a PDF file, so that a closing is never stored unseen.
void ClosingWindow::printReport(const SeisanRecord& closing, ClosingReportKind kind, const QString& stored)
{
    const Result printed = printClosingReport(closing, kind);
    if (printed)
        return;
    MessageBox::information(this, printed.error + QStringLiteral("\n印刷プレビューで表示します。") + stored);
    const bool check = kind == ClosingReportKind::Check;
    const QString name = (check ? QStringLiteral("レジ点検 ") : QStringLiteral("レジ精算 ")) + closing.day;
    const QString stem = FileDialog::safeFileName(
        (check ? QStringLiteral("レジ点検_") : QStringLiteral("レジ精算_")) + QString(closing.day).remove(u'/') +
        (closing.closingNo > 0 ? QStringLiteral("_%1").arg(closing.closingNo) : QString()));
    const int width = SysNum[Sys::ReceiptWidthMm] == 58 ? 58 : 80;
    if (Result shown =
            previewRoll(this, ClosingReportRows(closing, shopDetailsFromSettings(), kind), name, width, stem);
        !shown && !shown.error.isEmpty())
        MessageBox::information(this, shown.error);
}

// 精算 closes the day for good: the first closing of a day is asked about once, a later one names the closing
// before it. No is the default answer, so an Enter too many after the count closes nothing.
bool ClosingWindow::confirmClosing(const QList<SeisanRecord>& records)
{
    for (const SeisanRecord& r : records)
        if (r.kind == SeisanKind::Closing && r.day == m_day)
            return MessageBox::question(this,
                                        QStringLiteral("%1 はすでに精算されています（%2 %3）。\nもう一度精算しますか。"
                                                       "前の記録も残ります。")
                                            .arg(m_day, r.date, r.time));
    const CashCount c = count();
    return MessageBox::question(
        this, QStringLiteral("%1 を精算しますか。\n実査合計 %2 円、過不足 %3 円\n"
                             "精算の記録は取り消せません。")
                  .arg(m_day, grouped(c.total()), signedGrouped(c.total() - m_figures.expectedCash())));
}

void ClosingWindow::closeDay()
{
    if (!readFigures())
        return;
    showDay();
    QList<SeisanRecord> records;
    if (Result r = ReadSeisan(records); !r) {
        MessageBox::information(this, r.error);
        return;
    }
    if (!confirmClosing(records))
        return;
    SeisanRecord closing = currentClosing();
    qint64 n = 0;
    const Result stored = AppendSeisan(closing, {{Sys::ChangeFund, m_figures.changeFund}}, &n);
    if (!stored) {
        MessageBox::information(this, QStringLiteral("精算を記録できませんでした。\n") + stored.error);
        return;
    }
    SysNum[Sys::ChangeFund] = m_figures.changeFund;
    Q_EMIT changes().seisanChanged();
    Q_EMIT changes().closingDone();
    loadHistory();
    // The closing as stored, numbered among the closings.
    for (const ClosingHistoryEntry& e : m_history)
        if (e.record.recordNo == n)
            closing = e.record;
    if (!stored.error.isEmpty())
        MessageBox::information(this, stored.error);
    printReport(closing, ClosingReportKind::Close, QStringLiteral("\n精算は記録されています。"));
}

void ClosingWindow::loadHistory()
{
    QList<SeisanRecord> records;
    if (Result r = ReadSeisan(records); !r)
        MessageBox::information(this, r.error);
    m_history = ClosingHistory(records);
    historyGrid->setTable(closingHistoryTable(m_history));
    for (int c = 2; c <= 4; ++c)
        historyGrid->setColAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    historyGrid->setColAlignment(5, Qt::AlignCenter);
    // Grouped on screen and on paper only: the CSV file keeps plain digits.
    historyGrid->setGroupedCols({2, 3, 4});
    historyGrid->fitColumns({0, 1, 2, 3, 4});
}

void ClosingWindow::reprint()
{
    const int row = historyGrid->currentRow() - 1;
    if (row < 0 || row >= m_history.size()) {
        MessageBox::information(this, QStringLiteral("再印刷する精算を履歴から選んでください。"));
        return;
    }
    printReport(m_history[row].record, ClosingReportKind::Reprint);
}

void ClosingWindow::saveCsv()
{
    saveGridCsv(this, *historyGrid, QStringLiteral("精算履歴.csv"));
}
