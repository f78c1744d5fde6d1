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
const QRect TableFrame = twipsRect(240, 120, 14058, 9004);

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
    SSTab1 = new TabStrip(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setAccessibleName(QStringLiteral("グラフと表"));
    SSTab1->setGeometry(twipsRect(120, 120, 14880, 9855));
    SSTab1->setTabs(2);
    SSTab1->setCaption(0, QStringLiteral("グラフ(F9)"));
    SSTab1->setCaption(1, QStringLiteral("表(F10)"));
    MSChart1 = new Chart(SSTab1->page(0));
    MSChart1->setObjectName(QStringLiteral("MSChart1"));
    MSChart1->setAccessibleName(QStringLiteral("グラフ"));
    MSChart1->setGeometry(twipsRect(120, 120, 14580, 9240));
    Frame4 = makeFrame(SSTab1->page(1), QStringLiteral("Frame4"), QString(), QStringLiteral("表"), TableFrame);
    MSFlexGrid1 = new Grid(Frame4);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(QStringLiteral("集計表"));
    MSFlexGrid1->setGeometry(twipsRect(120, 120, 13818, 8764));
    // Every column after the first holds money (or, per hour, people): grouped, as figures only read are.
    QList<int> figures;
    for (int c = 1; c <= 12; ++c)
        figures << c;
    MSFlexGrid1->setGroupedCols(figures);

    Frame1 =
        makeFrame(this, QStringLiteral("Frame1"), QString(), QStringLiteral("年月"), twipsRect(120, 10020, 2055, 795));
    Combo1 = makePeriodBox(Frame1, QStringLiteral("Combo1"), QStringLiteral("年"), 120, 300);
    Combo2 = makePeriodBox(Frame1, QStringLiteral("Combo2"), QStringLiteral("月"), 1080, 300);

    Frame2 = makeFrame(this, QStringLiteral("Frame2"), QString(), QStringLiteral("集計するもの"),
                       twipsRect(2280, 10020, 2775, 795));
    Check1 =
        makeChoice<QCheckBox>(Frame2, QStringLiteral("Check1"), QStringLiteral("売上"), twipsRect(120, 300, 840, 375));
    Check2 =
        makeChoice<QCheckBox>(Frame2, QStringLiteral("Check2"), QStringLiteral("仕入"), twipsRect(960, 300, 840, 375));
    Check3 =
        makeChoice<QCheckBox>(Frame2, QStringLiteral("Check3"), QStringLiteral("合計"), twipsRect(1800, 300, 840, 375));

    Frame3 = makeFrame(this, QStringLiteral("Frame3"), QString(), QStringLiteral("グラフの種類"),
                       twipsRect(5160, 10020, 2895, 795));
    Option1 = makeChoice<QRadioButton>(Frame3, QStringLiteral("Option1"), QStringLiteral("折れ線グラフ"),
                                       twipsRect(120, 300, 1455, 375));
    Option2 = makeChoice<QRadioButton>(Frame3, QStringLiteral("Option2"), QStringLiteral("棒グラフ"),
                                       twipsRect(1560, 300, 1215, 375));
    // The captions whole in the font in use: each choice as wide as it asks to be, the check boxes side by
    // side, the two chart types one above the other, each frame as wide as its choices.
    const int gap = twips(90);
    int x = gap;
    for (QCheckBox* b : {Check1, Check2, Check3}) {
        b->setGeometry(x, b->y(), b->sizeHint().width(), b->height());
        x += b->width() + gap;
    }
    Frame2->resize(x, Frame2->height());
    const int half = (Frame3->height() - 2 * twips(45)) / 2;
    int widest = 0;
    for (QRadioButton* b : {Option1, Option2})
        widest = std::max(widest, b->sizeHint().width());
    Option1->setGeometry(gap, twips(45), widest, half);
    Option2->setGeometry(gap, twips(45) + half, widest, half);
    Frame3->setGeometry(Frame2->geometry().right() + twips(105), Frame3->y(), widest + 2 * gap, Frame3->height());

    const auto button = [this](const QString& name, const QString& caption, int col, int row) {
        return makeButton(this, name, caption, twipsRect(8160 + col * 2280, 10020 + row * 420, 2220, 375));
    };
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("月間推移(F5)"), 0, 0);
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("年間推移(F6)"), 1, 0);
    Command4 = button(QStringLiteral("Command4"), QStringLiteral("月別比較(F7)"), 2, 0);
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("年度比較(F8)"), 0, 1);
    Command6 = button(QStringLiteral("Command6"), QStringLiteral("月間時間帯別来客数"), 1, 1);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("閉じる(END)"), 2, 1);
}

