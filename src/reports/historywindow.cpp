// The history window: the period boxes of the reports, two filters, the grid, 検証 and CSV出力.
#include "reports/historywindow.h"

#include "platform/controls.h"
#include "platform/filedialog.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/tableexport.h"
#include "platform/twips.h"
#include "reports/selectors.h"
#include "storage/changes.h"
#include "storage/history.h"

#include <QComboBox>
#include <QDate>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>
#include <initializer_list>

namespace {

const QRect GridFrame = twipsRect(120, 120, 14775, 8700);
constexpr int RowTop = 9240;

} // namespace

HistoryWindow::HistoryWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("訂正・削除履歴"));
    setAccessibleName(QStringLiteral("訂正・削除履歴"));
    setFixedSize(twips(15120), twips(10140));

    historyFrame = makeFrame(this, QStringLiteral("historyFrame"), QString(), QStringLiteral("履歴"), GridFrame);
    historyGrid = new Grid(historyFrame);
    historyGrid->setObjectName(QStringLiteral("historyGrid"));
    historyGrid->setAccessibleName(QStringLiteral("履歴の表"));
    historyGrid->setGeometry(twipsRect(120, 240, 14535, 8340));

    statusLabel = makeLabel(this, QStringLiteral("statusLabel"), QString(), twipsRect(240, 8880, 14655, 300));
    statusLabel->setAccessibleName(QStringLiteral("履歴の状態"));

    periodFrame = makeFrame(this, QStringLiteral("periodFrame"), QString(), QStringLiteral("期間"),
                            twipsRect(120, RowTop, 3135, 735));
    yearBox = makePeriodBox(periodFrame, QStringLiteral("yearBox"), QStringLiteral("年"), 120, 240);
    monthBox = makePeriodBox(periodFrame, QStringLiteral("monthBox"), QStringLiteral("月"), 1080, 240);
    dayBox = makePeriodBox(periodFrame, QStringLiteral("dayBox"), QStringLiteral("日"), 2040, 240);
    fillYearList(yearBox);
    fillNumbers(monthBox, 1, 12);
    fillNumbers(dayBox, 1, 31);
    // Two digits, as the report window that opens this one shows the month and the day.
    const QDate today = QDate::currentDate();
    yearBox->setEditText(today.toString(QStringLiteral("yyyy")));
    monthBox->setEditText(today.toString(QStringLiteral("MM")));
    dayBox->setEditText(today.toString(QStringLiteral("dd")));

    dayOrMonthFrame = makeFrame(this, QStringLiteral("dayOrMonthFrame"), QString(), QStringLiteral("日か月か"),
                                twipsRect(3360, RowTop, 1815, 735));
    dailyButton = makePeriodOption(dayOrMonthFrame, QStringLiteral("dailyButton"), QStringLiteral("日"), 120);
    monthlyButton = makePeriodOption(dayOrMonthFrame, QStringLiteral("monthlyButton"), QStringLiteral("月"), 840);
    monthlyButton->setChecked(true); // a month at a glance: corrections are few

    slipsFrame = makeFrame(this, QStringLiteral("slipsFrame"), QString(), QStringLiteral("区分"),
                           twipsRect(5280, RowTop, 2175, 735));
    slipsBox =
        makeCombo(slipsFrame, QStringLiteral("slipsBox"), QStringLiteral("区分"), twipsRect(120, 240, 1935, 300));
    slipsBox->setEditable(false);
    slipsBox->addItems({QStringLiteral("売上と仕入"), QStringLiteral("売上"), QStringLiteral("仕入")});
    operationFrame = makeFrame(this, QStringLiteral("operationFrame"), QString(), QStringLiteral("操作"),
                               twipsRect(7560, RowTop, 2175, 735));
    operationBox = makeCombo(operationFrame, QStringLiteral("operationBox"), QStringLiteral("操作"),
                             twipsRect(120, 240, 1935, 300));
    operationBox->setEditable(false);
    operationBox->addItems(historyOperationChoices());
    for (QComboBox* c : {slipsBox, operationBox})
        c->setFixedHeight(std::max(twips(300), c->sizeHint().height()));

    verifyButton = makeButton(this, QStringLiteral("verifyButton"), QStringLiteral("検証"),
                              twipsRect(9960, RowTop + 240, 1575, 375));
    csvButton = makeButton(this, QStringLiteral("csvButton"), QStringLiteral("CSV出力"),
                           twipsRect(11640, RowTop + 240, 1575, 375));
    closeButton = makeButton(this, QStringLiteral("closeButton"), QStringLiteral("閉じる"),
                             twipsRect(13320, RowTop + 240, 1575, 375));

    for (QComboBox* combo : {yearBox, monthBox, dayBox, slipsBox, operationBox})
        connect(combo, &QComboBox::activated, this, &HistoryWindow::listEntries);
    connect(dailyButton, &QRadioButton::clicked, this, &HistoryWindow::listEntries);
    connect(monthlyButton, &QRadioButton::clicked, this, &HistoryWindow::listEntries);
    connect(verifyButton, &QPushButton::clicked, this, &HistoryWindow::verify);
    connect(csvButton, &QPushButton::clicked, this, &HistoryWindow::exportCsv);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    // A save elsewhere adds an entry; the list follows.
    connect(&changes(), &Changes::salesSlipsChanged, this, &HistoryWindow::listEntries);
    connect(&changes(), &Changes::purchaseSlipsChanged, this, &HistoryWindow::listEntries);

    listEntries();
}

