// The report window: the boxes choose the period, the buttons the report; the rows come from reportbuilder.
#include "reports/reportwindow.h"

#include "app/windows.h"
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

#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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

    Frame2 = makeFrame(this, QStringLiteral("Frame2"), QString(), QStringLiteral("帳票"), GridFrame);
    MSFlexGrid1 = new Grid(Frame2);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(QStringLiteral("帳票の表"));
    MSFlexGrid1->setFont(reportFont(9));
    MSFlexGrid1->setGeometry(twipsRect(240, 360, 14295, 9015));

    Frame1 =
        makeFrame(this, QStringLiteral("Frame1"), QString(), QStringLiteral("期間"), twipsRect(120, 9720, 3135, 735));
    Combo1 = makePeriodBox(Frame1, QStringLiteral("Combo1"), QStringLiteral("年"), 120, 240);
    Combo2 = makePeriodBox(Frame1, QStringLiteral("Combo2"), QStringLiteral("月"), 1080, 240);
    Combo3 = makePeriodBox(Frame1, QStringLiteral("Combo3"), QStringLiteral("日"), 2040, 240);

    Frame3 =
        makeFrame(this, QStringLiteral("Frame3"), QString(), QStringLiteral("売上"), twipsRect(3360, 9720, 3615, 735));
    Command2 =
        makeButton(Frame3, QStringLiteral("Command2"), QStringLiteral("売上伝票一覧"), twipsRect(120, 240, 1695, 375));
    Command3 =
        makeButton(Frame3, QStringLiteral("Command3"), QStringLiteral("商品別売上数"), twipsRect(1800, 240, 1695, 375));
    Frame4 =
        makeFrame(this, QStringLiteral("Frame4"), QString(), QStringLiteral("仕入"), twipsRect(6960, 9720, 3615, 735));
    Command4 =
        makeButton(Frame4, QStringLiteral("Command4"), QStringLiteral("仕入伝票一覧"), twipsRect(120, 240, 1695, 375));
    Command5 =
        makeButton(Frame4, QStringLiteral("Command5"), QStringLiteral("商品別仕入数"), twipsRect(1800, 240, 1695, 375));
    for (QPushButton* b : {Command2, Command3, Command4, Command5})
        b->setFont(reportFont(12));

    Frame5 = makeFrame(this, QStringLiteral("Frame5"), QString(), QStringLiteral("日報か月報か"),
                       twipsRect(10680, 9720, 1815, 735));
    Option1 = makePeriodOption(Frame5, QStringLiteral("Option1"), QStringLiteral("日報"), 120);
    Option2 = makePeriodOption(Frame5, QStringLiteral("Option2"), QStringLiteral("月報"), 840);

    Command1 =
        makeButton(this, QStringLiteral("Command1"), QStringLiteral("閉じる"), twipsRect(13320, 9960, 1575, 375));

    // Only a pick from a list rebuilds; typing waits for the next build.
    // A box also reports a pick when it loses the focus holding a list entry's text; while the window closes
    // that is no reason to read the slips again.
    for (QComboBox* combo : {Combo1, Combo2, Combo3}) {
        connect(combo, &QComboBox::activated, this, [this] {
            if (!m_closing)
                rebuild();
        });
        combo->lineEdit()->installEventFilter(this);
    }
    connect(Option1, &QRadioButton::clicked, this, &ReportWindow::rebuild);
    connect(Option2, &QRadioButton::clicked, this, &ReportWindow::rebuild);
    connect(Command2, &QPushButton::clicked, this, [this] { build(SalesSlipReport); });
    connect(Command3, &QPushButton::clicked, this, [this] { build(SalesPerProductReport); });
    connect(Command4, &QPushButton::clicked, this, [this] { build(PurchaseSlipReport); });
    connect(Command5, &QPushButton::clicked, this, [this] { build(PurchasePerItemReport); });
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    buildOutputButtons();

    load();
}

