// The graph window: the selectors and buttons choose a view, graphdata computes it, the chart and grid show it.
#include "reports/graphwindow.h"

#include "platform/chart.h"
#include "platform/controls.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/tableexport.h"
#include "platform/tabstrip.h"
#include "platform/twips.h"
#include "reports/reportbuilder.h"
#include "reports/selectors.h"
#include "storage/settingnames.h"
#include "storage/text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <algorithm>
#include <cmath>

namespace {

// Inside the table tab: the tab control's own place for it, less the row of tabs above the page.
const QRect TableFrameRect = twipsRect(240, 120, 14058, 9004);

struct KeyAction
{
    int key;
    void (GraphWindow::*action)();
};

template <typename Button>
Button* makeChoice(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
{
    auto* b = new Button(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(caption);
    b->setGeometry(rect);
    return b;
}

} // namespace

GraphWindow::GraphWindow(QWidget* parent) : QWidget(parent, Qt::Window), m_tables(std::make_unique<GraphTables>())
{
    setObjectName(QStringLiteral("GraphWindow"));
    setWindowTitle(QStringLiteral("グラフ"));
    setAccessibleName(QStringLiteral("グラフ"));
    setFixedSize(twips(15120), twips(10935));
    buildControls();
    buildCsvButton();
    connectControls();
    load();
}

GraphWindow::~GraphWindow()
{
    m_closing = true;
}

void GraphWindow::buildControls()
{
    viewTabs = new TabStrip(this);
    viewTabs->setObjectName(QStringLiteral("viewTabs"));
    viewTabs->setAccessibleName(QStringLiteral("グラフと表"));
    viewTabs->setGeometry(twipsRect(120, 120, 14880, 9855));
    viewTabs->setTabs(2);
    viewTabs->setCaption(0, QStringLiteral("グラフ(F9)"));
    viewTabs->setCaption(1, QStringLiteral("表(F10)"));
    chartView = new Chart(viewTabs->page(0));
    chartView->setObjectName(QStringLiteral("chartView"));
    chartView->setAccessibleName(QStringLiteral("グラフ"));
    chartView->setGeometry(twipsRect(120, 120, 14580, 9240));
    tableFrame =
        makeFrame(viewTabs->page(1), QStringLiteral("tableFrame"), QString(), QStringLiteral("表"), TableFrameRect);
    tableGrid = new Grid(tableFrame);
    tableGrid->setObjectName(QStringLiteral("tableGrid"));
    tableGrid->setAccessibleName(QStringLiteral("集計表"));
    tableGrid->setGeometry(twipsRect(120, 120, 13818, 8764));
    // Every column after the first holds money (or, per hour, people): grouped, as figures only read are.
    QList<int> figures;
    for (int c = 1; c <= 12; ++c)
        figures << c;
    tableGrid->setGroupedCols(figures);

    periodFrame = makeFrame(this, QStringLiteral("periodFrame"), QString(), QStringLiteral("年月"),
                            twipsRect(120, 10020, 2055, 795));
    yearBox = makePeriodBox(periodFrame, QStringLiteral("yearBox"), QStringLiteral("年"), 120, 300);
    monthBox = makePeriodBox(periodFrame, QStringLiteral("monthBox"), QStringLiteral("月"), 1080, 300);

    seriesFrame = makeFrame(this, QStringLiteral("seriesFrame"), QString(), QStringLiteral("集計するもの"),
                            twipsRect(2280, 10020, 2775, 795));
    salesCheck = makeChoice<QCheckBox>(seriesFrame, QStringLiteral("salesCheck"), QStringLiteral("売上"),
                                       twipsRect(120, 300, 840, 375));
    purchasesCheck = makeChoice<QCheckBox>(seriesFrame, QStringLiteral("purchasesCheck"), QStringLiteral("仕入"),
                                           twipsRect(960, 300, 840, 375));
    runningTotalCheck = makeChoice<QCheckBox>(seriesFrame, QStringLiteral("runningTotalCheck"), QStringLiteral("合計"),
                                              twipsRect(1800, 300, 840, 375));
    // The caption stays 合計, the word the shop has always had on this box; the tip and the chart's title, which
    // ends in "の累計" while it is checked, say that it is a running total.
    runningTotalCheck->setToolTip(QStringLiteral("1 日ずつの値の代わりに、積み上げた累計を表示します。"));
    runningTotalCheck->setAccessibleDescription(runningTotalCheck->toolTip());

    chartTypeFrame = makeFrame(this, QStringLiteral("chartTypeFrame"), QString(), QStringLiteral("グラフの種類"),
                               twipsRect(5160, 10020, 2895, 795));
    lineChartButton = makeChoice<QRadioButton>(chartTypeFrame, QStringLiteral("lineChartButton"),
                                               QStringLiteral("折れ線グラフ"), twipsRect(120, 300, 1455, 375));
    barChartButton = makeChoice<QRadioButton>(chartTypeFrame, QStringLiteral("barChartButton"),
                                              QStringLiteral("棒グラフ"), twipsRect(1560, 300, 1215, 375));
    // The captions whole in the font in use: each choice as wide as it asks to be, the check boxes side by
    // side, the two chart types one above the other, each frame as wide as its choices.
    const int gap = twips(90);
    int x = gap;
    for (QCheckBox* b : {salesCheck, purchasesCheck, runningTotalCheck}) {
        b->setGeometry(x, b->y(), b->sizeHint().width(), b->height());
        x += b->width() + gap;
    }
    seriesFrame->resize(x, seriesFrame->height());
    const int half = (chartTypeFrame->height() - 2 * twips(45)) / 2;
    int widest = 0;
    for (QRadioButton* b : {lineChartButton, barChartButton})
        widest = std::max(widest, b->sizeHint().width());
    lineChartButton->setGeometry(gap, twips(45), widest, half);
    barChartButton->setGeometry(gap, twips(45) + half, widest, half);
    chartTypeFrame->setGeometry(seriesFrame->geometry().right() + twips(105), chartTypeFrame->y(), widest + 2 * gap,
                                chartTypeFrame->height());

    const auto button = [this](const QString& name, const QString& caption, int col, int row) {
        return makeButton(this, name, caption, twipsRect(8160 + col * 2280, 10020 + row * 420, 2220, 375));
    };
    monthlyTrendButton = button(QStringLiteral("monthlyTrendButton"), QStringLiteral("月間推移(F5)"), 0, 0);
    annualTrendButton = button(QStringLiteral("annualTrendButton"), QStringLiteral("年間推移(F6)"), 1, 0);
    monthComparisonButton = button(QStringLiteral("monthComparisonButton"), QStringLiteral("月別比較(F7)"), 2, 0);
    yearComparisonButton = button(QStringLiteral("yearComparisonButton"), QStringLiteral("年度比較(F8)"), 0, 1);
    visitorsPerHourButton = button(QStringLiteral("visitorsPerHourButton"), QStringLiteral("月間時間帯別来客数"), 1, 1);
    closeButton = button(QStringLiteral("closeButton"), QStringLiteral("閉じる(END)"), 2, 1);
}

void GraphWindow::connectControls()
{
    connect(monthlyTrendButton, &QPushButton::clicked, this, &GraphWindow::monthlyTrend);
    connect(annualTrendButton, &QPushButton::clicked, this, &GraphWindow::annualTrend);
    connect(monthComparisonButton, &QPushButton::clicked, this, &GraphWindow::monthComparison);
    connect(yearComparisonButton, &QPushButton::clicked, this, &GraphWindow::yearComparison);
    connect(visitorsPerHourButton, &QPushButton::clicked, this, &GraphWindow::visitorsPerHour);
    connect(closeButton, &QPushButton::clicked, this, &GraphWindow::closeWindow);
    for (QCheckBox* check : {salesCheck, purchasesCheck, runningTotalCheck})
        connect(check, &QCheckBox::clicked, this, &GraphWindow::redraw);
    connect(lineChartButton, &QRadioButton::clicked, this, [this] {
        m_chartType = Chart::Line;
        redraw();
    });
    connect(barChartButton, &QRadioButton::clicked, this, [this] {
        m_chartType = Chart::Bar;
        redraw();
    });
    // A box also reports a pick when it loses the focus holding a list entry's text; while the window
    // closes (or is destroyed, its tables already gone) that is no reason to draw.
    connect(yearBox, &QComboBox::activated, this, [this] {
        if (!m_closing)
            redraw();
    });
    connect(monthBox, &QComboBox::activated, this, [this] {
        if (m_closing)
            return;
        redraw();
        yearBox->setFocus();
    });
    // The window's keys work wherever the focus is, the year box's own editing keys included.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void GraphWindow::load()
{
    if (Result r = m_tables->load(nextSlipNo(Sys::NextSalesSlipNo) - 1, nextSlipNo(Sys::NextPurchaseSlipNo) - 1); !r)
        MessageBox::information(this, r.error);
    fillYearList(yearBox);
    fillNumbers(monthBox, 1, 12);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    yearBox->setEditText(today.mid(0, 4));
    monthBox->setEditText(today.mid(5, 2));
    salesCheck->setChecked(true);
    purchasesCheck->setChecked(true);
    runningTotalCheck->setChecked(false);
    lineChartButton->setChecked(true);
    m_chartType = Chart::Line;
    viewTabs->setSelectedTab(0);
    drawView(MonthlyTrend);
}

void GraphWindow::drawView(int mode)
{
    m_graphMode = mode;
    tableFrame->setGeometry(TableFrameRect.x(), TableFrameRect.y(), TableFrameRect.width(), 0);
    const GraphChoice choice{yearBox->currentText(),      monthBox->currentText(),        salesCheck->isChecked(),
                             purchasesCheck->isChecked(), runningTotalCheck->isChecked(), QDate::currentDate()};
    m_shownChoice = choice;
    GraphView view = drawGraph(mode, *m_tables, choice);
    tableGrid->setTable(std::move(view.table));
    QList<int> all;
    for (int c = 0; c < tableGrid->cols(); ++c)
        all << c;
    tableGrid->fitColumns(all);
    chartView->setPoints(view.chart, m_chartType);
    tableFrame->setGeometry(TableFrameRect);
}

void GraphWindow::choose(int mode, bool yearEnabled, bool monthEnabled)
{
    yearBox->setEnabled(yearEnabled);
    monthBox->setEnabled(monthEnabled);
    drawView(mode);
}

// The year comparison leaves the year box as it was.
void GraphWindow::yearComparison()
{
    choose(YearComparison, yearBox->isEnabled(), false);
}

void GraphWindow::showChartTab()
{
    viewTabs->setSelectedTab(0);
}

void GraphWindow::showTableTab()
{
    viewTabs->setSelectedTab(1);
}

bool GraphWindow::dispatchKey(QKeyEvent* event)
{
    static const KeyAction keys[] = {
        {Qt::Key_F5, &GraphWindow::monthlyTrend},    {Qt::Key_F6, &GraphWindow::annualTrend},
        {Qt::Key_F7, &GraphWindow::monthComparison}, {Qt::Key_F8, &GraphWindow::yearComparison},
        {Qt::Key_F9, &GraphWindow::showChartTab},    {Qt::Key_F10, &GraphWindow::showTableTab},
        {Qt::Key_End, &GraphWindow::closeWindow},
    };
    for (const KeyAction& k : keys)
        if (event->key() == k.key && event->modifiers() == Qt::NoModifier) {
            (this->*k.action)();
            return true;
        }
    // Enter in a selector would pick a list entry; like the other keys of the list it does nothing here.
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool GraphWindow::event(QEvent* event)
{
    if (event->type() == QEvent::Close)
        m_closing = event->isAccepted();
    else if (event->type() == QEvent::Show)
        m_closing = false;
    if (event->type() == QEvent::WindowActivate && yearBox->isEnabled())
        yearBox->setFocus();
    return QWidget::event(event);
}

bool GraphWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && dispatchKey(static_cast<QKeyEvent*>(event)))
        return true;
    if (event->type() == QEvent::FocusIn && (watched == viewTabs || watched == viewTabs->tabBar()))
        yearBox->setFocus();
    return QWidget::eventFilter(watched, event);
}

void GraphWindow::keyPressEvent(QKeyEvent* event)
{
    if (!dispatchKey(event))
        QWidget::keyPressEvent(event);
}

// ---- the table as a CSV file

void GraphWindow::buildCsvButton()
{
    csvButton = new QPushButton(QStringLiteral("CSV出力"), viewTabs);
    csvButton->setObjectName(QStringLiteral("csvButton"));
    csvButton->setAccessibleName(QStringLiteral("CSV出力"));
    csvButton->setAutoDefault(false);
    viewTabs->setCornerWidget(csvButton, Qt::TopRightCorner);
    csvButton->setVisible(viewTabs->selectedTab() == 1);
    connect(viewTabs, &QTabWidget::currentChanged, csvButton, [this](int tab) { csvButton->setVisible(tab == 1); });
    connect(csvButton, &QPushButton::clicked, this, &GraphWindow::exportCsv);
}

void GraphWindow::exportCsv()
{
    static const char16_t* const titles[] = {u"月間推移", u"年間推移", u"月別比較", u"年度比較", u"月間時間帯別来客数"};
    QString name = QString::fromUtf16(titles[std::clamp(m_graphMode, 0, 4)]);
    // The period as the views read it: the year box, and the month box for the views of one month.
    const double year = val(m_shownChoice.yearText);
    const double month = val(m_shownChoice.monthText);
    const bool oneMonth = m_graphMode == MonthlyTrend || m_graphMode == VisitorsPerHour;
    if (year >= 1 && year <= 9999 && year == std::floor(year)) {
        name += QStringLiteral("_%1").arg(int(year), 4, 10, QLatin1Char('0'));
        if (oneMonth && month >= 1 && month <= 12 && month == std::floor(month))
            name += QStringLiteral("-%1").arg(int(month), 2, 10, QLatin1Char('0'));
    }
    saveGridCsv(this, *tableGrid, name + QStringLiteral(".csv"));
}
