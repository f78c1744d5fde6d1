// The register window: layout, keys, line entry, saving and the slip recall panel.
#include "register/registerwindow.h"

#include "app/windows.h"
#include "platform/controls.h"
#include "platform/grid.h"
#include "platform/helpviewer.h"
#include "platform/messagebox.h"
#include "platform/placement.h"
#include "platform/twips.h"
#include "register/receiptprint.h"
#include "storage/changes.h"
#include "storage/products.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/sliplist.h"
#include "storage/text.h"
#include "widgets/fieldfocus.h"
#include "widgets/numberedtabs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabBar>
#include <QTime>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

RegisterWindow* g_registerWindow = nullptr;

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
}

QFont sizedFont(const QFont& base, int pointSize, bool bold = false)
{
    QFont f = base;
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

} // namespace

SlipLines::Setup registerSlipLineSetup()
{
    SlipLines::Setup s;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    s.columns[SlipLines::Number] = {
        QStringLiteral("Text7"), QStringLiteral("番号"), QStringLiteral("Text7_0"), 120, 600,
        Qt::AlignCenter,         SlipLines::Display};
    s.columns[SlipLines::Code] = {
        QStringLiteral("Text8"), QStringLiteral("コード"), QStringLiteral("Text8_0"), 720, 700, right,
        SlipLines::Typed};
    s.columns[SlipLines::Name] = {
        QStringLiteral("Text14"), QStringLiteral("品名"), QStringLiteral("Text14_0"), 1720, 4000, left,
        SlipLines::ClickOnly};
    s.columns[SlipLines::Price] = {
        QStringLiteral("Text9"), QStringLiteral("単価"), QStringLiteral("Text9_0"), 5720, 1400, right,
        SlipLines::Typed};
    s.columns[SlipLines::Qty] = {
        QStringLiteral("Text10"), QStringLiteral("数量"), QStringLiteral("Text10_0"), 7120, 1100, right,
        SlipLines::Typed};
    s.columns[SlipLines::Amount] = {
        QStringLiteral("Text11"), QStringLiteral("金額"), QStringLiteral("Text11_0"), 8220, 1700, right,
        SlipLines::Display};
    for (int k = 1; k <= SlipLineCount; ++k)
        s.numbers << QString::number(k);
    s.headerTop = 150;
    s.headerHeight = 420;
    s.firstTop = 600;
    s.pitch = 540;
    s.lineHeight = 500;
    return s;
}

RegisterWindow::RegisterWindow(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("RegisterWindow"));
    setWindowTitle(QStringLiteral("売上登録"));
    setFixedSize(twips(15240), twips(10890));
    g_registerWindow = this;

    buildControls();
    buildCommands();
    buildRecallPanel();
    buildReceiptControls();
    buildPayment();
    installKeyTables();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &RegisterWindow::tick);

    // New settings change captions, tax display and slip number, new products the lists; a sale being keyed
    // in stays through both.
    connect(&changes(), &Changes::settingsChanged, this, &RegisterWindow::reloadSettings);
    connect(&changes(), &Changes::productsChanged, this, &RegisterWindow::listload);
    qApp->installEventFilter(this); // the next key after a sale, wherever in the window it goes

    load();
}

RegisterWindow::~RegisterWindow()
{
    if (g_registerWindow == this)
        g_registerWindow = nullptr;
}

// ---------------------------------------------------------------------------------------------------------
// Building the window

void RegisterWindow::buildControls()
{
    buildDateAndSlipNo();
    buildSlipLines();
    buildTotal();
    buildChange();
    buildWeather();
    buildProductLists();
    buildNotices();
}

void RegisterWindow::buildDateAndSlipNo()
{
    Frame1 = makeFrame(this, QStringLiteral("Frame1"), QString(), QStringLiteral("日付と時刻"),
                       twipsRect(120, 60, 5000, 780));
    Label4 = makeLabel(Frame1, QStringLiteral("Label4"), QStringLiteral("日付"), twipsRect(120, 270, 600, 420));
    Text1 = makeEdit(Frame1, QStringLiteral("Text1"), QStringLiteral("日付"), twipsRect(720, 240, 1900, 440));
    Text2 = makeDisplay(Frame1, QStringLiteral("Text2"), QStringLiteral("時刻"), twipsRect(2800, 240, 1500, 440));
    Label4->setBuddy(Text1);

    Frame4 = makeFrame(this, QStringLiteral("Frame4"), QString(), QStringLiteral("伝票番号"),
                       twipsRect(5280, 60, 3200, 780));
    Label6 = makeLabel(Frame4, QStringLiteral("Label6"), QStringLiteral("伝票番号"), twipsRect(120, 270, 1100, 420));
    Text13 = makeDisplay(Frame4, QStringLiteral("Text13"), QStringLiteral("伝票番号"), twipsRect(1300, 240, 1700, 440));
    Text13->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text13->setText(QStringLiteral("0"));
}