void GraphWindow::connectControls()
{
    connect(Command2, &QPushButton::clicked, this, &GraphWindow::monthlyTrend);
    connect(Command3, &QPushButton::clicked, this, &GraphWindow::annualTrend);
    connect(Command4, &QPushButton::clicked, this, &GraphWindow::monthComparison);
    connect(Command5, &QPushButton::clicked, this, &GraphWindow::yearComparison);
    connect(Command6, &QPushButton::clicked, this, &GraphWindow::visitorsPerHour);
    connect(Command1, &QPushButton::clicked, this, &GraphWindow::closeWindow);
    for (QCheckBox* check : {Check1, Check2, Check3})
        connect(check, &QCheckBox::clicked, this, &GraphWindow::redraw);
    connect(Option1, &QRadioButton::clicked, this, [this] {
        m_chartType = Chart::Line;
        redraw();
    });
    connect(Option2, &QRadioButton::clicked, this, [this] {
        m_chartType = Chart::Bar;
        redraw();
    });
    // A box also reports a pick when it loses the focus holding a list entry's text; while the window
    // closes (or is destroyed, its tables already gone) that is no reason to draw.
    connect(Combo1, &QComboBox::activated, this, [this] {
        if (!m_closing)
            redraw();
    });
    connect(Combo2, &QComboBox::activated, this, [this] {
        if (m_closing)
            return;
        redraw();
        Combo1->setFocus();
    });
    // The window's keys work wherever the focus is, the year box's own editing keys included.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void GraphWindow::load()
{
    if (Result r = m_tables->load(nextSlipNo(Sys::NextSalesSlipNo) - 1, nextSlipNo(Sys::NextPurchaseSlipNo) - 1); !r)
        MessageBox::information(this, r.error);
    fillYearList(Combo1);
    fillNumbers(Combo2, 1, 12);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    Combo1->setEditText(today.mid(0, 4));
    Combo2->setEditText(today.mid(5, 2));
    Check1->setChecked(true);
    Check2->setChecked(true);
    Check3->setChecked(false);
    Option1->setChecked(true);
    m_chartType = Chart::Line;
    SSTab1->setSelectedTab(0);
    drawView(MonthlyTrend);
}

void GraphWindow::drawView(int mode)
{
    m_graphMode = mode;
    Frame4->setGeometry(TableFrame.x(), TableFrame.y(), TableFrame.width(), 0);
    const GraphChoice choice{Combo1->currentText(), Combo2->currentText(), Check1->isChecked(), Check2->isChecked(),
                             Check3->isChecked()};
    m_shownChoice = choice;
    GraphView view = drawGraph(mode, *m_tables, choice);
    MSFlexGrid1->setTable(std::move(view.table));
    QList<int> all;
    for (int c = 0; c < MSFlexGrid1->cols(); ++c)
        all << c;
    MSFlexGrid1->fitColumns(all);
    MSChart1->setPoints(view.chart, m_chartType);
    Frame4->setGeometry(TableFrame);
}

void GraphWindow::choose(int mode, bool yearEnabled, bool monthEnabled)
{
    Combo1->setEnabled(yearEnabled);
    Combo2->setEnabled(monthEnabled);
    drawView(mode);
}

// The year comparison leaves the year box as it was.
void GraphWindow::yearComparison()
{
    choose(YearComparison, Combo1->isEnabled(), false);
}

void GraphWindow::showChartTab()
{
    SSTab1->setSelectedTab(0);
}

void GraphWindow::showTableTab()
{
    SSTab1->setSelectedTab(1);
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
    if (event->type() == QEvent::WindowActivate && Combo1->isEnabled())
        Combo1->setFocus();
    return QWidget::event(event);
}

bool GraphWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && dispatchKey(static_cast<QKeyEvent*>(event)))
        return true;
    if (event->type() == QEvent::FocusIn && (watched == SSTab1 || watched == SSTab1->tabBar()))
        Combo1->setFocus();
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
    CommandCsv = new QPushButton(QStringLiteral("CSV出力"), SSTab1);
    CommandCsv->setObjectName(QStringLiteral("CommandCsv"));
    CommandCsv->setAccessibleName(QStringLiteral("CSV出力"));
    CommandCsv->setAutoDefault(false);
    SSTab1->setCornerWidget(CommandCsv, Qt::TopRightCorner);
    CommandCsv->setVisible(SSTab1->selectedTab() == 1);
    connect(SSTab1, &QTabWidget::currentChanged, CommandCsv, [this](int tab) { CommandCsv->setVisible(tab == 1); });
    connect(CommandCsv, &QPushButton::clicked, this, &GraphWindow::exportCsv);
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
    saveGridCsv(this, *MSFlexGrid1, name + QStringLiteral(".csv"));
}
