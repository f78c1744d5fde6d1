// The report window: the boxes choose the period, the buttons the report; the rows come from reportbuilder.
#include "reports/reportwindow.h"

#include "platform/controls.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/printing.h"
#include "platform/tableexport.h"
#include "platform/twips.h"
#include "reports/reportbuilder.h"
#include "reports/selectors.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "widgets/openers.h"

#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace {

const QRect GridFrame = twipsRect(120, 120, 14775, 9495);

QFont reportFont(int points)
{
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                   QStringLiteral("Noto Sans CJK JP")});
    f.setPointSize(points);
    return f;
}

} // namespace

ReportWindow::ReportWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("ReportWindow"));
    setWindowTitle(QStringLiteral("日報"));
    setAccessibleName(QStringLiteral("日報"));
    setFixedSize(twips(15120), twips(10935));

    reportFrame = makeFrame(this, QStringLiteral("reportFrame"), QString(), QStringLiteral("帳票"), GridFrame);
    reportGrid = new Grid(reportFrame);
    reportGrid->setObjectName(QStringLiteral("reportGrid"));
    reportGrid->setAccessibleName(QStringLiteral("帳票の表"));
    reportGrid->setFont(reportFont(9));
    reportGrid->setGeometry(twipsRect(240, 360, 14295, 9015));

    periodFrame = makeFrame(this, QStringLiteral("periodFrame"), QString(), QStringLiteral("期間"),
                            twipsRect(120, 9720, 3135, 735));
    yearBox = makePeriodBox(periodFrame, QStringLiteral("yearBox"), QStringLiteral("年"), 120, 240);
    monthBox = makePeriodBox(periodFrame, QStringLiteral("monthBox"), QStringLiteral("月"), 1080, 240);
    dayBox = makePeriodBox(periodFrame, QStringLiteral("dayBox"), QStringLiteral("日"), 2040, 240);

    salesFrame = makeFrame(this, QStringLiteral("salesFrame"), QString(), QStringLiteral("売上"),
                           twipsRect(3360, 9720, 3615, 735));
    salesSlipsButton = makeButton(salesFrame, QStringLiteral("salesSlipsButton"), QStringLiteral("売上伝票一覧"),
                                  twipsRect(120, 240, 1695, 375));
    salesPerProductButton = makeButton(salesFrame, QStringLiteral("salesPerProductButton"),
                                       QStringLiteral("商品別売上数"), twipsRect(1800, 240, 1695, 375));
    purchasesFrame = makeFrame(this, QStringLiteral("purchasesFrame"), QString(), QStringLiteral("仕入"),
                               twipsRect(6960, 9720, 3615, 735));
    purchaseSlipsButton = makeButton(purchasesFrame, QStringLiteral("purchaseSlipsButton"),
                                     QStringLiteral("仕入伝票一覧"), twipsRect(120, 240, 1695, 375));
    purchasesPerItemButton = makeButton(purchasesFrame, QStringLiteral("purchasesPerItemButton"),
                                        QStringLiteral("商品別仕入数"), twipsRect(1800, 240, 1695, 375));
    // The month's sales one line per day, under the sales reports it sums up.
    daySummaryButton = makeButton(this, QStringLiteral("daySummaryButton"), QStringLiteral("日別集計"),
                                  twipsRect(3480, 10500, 1695, 375));
    for (QPushButton* b :
         {salesSlipsButton, salesPerProductButton, purchaseSlipsButton, purchasesPerItemButton, daySummaryButton})
        b->setFont(reportFont(12));

    dailyOrMonthlyFrame = makeFrame(this, QStringLiteral("dailyOrMonthlyFrame"), QString(),
                                    QStringLiteral("日報か月報か"), twipsRect(10680, 9720, 1815, 735));
    dailyButton = makePeriodOption(dailyOrMonthlyFrame, QStringLiteral("dailyButton"), QStringLiteral("日報"), 120);
    monthlyButton = makePeriodOption(dailyOrMonthlyFrame, QStringLiteral("monthlyButton"), QStringLiteral("月報"), 840);

    closeButton =
        makeButton(this, QStringLiteral("closeButton"), QStringLiteral("閉じる"), twipsRect(13320, 9960, 1575, 375));

    // Only a pick from a list rebuilds; typing waits for the next build.
    // A box also reports a pick when it loses the focus holding a list entry's text; while the window closes
    // that is no reason to read the slips again.
    for (QComboBox* combo : {yearBox, monthBox, dayBox}) {
        connect(combo, &QComboBox::activated, this, [this] {
            if (!m_closing)
                rebuild();
        });
        combo->lineEdit()->installEventFilter(this);
    }
    connect(dailyButton, &QRadioButton::clicked, this, &ReportWindow::rebuild);
    connect(monthlyButton, &QRadioButton::clicked, this, &ReportWindow::rebuild);
    connect(salesSlipsButton, &QPushButton::clicked, this, [this] { chooseReport(SalesSlipReport); });
    connect(salesPerProductButton, &QPushButton::clicked, this, [this] { chooseReport(SalesPerProductReport); });
    connect(purchaseSlipsButton, &QPushButton::clicked, this, [this] { chooseReport(PurchaseSlipReport); });
    connect(purchasesPerItemButton, &QPushButton::clicked, this, [this] { chooseReport(PurchasePerItemReport); });
    connect(daySummaryButton, &QPushButton::clicked, this, [this] { chooseReport(DaySummaryReport); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    buildOutputButtons();

    load();
}

void ReportWindow::load()
{
    fillYearList(yearBox);
    fillNumbers(monthBox, 1, 12);
    fillNumbers(dayBox, 1, 31);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    yearBox->setEditText(today.mid(0, 4));
    monthBox->setEditText(today.mid(5, 2));
    dayBox->setEditText(today.mid(8, 2));
    reportFrame->setGeometry(GridFrame);
    dailyButton->setChecked(true);
    chooseReport(SalesSlipReport);
}

void ReportWindow::chooseReport(int kind)
{
    m_reportKind = kind;
    buildReportGrid(kind);
}

void ReportWindow::buildReportGrid(int kind)
{
    if (kind < SalesSlipReport || kind > DaySummaryReport)
        return;
    reportFrame->setGeometry(GridFrame.x(), GridFrame.y(), 0, 0);
    switch (kind) {
    case SalesSlipReport:
        showSalesSlips();
        break;
    case SalesPerProductReport:
        showSalesPerProduct();
        break;
    case PurchaseSlipReport:
        showPurchaseSlips();
        break;
    case PurchasePerItemReport:
        showPurchasesPerItem();
        break;
    default:
        showReport(DaySummaryReport);
        break;
    }
    reportFrame->setGeometry(GridFrame);
}

void ReportWindow::showSalesSlips()
{
    showReport(SalesSlipReport);
}

void ReportWindow::showSalesPerProduct()
{
    showReport(SalesPerProductReport);
}

void ReportWindow::showPurchaseSlips()
{
    showReport(PurchaseSlipReport);
}

void ReportWindow::showPurchasesPerItem()
{
    showReport(PurchasePerItemReport);
}

void ReportWindow::showReport(int kind)
{
    const bool daySummary = kind == DaySummaryReport;
    const ReportPeriod period = ReportPeriod::fromTexts(yearBox->currentText(), monthBox->currentText(),
                                                        dayBox->currentText(), dailyButton->isChecked() && !daySummary);
    GridTable table;
    const Result r = buildReport(kind, period, table, RowsMade::WhenShown);
    const QStringList widest = std::move(table.widest);
    m_blockStarts = table.blockStarts;
    reportGrid->setTable(std::move(table));
    // A new list starts at its top, whatever the list before was scrolled to.
    reportGrid->scrollToTop();
    reportGrid->horizontalScrollBar()->setValue(0);
    setWindowTitle(period.daily ? QStringLiteral("日報") : QStringLiteral("月報"));
    fitReportColumns(kind, widest);
    static const char16_t* const titles[] = {u"売上伝票一覧", u"商品別売上数", u"仕入伝票一覧", u"商品別仕入数",
                                             u"日別集計"};
    m_shownTitle = QString::fromUtf16(titles[kind - SalesSlipReport]);
    m_shownPeriod = m_shownPeriodTag = QString();
    if (period.valid && period.daily) {
        m_shownPeriod = QStringLiteral("%1年%2月%3日").arg(period.year).arg(period.month).arg(period.day);
        m_shownPeriodTag = QDate(period.year, period.month, period.day).isValid()
                               ? QStringLiteral("%1-%2-%3")
                                     .arg(period.year, 4, 10, QLatin1Char('0'))
                                     .arg(period.month, 2, 10, QLatin1Char('0'))
                                     .arg(period.day, 2, 10, QLatin1Char('0'))
                               : QString();
    } else if (period.valid) {
        m_shownPeriod = QStringLiteral("%1年%2月").arg(period.year).arg(period.month);
        m_shownPeriodTag = QStringLiteral("%1-%2")
                               .arg(period.year, 4, 10, QLatin1Char('0'))
                               .arg(period.month, 2, 10, QLatin1Char('0'));
    }
    if (!r)
        MessageBox::information(this, r.error);
}

void ReportWindow::fitReportColumns(int kind, const QStringList& widest)
{
    // Amounts group their thousands; every column but the name shows its widest text whole.
    const bool daySummary = kind == DaySummaryReport;
    const bool slipList = kind == SalesSlipReport || kind == PurchaseSlipReport;
    QList<int> grouped = slipList ? QList<int>{7, 9} : QList<int>{3};
    if (daySummary) {
        grouped.clear();
        for (int c = 3; c < reportGrid->cols() - 1; ++c)
            grouped << c;
    }
    reportGrid->setGroupedCols(grouped);
    QList<int> fitted;
    for (int c = 0; c < reportGrid->cols(); ++c)
        if (daySummary || c != (slipList ? 6 : 1))
            fitted << c;
    // A month's list runs to thousands of rows: the widths come from the texts the builder noted as the widest.
    if (widest.isEmpty())
        reportGrid->fitColumns(fitted);
    else
        reportGrid->fitColumns(fitted, widest);
    // The names give up what the other columns took, down to ten characters, so that 金額 stays in view.
    if (!daySummary)
        reportGrid->squeezeIntoView(slipList ? 6 : 1, reportGrid->fontMetrics().horizontalAdvance(QString(10, u'あ')));
}

ReportWindow::~ReportWindow()
{
    m_closing = true;
}

bool ReportWindow::event(QEvent* event)
{
    if (event->type() == QEvent::Close)
        m_closing = event->isAccepted();
    else if (event->type() == QEvent::Show)
        m_closing = false;
    return QWidget::event(event);
}

bool ReportWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in a box would pick a matching list entry and so rebuild; the report waits for a pick or a button.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- the report on paper and as a CSV file

void ReportWindow::buildOutputButtons()
{
    // Below the period options, clear of the report buttons and of "閉じる".
    printButton =
        makeButton(this, QStringLiteral("printButton"), QStringLiteral("印刷"), twipsRect(11640, 10500, 1575, 375));
    csvButton =
        makeButton(this, QStringLiteral("csvButton"), QStringLiteral("CSV出力"), twipsRect(13320, 10500, 1575, 375));
    connect(printButton, &QPushButton::clicked, this, &ReportWindow::printReport);
    connect(csvButton, &QPushButton::clicked, this, &ReportWindow::exportCsv);
    historyButton = makeButton(this, QStringLiteral("historyButton"), QStringLiteral("訂正・削除履歴"),
                               twipsRect(9960, 10500, 1575, 375));
    connect(historyButton, &QPushButton::clicked, this, [] { openers().history(); });
}

// The name a saved copy is offered under: 売上伝票一覧_2026-12.
QString ReportWindow::fileStem() const
{
    return m_shownPeriodTag.isEmpty() ? m_shownTitle : m_shownTitle + u'_' + m_shownPeriodTag;
}

void ReportWindow::printReport()
{
    // A slip and the period's totals are each read as one, so no page ends inside them.
    printGrid(this, *reportGrid,
              {m_shownTitle, m_shownPeriod, SysStr[Sys::ShopName], fileStem(), m_reportKind == DaySummaryReport},
              m_blockStarts);
}

void ReportWindow::exportCsv()
{
    saveGridCsv(this, *reportGrid, fileStem() + QStringLiteral(".csv"));
}