void RegisterWindow::buildSlipLines()
{
    Frame3 = makeFrame(this, QStringLiteral("Frame3"), QString(), QStringLiteral("伝票明細"),
                       twipsRect(120, 900, 10080, 6100));
    m_lines = new SlipLines(Frame3, registerSlipLineSetup());
    const QFont lineFont = sizedFont(font(), 13);
    for (int k = 0; k <= SlipLineCount; ++k) {
        Text7[k] = m_lines->number[k];
        Text8[k] = m_lines->code[k];
        Text14[k] = m_lines->name[k];
        Text9[k] = m_lines->price[k];
        Text10[k] = m_lines->qty[k];
        Text11[k] = m_lines->amount[k];
        if (k == 0)
            continue;
        for (QLineEdit* e : {Text7[k], Text8[k], Text14[k], Text9[k], Text10[k], Text11[k]})
            e->setFont(lineFont);
        connect(Text8[k], &QLineEdit::textChanged, this, [this, k] { codeChanged(k); });
        // What the field held before the cashier typed or scanned over it, to put back on a refusal.
        connect(qApp, &QApplication::focusChanged, Text8[k], [this, k](QWidget*, QWidget* now) {
            if (now == Text8[k])
                m_codeBefore[k] = Text8[k]->text();
        });
        connect(Text10[k], &QLineEdit::textChanged, this, [this, k] { quantityChanged(k); });
        // Between code and name: the mark of a product sold at the reduced rate.
        const SlipLines::Setup& setup = registerSlipLineSetup();
        LineMark[k] = makeLabel(Frame3, QStringLiteral("LineMark%1").arg(k), QString(),
                                twipsRect(1420, setup.firstTop + setup.pitch * (k - 1), 300, setup.lineHeight));
        LineMark[k]->setAccessibleName(QStringLiteral("軽減税率 %1 行目").arg(k));
        LineMark[k]->setAlignment(Qt::AlignCenter);
        LineMark[k]->setFont(lineFont);
    }
}