HistoryFilter HistoryWindow::filter() const
{
    HistoryFilter f;
    f.period = ReportPeriod::fromTexts(yearBox->currentText(), monthBox->currentText(), dayBox->currentText(),
                                       dailyButton->isChecked());
    f.slips = HistoryFilter::Slips(slipsBox->currentIndex());
    setOperationChoice(f, operationBox->currentIndex());
    return f;
}

void HistoryWindow::listEntries()
{
    const HistoryFilter filter = this->filter();
    GridTable table;
    qint64 listed = 0;
    const Result r = buildHistoryTable(filter, table, &listed);
    historyGrid->setTable(std::move(table));
    for (int c : {int(HistoryEntryCol), int(HistorySlipNoCol)})
        historyGrid->setColAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    fitColumns();
    const ReportPeriod& p = filter.period;
    m_periodTag =
        !p.valid  ? QString()
        : p.daily ? QStringLiteral("%1-%2-%3")
                        .arg(p.year, 4, 10, QLatin1Char('0'))
                        .arg(p.month, 2, 10, QLatin1Char('0'))
                        .arg(p.day, 2, 10, QLatin1Char('0'))
                  : QStringLiteral("%1-%2").arg(p.year, 4, 10, QLatin1Char('0')).arg(p.month, 2, 10, QLatin1Char('0'));
    showStatus(listed, r ? QString() : r.error);
}

void HistoryWindow::fitColumns()
{
    // Every column as wide as its heading and its usual content in the grid's own font; 変更前 and 変更後 share
    // what is left of the grid's width, so that no field's name is cut.
    const QFontMetrics metrics(historyGrid->font());
    const int pad = metrics.averageCharWidth();
    const auto widest = [&](std::initializer_list<QString> texts) {
        int width = 0;
        for (const QString& t : texts)
            width = std::max(width, metrics.horizontalAdvance(t));
        return width + pad;
    };
    const int fixed[][2] = {
        {HistoryEntryCol, widest({QStringLiteral("履歴番号"), QStringLiteral("0000000")})},
        {HistoryTimeCol, widest({QStringLiteral("0000/00/00 00:00:00")})},
        {HistoryOperationCol, widest({QStringLiteral("初期化")})},
        {HistorySlipsCol, widest({QStringLiteral("区分"), QStringLiteral("売上")})},
        {HistorySlipNoCol, widest({QStringLiteral("伝票番号"), QStringLiteral("0000000")})},
        {HistoryFieldCol, widest({QStringLiteral("標準対象額")})},
        {HistoryChangedCol, widest({QStringLiteral("変更箇所"), QStringLiteral("数量・金額")})},
    };
    for (const auto& [col, width] : fixed)
        historyGrid->setColumnWidth(col, width);
    // The headings of the number columns are wider than their figures; the grid measures them in the header's
    // own font and margins, which the body's metrics above do not know.
    historyGrid->fitColumns({HistoryEntryCol, HistorySlipNoCol});
    int used = 0;
    for (const auto& entry : fixed)
        used += historyGrid->columnWidth(entry[0]);
    const int room = historyGrid->width() - 2 * historyGrid->frameWidth() -
                     historyGrid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, historyGrid) - used;
    const int side = std::max(room / 2, widest({QStringLiteral("12 どら焼き 150×2 = 300")}));
    historyGrid->setColumnWidth(HistoryBeforeCol, side);
    historyGrid->setColumnWidth(HistoryAfterCol, side);
}

void HistoryWindow::showStatus(qint64 listed, const QString& problem)
{
    QString text = QStringLiteral("%1 件を表示しています。").arg(listed);
    const HistoryState state = readHistoryState();
    if (!problem.isEmpty())
        text += u'　' + problem;
    else if (state.kind != HistoryState::Usable)
        text += u'　' + state.problem;
    else if (state.partialBytes != 0)
        text += QStringLiteral("　履歴ファイルの最後の記録が途中で切れています。「検証」で確かめてください。");
    else if (state.disagrees)
        text += QStringLiteral("　履歴ファイルが件数の記録（rireki.anc）と合いません。「検証」で確かめてください。");
    if (!m_lastCheck.isEmpty())
        text += u'　' + m_lastCheck;
    statusLabel->setText(text);
    statusLabel->setToolTip(text);
}

void HistoryWindow::verify()
{
    QProgressDialog progress(QStringLiteral("履歴を検証しています…"), QString(), 0, 1000, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const HistoryCheck check = verifyHistory(
        [&](qint64 done, qint64 total) { progress.setValue(total > 0 ? int(done * 1000 / total) : 1000); });
    progress.reset();
    m_lastCheck =
        check.whole ? QStringLiteral("検証: 一致") : QStringLiteral("検証: 不一致（%1 件目）").arg(check.firstBad);
    if (!check.whole && check.firstBad == 0)
        m_lastCheck = QStringLiteral("検証: 問題あり");
    MessageBox::information(this, check.message);
    listEntries();
}

void HistoryWindow::exportCsv()
{
    const QString stem = QStringLiteral("訂正・削除履歴");
    const QString path =
        FileDialog::saveFileName(this, QStringLiteral("CSV出力"),
                                 (m_periodTag.isEmpty() ? stem : stem + u'_' + m_periodTag) + QStringLiteral(".csv"),
                                 QStringLiteral("CSV ファイル (*.csv)"));
    if (path.isEmpty())
        return;
    // The file has a row of its own for every field with its entry's keys, and a line's parts apart, unlike the
    // grid, which the eye reads entry by entry.
    GridTable table;
    GridModel model;
    Result r = buildHistoryCsvTable(filter(), table);
    if (r) {
        model.setTable(std::move(table));
        r = exportTableCsv(this, model, path);
    }
    if (!r && !r.error.isEmpty())
        MessageBox::information(this, r.error);
}

void HistoryWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