void ReportWindow::load()
{
    fillYearList(Combo1);
    fillNumbers(Combo2, 1, 12);
    fillNumbers(Combo3, 1, 31);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    Combo1->setEditText(today.mid(0, 4));
    Combo2->setEditText(today.mid(5, 2));
    Combo3->setEditText(today.mid(8, 2));
    Frame2->setGeometry(GridFrame);
    Option1->setChecked(true);
    build(SalesSlipReport);
}

void ReportWindow::build(int kind)
{
    m_reportKind = kind;
    g1write(kind);
}

void ReportWindow::g1write(int kind)
{
    if (kind < SalesSlipReport || kind > PurchasePerItemReport)
        return;
    Frame2->setGeometry(GridFrame.x(), GridFrame.y(), 0, 0);
    switch (kind) {
    case SalesSlipReport:
        hyowrite1();
        break;
    case SalesPerProductReport:
        hyowrite2();
        break;
    case PurchaseSlipReport:
        hyowrite3();
        break;
    default:
        hyowrite4();
        break;
    }
    Frame2->setGeometry(GridFrame);
}

void ReportWindow::hyowrite1()
{
    showReport(SalesSlipReport);
}

void ReportWindow::hyowrite2()
{
    showReport(SalesPerProductReport);
}

void ReportWindow::hyowrite3()
{
    showReport(PurchaseSlipReport);
}

void ReportWindow::hyowrite4()
{
    showReport(PurchasePerItemReport);
}

void ReportWindow::showReport(int kind)
{
    const ReportPeriod period = ReportPeriod::fromTexts(Combo1->currentText(), Combo2->currentText(),
                                                        Combo3->currentText(), Option1->isChecked());
    GridTable table;
    const Result r = buildReport(kind, period, table);
    MSFlexGrid1->setTable(std::move(table));
    // Amounts group their thousands; every column but the name shows its widest text whole.
    const bool slipList = kind == SalesSlipReport || kind == PurchaseSlipReport;
    MSFlexGrid1->setGroupedCols(slipList ? QList<int>{7, 9} : QList<int>{3});
    QList<int> fitted;
    for (int c = 0; c < MSFlexGrid1->cols(); ++c)
        if (c != (slipList ? 6 : 1))
            fitted << c;
    MSFlexGrid1->fitColumns(fitted);
    // The names give up what the other columns took, down to ten characters, so that 金額 stays in view.
    MSFlexGrid1->squeezeIntoView(slipList ? 6 : 1, MSFlexGrid1->fontMetrics().horizontalAdvance(QString(10, u'あ')));
    static const char16_t* const titles[] = {u"売上伝票一覧", u"商品別売上数", u"仕入伝票一覧", u"商品別仕入数"};
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
    CommandPrint =
        makeButton(this, QStringLiteral("CommandPrint"), QStringLiteral("印刷"), twipsRect(11640, 10500, 1575, 375));
    CommandCsv =
        makeButton(this, QStringLiteral("CommandCsv"), QStringLiteral("CSV出力"), twipsRect(13320, 10500, 1575, 375));
    connect(CommandPrint, &QPushButton::clicked, this, &ReportWindow::printReport);
    connect(CommandCsv, &QPushButton::clicked, this, &ReportWindow::exportCsv);
    CommandHistory = makeButton(this, QStringLiteral("CommandHistory"), QStringLiteral("訂正・削除履歴"),
                                twipsRect(9960, 10500, 1575, 375));
    connect(CommandHistory, &QPushButton::clicked, this, [] { Windows::history(); });
}

// The name a saved copy is offered under: 売上伝票一覧_2026-12.
QString ReportWindow::fileStem() const
{
    return m_shownPeriodTag.isEmpty() ? m_shownTitle : m_shownTitle + u'_' + m_shownPeriodTag;
}

void ReportWindow::printReport()
{
    printGrid(this, *MSFlexGrid1, {m_shownTitle, m_shownPeriod, SysStr[Sys::ShopName], fileStem()});
}

void ReportWindow::exportCsv()
{
    saveGridCsv(this, *MSFlexGrid1, fileStem() + QStringLiteral(".csv"));
}