// The total with the tax contained in it.
void RegisterWindow::buildTotal()
{
    const QFont base = font();
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAccessibleName(QStringLiteral("合計"));
    Picture1->setGeometry(twipsRect(120, 7100, 5000, 1500));
    Picture1->setAutoFillBackground(true);
    QPalette p = Picture1->palette();
    p.setColor(QPalette::Window, QColor(0xf4, 0xf4, 0xe8));
    Picture1->setPalette(p);

    auto* totalCaption =
        makeLabel(Picture1, QStringLiteral("TotalCaption"), QStringLiteral("合計"), twipsRect(120, 120, 900, 420));
    totalCaption->setFont(sizedFont(base, 14, true));
    Text3 = makeDisplay(Picture1, QStringLiteral("Text3"), QStringLiteral("合計"), twipsRect(1020, 60, 3860, 840));
    Text3->setFont(sizedFont(base, 30, true));
    Text3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    totalCaption->setBuddy(Text3);
    Label10 =
        makeLabel(Picture1, QStringLiteral("Label10"), QStringLiteral("内消費税等"), twipsRect(1020, 1000, 1700, 400));
    Text17 =
        makeDisplay(Picture1, QStringLiteral("Text17"), QStringLiteral("内消費税等"), twipsRect(2800, 960, 2080, 440));
    Text17->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text3->setText(QStringLiteral("0"));
    Text17->setText(QStringLiteral("0"));
    // Under the tax, each rate's total and contained tax while a reduced rate is in use.
    Label11 = makeLabel(Picture1, QStringLiteral("Label11"), QString(), twipsRect(120, 1460, 4760, 300));
    Label11->setAccessibleName(QStringLiteral("標準税率の内訳"));
    Label12 = makeLabel(Picture1, QStringLiteral("Label12"), QString(), twipsRect(120, 1760, 4760, 300));
    Label12->setAccessibleName(QStringLiteral("軽減税率の内訳"));
    for (QLabel* l : {Label11, Label12})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

// The change for the common tenders.
void RegisterWindow::buildChange()
{
    Frame2 = makeFrame(this, QStringLiteral("Frame2"), QStringLiteral("釣り銭"), QStringLiteral("釣り銭"),
                       twipsRect(5280, 7100, 4920, 1500));
    const QFont changeFont = sizedFont(font(), 17, true);
    struct Tender
    {
        QLabel** label;
        const char* labelName;
        QLineEdit** edit;
        const char* editName;
        const char* amount;
        int left;
        int top;
    };
    const Tender tenders[] = {{&Label1, "Label1", &Text4, "Text4", "10000", 120, 300},
                              {&Label2, "Label2", &Text5, "Text5", "5000", 2500, 300},
                              {&Label3, "Label3", &Text6, "Text6", "1000", 120, 880},
                              {&Label5, "Label5", &Text12, "Text12", "500", 2500, 880}};
    for (const Tender& t : tenders) {
        const QString amount = QLatin1String(t.amount);
        *t.label = makeLabel(Frame2, QLatin1String(t.labelName), amount, twipsRect(t.left, t.top, 760, 500));
        (*t.label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        *t.edit = makeDisplay(Frame2, QLatin1String(t.editName), QStringLiteral("釣り銭 ") + amount,
                              twipsRect(t.left + 820, t.top, 1480, 520));
        (*t.edit)->setFont(changeFont);
        (*t.edit)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*t.edit)->setText(QStringLiteral("0"));
        (*t.label)->setBuddy(*t.edit);
    }
}

// The weather of the day.
void RegisterWindow::buildWeather()
{
    Frame5 = makeFrame(this, QStringLiteral("Frame5"), QStringLiteral("(F6)"), QStringLiteral("天気"),
                       twipsRect(120, 8700, 10080, 760));
    Text15 = makeEdit(Frame5, QStringLiteral("Text15"), QStringLiteral("天気"), twipsRect(120, 250, 600, 420));
    Text15->setAlignment(Qt::AlignCenter);
    Text15->setText(QStringLiteral("1"));
    const char* weathers[] = {"1:晴れ", "2:雨", "3:曇り", "4:雪", "5:台風"};
    for (int i = 0; i < 5; ++i)
        makeLabel(Frame5, QStringLiteral("WeatherLabel%1").arg(i + 1), QString::fromUtf8(weathers[i]),
                  twipsRect(900 + 1250 * i, 270, 1200, 400));
    makeLabel(Frame5, QStringLiteral("WeatherLabel6"), QStringLiteral("[(home)で戻る]"),
              twipsRect(7200, 270, 2700, 400));
}

// Product lists for looking numbers up; they only show, so the focus stays in the entry lines.
void RegisterWindow::buildProductLists()
{
    SSTab1 = new NumberedTabs(
        this, NumberedTabs::Lists,
        {QStringLiteral("List1"), QStringLiteral("List2"), QStringLiteral("List3"), QStringLiteral("List4")});
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setAccessibleName(QStringLiteral("商品一覧"));
    SSTab1->setGeometry(twipsRect(10380, 120, 4740, 5640));
    SSTab1->setFocusPolicy(Qt::NoFocus);
    SSTab1->tabBar()->setFocusPolicy(Qt::NoFocus);
    SSTab1->setFocusTarget(Text8[1]);
    for (int g = 1; g <= NumberedTabs::Tabs; ++g) {
        List[g] = SSTab1->list(g - 1);
        List[g]->setFocusPolicy(Qt::NoFocus);
    }
}

// A correction shows beside the slip number which slip it rewrites; the lists explain their mark.
void RegisterWindow::buildNotices()
{
    LabelCorrection = makeLabel(this, QStringLiteral("LabelCorrection"), QString(), twipsRect(8560, 120, 1640, 720));
    LabelCorrection->setAccessibleName(QStringLiteral("修正中の伝票"));
    LabelCorrection->setAlignment(Qt::AlignCenter);
    LabelCorrection->setFont(sizedFont(font(), 12, true));
    LabelCorrection->setStyleSheet(QStringLiteral("QLabel { background: rgb(255, 64, 64); color: white; }"));
    LabelCorrection->hide();
    // The lists are shortened by one line to make room below them.
    SSTab1->setGeometry(twipsRect(10380, 120, 4740, 5340));
    LabelReducedMark =
        makeLabel(this, QStringLiteral("LabelReducedMark"), QString(), twipsRect(10380, 5480, 4740, 380));
    LabelReducedMark->setAccessibleName(QStringLiteral("※の意味"));
}

void RegisterWindow::showCorrectionMode()
{
    LabelCorrection->setText(QStringLiteral("伝票 %1\n修正中").arg(Text13->text()));
    LabelCorrection->setVisible(m_state.correctionMode);
}

void RegisterWindow::showReducedMarkNote()
{
    LabelReducedMark->setText(
        ReducedRateInUse()
            ? QStringLiteral("※ は軽減税率（%1）の商品です。").arg(RatePercent(SysNum[Sys::ReducedTaxRate]))
            : QString());
}

void RegisterWindow::buildCommands()
{
    struct Button
    {
        int number;
        QString caption;
        void (RegisterWindow::*action)();
    };
    const Button buttons[] = {
        {2, QStringLiteral("登録（F12）"), &RegisterWindow::datwrite},
        {5, QStringLiteral("取消（ESC）"), &RegisterWindow::dataclear},
        {6, QStringLiteral("伝票の呼出（F9)"), &RegisterWindow::listopen},
        {4, QStringLiteral("グラフ（F7）"), &RegisterWindow::openGraphs},
        {1, QStringLiteral("商品設定（F8）"), nullptr},
        {7, QStringLiteral("仕入処理（F10)"), &RegisterWindow::openPurchasing},
        {10, QStringLiteral("仕入商品設定"), &RegisterWindow::openPurchaseItems},
        {9, QStringLiteral("仕入先登録"), &RegisterWindow::openSuppliers},
        {14, QStringLiteral("日報・月報"), &RegisterWindow::openReports},
        {17, QStringLiteral("データ管理"), &RegisterWindow::openDataManagement},
        {8, QStringLiteral("システム設定"), &RegisterWindow::openSystemSettings},
        {3, QStringLiteral("データ初期化"), &RegisterWindow::openDataInitialisation},
        {18, QStringLiteral("HELP"), &RegisterWindow::openHelp},
    };
    const QFont buttonFont = sizedFont(font(), 11, true);
    int i = 0;
    for (const Button& b : buttons) {
        auto* button = makeButton(this, QStringLiteral("Command%1").arg(b.number), b.caption,
                                  twipsRect(10380 + 2400 * (i % 2), 5900 + 640 * (i / 2), 2340, 580));
        button->setFont(buttonFont);
        Command[b.number] = button;
        if (b.action)
            connect(button, &QPushButton::clicked, this, b.action);
        ++i;
    }
    connect(Command[1], &QPushButton::clicked, this, [this] {
        listload();
        openProductSettings();
    });
    Command[2]->setFont(sizedFont(font(), 13, true));
    // Buttons of the design without caption or action: present, never shown.
    for (int n : {11, 12, 13, 15, 16}) {
        Command[n] = new QPushButton(this);
        Command[n]->setObjectName(QStringLiteral("Command%1").arg(n));
        Command[n]->setAccessibleName(QStringLiteral("未使用"));
        Command[n]->hide();
    }
}

void RegisterWindow::buildRecallPanel()
{
    Frame7 = new SlipListPanel({.panel = {u"Frame7"_s, u"伝票の呼出"_s, {120, 120, 15000, 10700}},
                                .grid = {u"MSFlexGrid1"_s, u"伝票一覧"_s, {120, 600, 6300, 9900}},
                                // yyyy/mm/dd is wider than 1000 twips in a legible font.
                                .widths = {1500, 1400, 1000, 1000, 1000},
                                .year = {u"Combo1"_s, u"年"_s, {7100, 600, 1400, 460}},
                                .month = {u"Combo2"_s, u"月"_s, {9100, 600, 1000, 460}},
                                .lastYear = lastListedYear(),
                                .commands = {{u"Command19"_s, u"Command20"_s, u"Command21"_s}, {6700, 1300, 1600, 600}},
                                .list = ListSalesSlips,
                                .lastSlip = LastSalesSlipNo,
                                .openOnLatest = true},
                               m_state, this);
    auto* title =
        makeLabel(Frame7, QStringLiteral("RecallTitle"), QStringLiteral("伝票の呼出"), twipsRect(120, 120, 3000, 420));
    title->setFont(sizedFont(font(), 13, true));
    MSFlexGrid1 = Frame7->grid;
    Combo1 = Frame7->yearBox;
    Combo2 = Frame7->monthBox;
    Command19 = Command[19] = Frame7->correctButton;
    Command20 = Command[20] = Frame7->deleteButton;
    Command21 = Command[21] = Frame7->closeButton;
    connect(Command19, &QPushButton::clicked, this, &RegisterWindow::correctSlip);
    connect(Command20, &QPushButton::clicked, this, &RegisterWindow::deleteSlip);
    connect(Command21, &QPushButton::clicked, this, &RegisterWindow::closeRecall);
    // Escape or "#" closes the slip list.
    // Enter on a row recalls that slip as "修正" does.
    const auto recallCurrent = [this] {
        m_state.choose(MSFlexGrid1->currentRow());
        correctSlip();
    };
    Frame7->setGridKeys({{Qt::Key_Escape, [this] { closeRecall(); }},
                         {Qt::Key_NumberSign, [this] { closeRecall(); }},
                         {Qt::Key_Return, recallCurrent},
                         {Qt::Key_Enter, recallCurrent}});
}

// ---------------------------------------------------------------------------------------------------------
// Keys

void RegisterWindow::installKeyTables()
{
    m_lines->setActions({.lookUp = [this](int k) { lookUpProduct(k); },
                         .complete = [this](int k) { completeLine(k); },
                         .keys = [this](SlipLines::Column c, int k) { return lineKeys(c, k); }});
    m_fkeyonKeys = fkeyonKeys();
    m_keyfunKeys = keyfunKeys();
    installKeys(Text15, m_fkeyonKeys);
    SSTab1->setKeys(m_fkeyonKeys);
    installKeys(Command[1], m_keyfunKeys);
}

// The code and quantity boxes' own keys; their Enter, Up, Down, Home and Left belong to the slip lines.
KeyTable RegisterWindow::lineKeys(SlipLines::Column c, int k)
{
    const KeyTable clear = {{Qt::Key_Escape, [this] { dataclear(); }}};
    const KeyTable save = {{Qt::Key_F12, [this] { datwrite(); }},
                           {Qt::Key_F5, [this] { setPaymentMethod(nextPaymentMethod(m_payment)); }},
                           {Qt::Key_F11, [this] { TextTendered->setFocus(); }}};
    if (c == SlipLines::Code)
        return KeyTable{{Qt::Key_Tab, Qt::NoModifier, [this, k] { tabFromCode(k); }}} + clear +
               KeyTable{{Qt::Key_F6, [this] { Text15->setFocus(); }}, {Qt::Key_F10, [this] { openPurchasing(); }}} +
               save + SSTab1->tabKeys() + SSTab1->pageKeys() + windowKeys();
    if (c == SlipLines::Qty)
        return clear + save + SSTab1->tabKeys() + windowKeys();
    return {};
}

// The weather field and the product list strip.
KeyTable RegisterWindow::fkeyonKeys()
{
    return KeyTable{{Qt::Key_Home, [this] { m_lines->backToLine1(); }}, {Qt::Key_F10, [this] { openPurchasing(); }}} +
           SSTab1->tabKeys() + windowKeys();
}

// The window itself and the product settings button.
KeyTable RegisterWindow::keyfunKeys()
{
    return KeyTable{{Qt::Key_Escape, [this] { dataclear(); }},
                    {Qt::Key_Home, [this] { m_lines->backToLine1(); }},
                    {Qt::Key_F10, [this] { openPurchasing(); }}} +
           windowKeys();
}

// F7, F8 and F9 work wherever the window handles keys.
KeyTable RegisterWindow::windowKeys()
{
    return {{Qt::Key_F7, [this] { openGraphs(); }},
            {Qt::Key_F8, [this] { openProductSettings(); }},
            {Qt::Key_F9, [this] { listopen(); }}};
}

bool RegisterWindow::fkeyon(QKeyEvent* event)
{
    return dispatchKey(m_fkeyonKeys, event);
}

bool RegisterWindow::keyfun(QKeyEvent* event)
{
    return dispatchKey(m_keyfunKeys, event);
}

void RegisterWindow::keyPressEvent(QKeyEvent* event)
{
    // Keys reach the window itself only when no control has taken them; a control's own keys stay its own.
    QWidget* focus = focusWidget();
    if ((!focus || focus == this) && keyfun(event))
        return;
    QWidget::keyPressEvent(event);
}

bool RegisterWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        if (m_focusOnActivate && !recallPanelOpen())
            Text8[1]->setFocus();
        m_focusOnActivate = false;
        break;
    case QEvent::WindowDeactivate:
        // Only a change to another window of the program counts, not a message box or another program.
        QTimer::singleShot(0, this, [this] {
            QWidget* active = QApplication::activeWindow();
            m_focusOnActivate = active && active != this && !qobject_cast<QMessageBox*>(active);
        });
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------------------------------------------------
// Load, clear, clock

void RegisterWindow::load()
{
    m_helpFile = AppDir + QStringLiteral("/tillhelp.chm");
    Timer1->start(500);
    // The whole entry goes, lines, names, marks, totals and a correction alike: half a sale left on screen
    // would be stored as a slip without its lines.
    dataclear();
    SSTab1->loadCaptions();
    listload();
    Text13->setText(numText(SysNum[Sys::NextSalesSlipNo]));
    m_lines->setHighlight(1, true);
    showTaxDisplay();
    Frame7->showThisMonth();
    listget();
    Frame7->collapse();
    tick();
    Text1->setEnabled(m_state.correctionMode);
    showCorrectionMode();
    showReducedMarkNote();
    CheckReceipt->setChecked(SysNum[Sys::PrintReceipt] == 1);
    Text8[1]->setFocus();
    rememberCodes();
}

void RegisterWindow::reloadSettings()
{
    SSTab1->loadCaptions();
    listload();
    showTaxDisplay();
    showTaxFigures();
    if (!m_state.correctionMode)
        Text13->setText(nextSlipNoText(m_lastSavedNo));
    showReducedMarkNote();
    CheckReceipt->setChecked(SysNum[Sys::PrintReceipt] == 1);
}

void RegisterWindow::showTaxDisplay()
{
    // Two rates need two more rows in the total box; the change and the weather make room for them.
    const bool twoRates = SysNum[Sys::SalesTaxSwitch] == 1 && ReducedRateInUse();
    const int boxHeight = twoRates ? 2100 : 1500;
    Picture1->resize(Picture1->width(), twips(boxHeight));
    Frame2->resize(Frame2->width(), twips(boxHeight));
    Frame5->move(Frame5->x(), twips(7200 + boxHeight));
    FramePay->move(FramePay->x(), twips(7200 + boxHeight + 880));
    for (QWidget* b : {CommandCash, CommandClosing})
        b->move(b->x(), twips(7200 + boxHeight + 950));
    Label11->setVisible(twoRates);
    Label12->setVisible(twoRates);
    showRateFigures(SlipRates{});

    const QRect at = Text17->geometry();
    if (SysNum[Sys::SalesTaxSwitch] == 1) {
        Label10->setText(QStringLiteral("内消費税等"));
        Text17->setText(QStringLiteral("0"));
        Text17->move(at.x(), twips(960));
    } else {
        Label10->clear();
        Text17->clear();
        Text17->move(at.x(), twips(3000));
    }
}

void RegisterWindow::showRateFigures(const SlipRates& rates)
{
    const auto row = [](const QString& mark, double rate, const RateTotal& figures) {
        return QStringLiteral("%1%2対象 %3　内消費税等 %4")
            .arg(mark, RatePercent(rate), numText(figures.total), numText(figures.tax));
    };
    Label11->setText(row(QString(), SysNum[Sys::TaxRate], rates.standard));
    Label12->setText(row(ReducedMark, SysNum[Sys::ReducedTaxRate], rates.reduced));
}

void RegisterWindow::tick()
{
    // A correction keeps the time of the sale it corrects; when it was corrected goes into the history.
    if (m_state.correctionMode)
        return;
    Text2->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
}

void RegisterWindow::dataclear()
{
    Text1->setText(today());
    m_changeKept = false;
    showChangeLabels(false);
    for (QLineEdit* e : {Text3, Text17, Text4, Text5, Text6, Text12})
        e->setText(QStringLiteral("0"));
    showRateFigures(SlipRates{});
    Text13->setText(nextSlipNoText(m_lastSavedNo));
    m_lines->clear();
    m_lines->setHighlight(1, true);
    m_state.correctionMode = false;
    m_state.stockRestore.fill(0); // an abandoned correction gives no stock back
    TextTendered->clear();
    setPaymentMethod(PaymentMethod::Cash);
    Text1->setEnabled(false);
    showCorrectionMode();
    tick(); // a recalled slip's time goes at once, not with the next tick
    Text8[1]->setFocus();
    rememberCodes();
}

// ---------------------------------------------------------------------------------------------------------
// Line entry and totals

void RegisterWindow::codeChanged(int k)
{
    if (!Text8[k]->text().isEmpty() && !codeTextKept(Text8[k]->text()))
        Text8[k]->clear();
    showLineMark(k);
}

// The mark follows the code, as the tax of the line does.
void RegisterWindow::showLineMark(int k)
{
    LineMark[k]->setText(SoldAtReducedRate(int(roundHalfEven(val(Text8[k]->text())))) ? ReducedMark : QString());
}

void RegisterWindow::quantityChanged(int k)
{
    const QString text = Text10[k]->text();
    const QString shown = quantityText(text);
    if (shown != text)
        Text10[k]->setText(shown);
}

void RegisterWindow::lookUpProduct(int k)
{
    const CodeLookUp found = lookUpCode(Text8[k]->text(), SysNum[Sys::ProductCount]);
    switch (found.kind) {
    case CodeLookUp::Nothing:
        break; // an empty field makes no 0-yen line
    case CodeLookUp::Refused:
        refuseCode(k, found.problem);
        break;
    case CodeLookUp::Product:
        showProduct(k, found.product);
        Text10[k]->setFocus();
        break;
    case CodeLookUp::Scan:
        takeScan(k, found.product);
        break;
    }
}

void RegisterWindow::tabFromCode(int k)
{
    // Passing through an unchanged line keeps a unit price the cashier overwrote.
    const CodeLookUp found =
        Text8[k]->text() == m_codeBefore[k] ? CodeLookUp{} : lookUpCode(Text8[k]->text(), SysNum[Sys::ProductCount]);
    switch (found.kind) {
    case CodeLookUp::Refused:
        refuseCode(k, found.problem);
        return;
    case CodeLookUp::Scan:
        takeScan(k, found.product);
        return;
    case CodeLookUp::Product:
        showProduct(k, found.product);
        break;
    case CodeLookUp::Nothing:
        break;
    }
    Text9[k]->setFocus(Qt::TabFocusReason);
}

void RegisterWindow::showProduct(int k, int n)
{
    Text14[k]->setText(ProductTable[n].ProductName);
    Text14[k]->setCursorPosition(0); // names carry their blank padding; show their start
    Text9[k]->setText(numText(ProductTable[n].SalePrice));
}

void RegisterWindow::takeScan(int k, int product)
{
    EntryTexts before = entryTexts();
    before.line[k].code = m_codeBefore[k];
    const ScanPlace place = placeScan(before, k, product);
    if (place.line == 0) {
        refuseCode(k, place.problem);
        return;
    }
    Text8[k]->setText(m_codeBefore[k]); // the line that takes the product gets its number below
    const int j = place.line;
    if (place.addOne) {
        Text10[j]->setText(numText(val(Text10[j]->text()) + 1));
    } else {
        Text8[j]->setText(QString::number(product));
        showProduct(j, product);
        Text10[j]->setText(QStringLiteral("1"));
    }
    completeLine(j);
    awaitScan(place.addOne ? k : std::min(j + 1, SlipLineCount));
}

void RegisterWindow::awaitScan(int k)
{
    Text8[k]->setFocus();
    Text8[k]->selectAll(); // the next scan replaces what the field shows
    m_codeBefore[k] = Text8[k]->text();
}

// The codes the program itself put in the fields are what a refusal goes back to.
void RegisterWindow::rememberCodes()
{
    for (int k = 1; k <= SlipLineCount; ++k)
        m_codeBefore[k] = Text8[k]->text();
}

void RegisterWindow::refuseCode(int k, const QString& problem)
{
    Text8[k]->setText(m_codeBefore[k]);
    awaitScan(k);
    MessageBox::information(this, problem);
    Text8[k]->setFocus();
}

// Enter in a quantity box: the line's amount and the slip's totals; the slip lines move on to the next line.
void RegisterWindow::completeLine(int k)
{
    Text11[k]->setText(numText(val(Text9[k]->text()) * val(Text10[k]->text())));
    showTotals(slipTotal(m_lines->amounts()));
}

void RegisterWindow::showTotals(double total)
{
    Text3->setText(numText(total));
    showTaxFigures();
    showChange(total);
    showChangeDue();
}

void RegisterWindow::showTaxFigures()
{
    const SlipRates rates = entryTax(entryTexts());
    if (SysNum[Sys::SalesTaxSwitch] == 1)
        Text17->setText(numText(rates.standard.tax + rates.reduced.tax));
    showRateFigures(rates);
}

void RegisterWindow::showChange(double total)
{
    const ChangeBoxes boxes = changeBoxes(total);
    QLineEdit* edits[] = {Text4, Text5, Text6, Text12};
    for (int i = 0; i < 4; ++i)
        edits[i]->setText(boxes.texts[i]);
    showChangeLabels(boxes.refund);
}

// A return has no tender to work change from: the first box shows what goes back, the others are hidden.
void RegisterWindow::showChangeLabels(bool refund)
{
    Frame2->setTitle(refund ? QStringLiteral("返金") : QStringLiteral("釣り銭"));
    Label1->setText(refund ? QStringLiteral("返金") : QStringLiteral("10000"));
    Text4->setAccessibleName(refund ? QStringLiteral("返金") : QStringLiteral("釣り銭 10000"));
    for (QWidget* w : std::initializer_list<QWidget*>{Label2, Text5, Label3, Text6, Label5, Text12})
        w->setVisible(!refund);
}

void RegisterWindow::keepChange(const EntryTexts& saved, qint64 slipNo)
{
    const double total = val(saved.total);
    showChange(total);
    Frame2->setTitle(Frame2->title() + QStringLiteral("（伝票 %1）").arg(slipNo));
    TextChangeDue->setText(changeDueText(saved.method, saved.tendered, total));
    m_changeKept = true;
}

void RegisterWindow::dropKeptChange()
{
    m_changeKept = false;
    for (QLineEdit* e : {Text4, Text5, Text6, Text12})
        e->setText(QStringLiteral("0"));
    showChangeLabels(false);
    showChangeDue();
}

bool RegisterWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (m_changeKept && event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this)
            dropKeptChange();
    }
    return QWidget::eventFilter(watched, event);
}

void RegisterWindow::listload()
{
    for (int t = 0; t < NumberedTabs::Tabs; ++t) {
        QStringList entries;
        for (int i = 0; i < NumberedTabs::PerTab; ++i) {
            const int n = NumberedTabs::numberAt(t, i);
            entries << productListEntry(n, ProductTable[n].ProductName, SoldAtReducedRate(n));
        }
        SSTab1->setListEntries(t, entries);
    }
    for (int k = 1; k <= SlipLineCount; ++k)
        showLineMark(k); // a product's mark may have changed
}

EntryTexts RegisterWindow::entryTexts() const
{
    EntryTexts e;
    e.date = Text1->text();
    e.time = Text2->text();
    e.weather = Text15->text();
    e.slipNo = Text13->text();
    e.total = Text3->text();
    for (int k = 1; k <= SlipLineCount; ++k)
        e.line[k] = {Text8[k]->text(), Text14[k]->text(), Text9[k]->text(), Text10[k]->text(), Text11[k]->text()};
    e.method = m_payment;
    e.tendered = TextTendered->text();
    return e;
}

// ---------------------------------------------------------------------------------------------------------
// Saving and deleting

void RegisterWindow::datwrite()
{
    const EntryTexts entry = entryTexts();
    const bool correction = m_state.correctionMode;
    const SaveOutcome outcome = saveSale(entry, correction, m_state.stockRestore);
    if (!outcome.saved) {
        MessageBox::information(this, outcome.error); // the entry stays for another try
        return;
    }
    m_state.correctionMode = false;
    if (!correction)
        m_lastSavedNo = outcome.slipNo;
    announceSlipChange();
    if (!outcome.error.isEmpty())
        MessageBox::information(this, outcome.error);
    if (CheckReceipt->isChecked())
        printSaleReceipt(outcome.slipNo, correction);
    dataclear();
    keepChange(entry, outcome.slipNo);
}

// Windows showing stock or slips (purchase items, the purchase picker) follow a sale at once.
void RegisterWindow::announceSlipChange()
{
    Q_EMIT changes().stockChanged();
    Q_EMIT changes().salesSlipsChanged();
}

void RegisterWindow::sdatwrite(qint64 n)
{
    const SaveOutcome outcome = deleteSale(n, m_state.stockRestore);
    m_state.stockRestore.fill(0);
    if (!outcome.error.isEmpty())
        MessageBox::information(this, outcome.error);
    // A deletion that took effect is announced even when a message came with it.
    if (outcome.saved)
        announceSlipChange();
}

int RegisterWindow::delcheck(qint64 n)
{
    if (Result r = ReadSalesSlip(n); !r) {
        MessageBox::information(this, r.error);
        return -1;
    }
    return WorkingSlip.Deleted;
}

bool RegisterWindow::datread(qint64 n)
{
    dataclear();
    m_state.stockRestore.fill(0);
    if (Result r = ReadSalesSlip(n); !r) {
        MessageBox::information(this, r.error);
        return false;
    }
    showSlip(n, WorkingSlip);
    addStockTaken(WorkingSlip, m_state.stockRestore);
    return true;
}

// A stored slip in the entry; its record number, which every stored slip also holds, as its number.
void RegisterWindow::showSlip(qint64 n, const SalesSlipRecord& slip)
{
    Text1->setText(slip.Date);
    Text2->setText(slip.Time);
    if (const int code = weatherCode(slip.Weather))
        Text15->setText(QString::number(code));
    Text13->setText(QString::number(n));
    for (int k = 1; k <= SlipLineCount; ++k) {
        const SalesSlipLine& line = slip.Line[k];
        if (storedLineEmpty(line)) {
            for (QLineEdit* e : {Text8[k], Text14[k], Text9[k], Text10[k], Text11[k]})
                e->clear();
            continue;
        }
        Text8[k]->setText(line.ProductNo == 0 ? QString() : QString::number(line.ProductNo)); // an empty line
        Text14[k]->setText(line.ProductName);
        Text14[k]->setCursorPosition(0);
        Text9[k]->setText(QString::number(line.UnitPrice));
        Text10[k]->setText(QString::number(line.Qty));
        Text11[k]->setText(numText(line.Amount));
    }
    Text3->setText(numText(slip.Total));
    // The figures the slip was stored with, until a line typed anew works them out again.
    if (SysNum[Sys::SalesTaxSwitch] == 1)
        Text17->setText(numText(slip.Tax));
    showRateFigures(storedRates(slip, SysNum[Sys::TaxRate]));
    setPaymentMethod(slip.Payment.method);
    if (slip.Payment.tendered > 0)
        TextTendered->setText(numText(slip.Payment.tendered));
}

// ---------------------------------------------------------------------------------------------------------
// Slip recall panel

bool RegisterWindow::recallPanelOpen() const
{
    return Frame7->isOpen();
}

void RegisterWindow::listget()
{
    Frame7->rebuild();
}

void RegisterWindow::listopen()
{
    listget();
    MSFlexGrid1->setFocus();
}

void RegisterWindow::closeRecall()
{
    m_state.drop();
    Text8[1]->setFocus();
    Frame7->collapse();
}

bool RegisterWindow::chosenSlipUsable()
{
    return Frame7->chosenSlipUsable([this](qint64 n) { return delcheck(n); });
}

void RegisterWindow::correctSlip()
{
    if (!chosenSlipUsable() || !datread(m_state.selectedSlipNo))
        return;
    m_state.correctionMode = true;
    m_state.drop();
    Frame7->collapse();
    Text1->setEnabled(true);
    showCorrectionMode();
    Text8[1]->setFocus();
}

void RegisterWindow::deleteSlip()
{
    if (!chosenSlipUsable() || !datread(m_state.selectedSlipNo))
        return;
    Frame7->collapse();
    Text8[1]->setFocus();
    if (MessageBox::question(this, QStringLiteral("削除しますか。"), true)) {
        sdatwrite(m_state.selectedSlipNo);
        m_state.drop();
        Frame7->collapse();
        Text8[1]->setFocus();
        dataclear();
        return;
    }
    // Left on screen, the recalled slip would save as a second copy of the same sale under a new number.
    m_state.stockRestore.fill(0);
    dataclear();
}

// ---------------------------------------------------------------------------------------------------------
// Other windows.

// ---------------------------------------------------------------------------------------------------------
// Receipts

void RegisterWindow::buildReceiptControls()
{
    // In the free place beside "HELP".
    CheckReceipt = new QCheckBox(QStringLiteral("レシート"), this);
    CheckReceipt->setObjectName(QStringLiteral("CheckReceipt"));
    CheckReceipt->setAccessibleName(QStringLiteral("レシートを印刷する"));
    CheckReceipt->setGeometry(twipsRect(12900, 9740, 2220, 580));
    CheckReceipt->setFont(sizedFont(font(), 11, true));
    CheckReceipt->setFocusPolicy(Qt::NoFocus);
    connect(CheckReceipt, &QCheckBox::clicked, this, &RegisterWindow::receiptToggled);

    CommandReissue = makeButton(Frame7, QStringLiteral("CommandReissue"), QStringLiteral("レシート再発行"),
                                twipsRect(6700, 2100, 3400, 600));
    connect(CommandReissue, &QPushButton::clicked, this, &RegisterWindow::reissueReceipt);
}

void RegisterWindow::receiptToggled(bool on)
{
    const double before = SysNum[Sys::PrintReceipt];
    SysNum[Sys::PrintReceipt] = on ? 1 : 0;
    // Only the register shows this setting, and a reload would empty the sale being keyed in, so no
    // notice goes out.
    if (Result saved = SaveSettings(); !saved) {
        SysNum[Sys::PrintReceipt] = before;
        CheckReceipt->setChecked(!on);
        MessageBox::information(this, saved.error);
    }
}

// The sale is stored before this runs; a receipt that cannot be printed is told and nothing more.
void RegisterWindow::printSaleReceipt(qint64 n, bool corrected)
{
    if (Result printed = printStoredReceipt(n, false, corrected); !printed)
        MessageBox::information(this, printed.error + QStringLiteral("\n売上は登録されています。"));
}

void RegisterWindow::reissueReceipt()
{
    if (!chosenSlipUsable())
        return;
    if (Result printed = printStoredReceipt(m_state.selectedSlipNo, true); !printed)
        MessageBox::information(this, printed.error);
}

// ---------------------------------------------------------------------------------------------------------
// Payment

void RegisterWindow::buildPayment()
{
    FramePay =
        makeFrame(this, QStringLiteral("FramePay"), QString(), QStringLiteral("支払"), twipsRect(120, 9580, 7560, 720));
    const QFont big = sizedFont(font(), 13, true);
    auto* methodCaption = makeLabel(FramePay, QStringLiteral("LabelPayMethod"), QStringLiteral("支払(F5)"),
                                    twipsRect(120, 170, 900, 420));
    TextPayMethod = makeDisplay(FramePay, QStringLiteral("TextPayMethod"), QStringLiteral("支払方法"),
                                twipsRect(1020, 110, 1800, 500));
    TextPayMethod->setFont(big);
    TextPayMethod->setAlignment(Qt::AlignCenter);
    methodCaption->setBuddy(TextPayMethod);
    auto* tenderedCaption = makeLabel(FramePay, QStringLiteral("LabelTendered"), QStringLiteral("お預り(F11)"),
                                      twipsRect(2900, 170, 1200, 420));
    TextTendered =
        makeEdit(FramePay, QStringLiteral("TextTendered"), QStringLiteral("お預り"), twipsRect(4100, 110, 1300, 500));
    TextTendered->setFont(big);
    TextTendered->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TextTendered->setFocusPolicy(Qt::ClickFocus);
    tenderedCaption->setBuddy(TextTendered);
    auto* changeCaption =
        makeLabel(FramePay, QStringLiteral("LabelChangeDue"), QStringLiteral("お釣り"), twipsRect(5480, 170, 600, 420));
    TextChangeDue = makeDisplay(FramePay, QStringLiteral("TextChangeDue"), QStringLiteral("お釣り"),
                                twipsRect(6080, 110, 1380, 500));
    TextChangeDue->setFont(big);
    TextChangeDue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    changeCaption->setBuddy(TextChangeDue);
    // Only digits, at most eight.
    TextTendered->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,8}"_s), TextTendered));
    connect(TextTendered, &QLineEdit::textChanged, this, &RegisterWindow::showChangeDue);
    installKeys(TextTendered, {{Qt::Key_Return, [this] { showChangeDue(); }},
                               {Qt::Key_F12, [this] { datwrite(); }},
                               {Qt::Key_F5, [this] { setPaymentMethod(nextPaymentMethod(m_payment)); }},
                               {Qt::Key_Escape, [this] { dataclear(); }},
                               {Qt::Key_Home, [this] { m_lines->backToLine1(); }}});

    CommandCash =
        makeButton(this, QStringLiteral("CommandCash"), QStringLiteral("入金・出金"), twipsRect(7800, 9650, 1180, 580));
    CommandClosing = makeButton(this, QStringLiteral("CommandClosing"), QStringLiteral("点検・精算"),
                                twipsRect(9020, 9650, 1180, 580));
    connect(CommandCash, &QPushButton::clicked, this, &RegisterWindow::openCashMovements);
    connect(CommandClosing, &QPushButton::clicked, this, &RegisterWindow::openClosing);
    setPaymentMethod(PaymentMethod::Cash);
}

// Only cash has an amount tendered; the other methods empty and lock the box.
void RegisterWindow::setPaymentMethod(PaymentMethod method)
{
    m_payment = method;
    TextPayMethod->setText(paymentMethodName(method));
    const bool cash = method == PaymentMethod::Cash;
    if (!cash) {
        if (TextTendered->hasFocus())
            Text8[1]->setFocus();
        TextTendered->clear();
    }
    TextTendered->setEnabled(cash);
    showChangeDue();
}

void RegisterWindow::showChangeDue()
{
    TextChangeDue->setText(changeDueText(m_payment, TextTendered->text(), val(Text3->text())));
}

void RegisterWindow::openCashMovements()
{
    Windows::cashMovements();
}

void RegisterWindow::openClosing()
{
    Windows::closing();
}

void RegisterWindow::openGraphs()
{
    Windows::graphs();
}

void RegisterWindow::openProductSettings()
{
    Windows::productSettings();
}

void RegisterWindow::openPurchasing()
{
    Windows::purchasing();
}

void RegisterWindow::openPurchaseItems()
{
    Windows::purchaseItems();
}

void RegisterWindow::openSuppliers()
{
    Windows::suppliers();
}

void RegisterWindow::openReports()
{
    Windows::reports();
}

void RegisterWindow::openDataManagement()
{
    Windows::dataManagement();
}

void RegisterWindow::openSystemSettings()
{
    Windows::systemSettings();
}

void RegisterWindow::openDataInitialisation()
{
    Windows::dataInitialisation();
}

void RegisterWindow::openHelp()
{
    HtmlHelp(this, m_helpFile, 0, 0);
}

RegisterWindow* showRegisterWindow()
{
    auto* form = new RegisterWindow;
    placeOnScreen(form, nullptr);
    form->show();
    return form;
}

RegisterWindow* registerWindow()
{
    return g_registerWindow;
}
