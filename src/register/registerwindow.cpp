// The register window: layout, keys, line entry, saving and the slip recall panel.
#include "register/registerwindow.h"

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
#include "widgets/openers.h"

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
#include <QShortcut>
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

// The rows under the totals, in twips: the weather and the payment, as wide as each other, and the column of
// the two drawer buttons beside them; with two rates they end 150 twips above the window's bottom edge.
constexpr int PaymentRowWidth = 8400;
constexpr int WeatherRowHeight = 680;
constexpr int PaymentRowHeight = 700;
constexpr int CommandColumnLeft = 8640;

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
    s.columns[SlipLines::Number] = {QStringLiteral("lineNumberBoxes"),
                                    QStringLiteral("番号"),
                                    QStringLiteral("lineNumberBoxes_0"),
                                    120,
                                    600,
                                    Qt::AlignCenter,
                                    SlipLines::Display};
    s.columns[SlipLines::Code] = {QStringLiteral("lineCodeBoxes"),
                                  QStringLiteral("コード"),
                                  QStringLiteral("lineCodeBoxes_0"),
                                  720,
                                  700,
                                  right,
                                  SlipLines::Typed};
    s.columns[SlipLines::Name] = {QStringLiteral("lineNameBoxes"),
                                  QStringLiteral("品名"),
                                  QStringLiteral("lineNameBoxes_0"),
                                  1720,
                                  4000,
                                  left,
                                  SlipLines::ClickOnly};
    s.columns[SlipLines::Price] = {QStringLiteral("linePriceBoxes"),
                                   QStringLiteral("単価"),
                                   QStringLiteral("linePriceBoxes_0"),
                                   5720,
                                   1400,
                                   right,
                                   SlipLines::Typed};
    s.columns[SlipLines::Qty] = {QStringLiteral("lineQuantityBoxes"),
                                 QStringLiteral("数量"),
                                 QStringLiteral("lineQuantityBoxes_0"),
                                 7120,
                                 1100,
                                 right,
                                 SlipLines::Typed};
    s.columns[SlipLines::Amount] = {QStringLiteral("lineAmountBoxes"),
                                    QStringLiteral("金額"),
                                    QStringLiteral("lineAmountBoxes_0"),
                                    8220,
                                    1700,
                                    right,
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

    clockTimer = new QTimer(this);
    clockTimer->setObjectName(QStringLiteral("clockTimer"));
    connect(clockTimer, &QTimer::timeout, this, &RegisterWindow::tick);

    // New settings change captions, tax display and slip number, new products the lists; a sale being keyed
    // in stays through both.
    connect(&changes(), &Changes::settingsChanged, this, &RegisterWindow::reloadSettings);
    connect(&changes(), &Changes::productsChanged, this, &RegisterWindow::loadProductLists);
    connect(&changes(), &Changes::salesSlipsChanged, this, &RegisterWindow::slipsChanged);
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
    dateFrame = makeFrame(this, QStringLiteral("dateFrame"), QString(), QStringLiteral("日付と時刻"),
                          twipsRect(120, 60, 5000, 780));
    dateLabel =
        makeLabel(dateFrame, QStringLiteral("dateLabel"), QStringLiteral("日付"), twipsRect(120, 270, 600, 420));
    dateBox = makeEdit(dateFrame, QStringLiteral("dateBox"), QStringLiteral("日付"), twipsRect(720, 240, 1900, 440));
    timeBox =
        makeDisplay(dateFrame, QStringLiteral("timeBox"), QStringLiteral("時刻"), twipsRect(2800, 240, 1500, 440));
    dateLabel->setBuddy(dateBox);

    slipNoFrame = makeFrame(this, QStringLiteral("slipNoFrame"), QString(), QStringLiteral("伝票番号"),
                            twipsRect(5280, 60, 3200, 780));
    slipNoLabel = makeLabel(slipNoFrame, QStringLiteral("slipNoLabel"), QStringLiteral("伝票番号"),
                            twipsRect(120, 270, 1100, 420));
    slipNoBox = makeDisplay(slipNoFrame, QStringLiteral("slipNoBox"), QStringLiteral("伝票番号"),
                            twipsRect(1300, 240, 1700, 440));
    slipNoBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    slipNoBox->setText(QStringLiteral("0"));
}

void RegisterWindow::buildSlipLines()
{
    linesFrame = makeFrame(this, QStringLiteral("linesFrame"), QString(), QStringLiteral("伝票明細"),
                           twipsRect(120, 900, 10080, 6100));
    m_lines = new SlipLines(linesFrame, registerSlipLineSetup());
    const QFont lineFont = sizedFont(font(), 13);
    for (int k = 0; k <= SlipLineCount; ++k) {
        lineNumberBoxes[k] = m_lines->number[k];
        lineCodeBoxes[k] = m_lines->code[k];
        lineNameBoxes[k] = m_lines->name[k];
        linePriceBoxes[k] = m_lines->price[k];
        lineQuantityBoxes[k] = m_lines->qty[k];
        lineAmountBoxes[k] = m_lines->amount[k];
        if (k == 0)
            continue;
        for (QLineEdit* e : {lineNumberBoxes[k], lineCodeBoxes[k], lineNameBoxes[k], linePriceBoxes[k],
                             lineQuantityBoxes[k], lineAmountBoxes[k]})
            e->setFont(lineFont);
        connect(lineCodeBoxes[k], &QLineEdit::textChanged, this, [this, k] { codeChanged(k); });
        // What the field held before the cashier typed or scanned over it, to put back on a refusal.
        connect(qApp, &QApplication::focusChanged, lineCodeBoxes[k], [this, k](QWidget*, QWidget* now) {
            if (now == lineCodeBoxes[k])
                m_codeBefore[k] = lineCodeBoxes[k]->text();
        });
        connect(lineQuantityBoxes[k], &QLineEdit::textChanged, this, [this, k] { quantityChanged(k); });
        // Between code and name: the mark of a product sold at the reduced rate.
        const SlipLines::Setup& setup = registerSlipLineSetup();
        lineMarks[k] = makeLabel(linesFrame, QStringLiteral("lineMarks_%1").arg(k), QString(),
                                 twipsRect(1420, setup.firstTop + setup.pitch * (k - 1), 300, setup.lineHeight));
        lineMarks[k]->setAccessibleName(QStringLiteral("軽減税率 %1 行目").arg(k));
        lineMarks[k]->setAlignment(Qt::AlignCenter);
        lineMarks[k]->setFont(lineFont);
    }
}

// The total with the tax contained in it.
void RegisterWindow::buildTotal()
{
    const QFont base = font();
    totalPanel = new QWidget(this);
    totalPanel->setObjectName(QStringLiteral("totalPanel"));
    totalPanel->setAccessibleName(QStringLiteral("合計"));
    totalPanel->setGeometry(twipsRect(120, 7100, 5000, 1500));
    totalPanel->setAutoFillBackground(true);
    QPalette p = totalPanel->palette();
    p.setColor(QPalette::Window, QColor(0xf4, 0xf4, 0xe8));
    totalPanel->setPalette(p);

    auto* totalCaption =
        makeLabel(totalPanel, QStringLiteral("totalLabel"), QStringLiteral("合計"), twipsRect(120, 120, 900, 420));
    totalCaption->setFont(sizedFont(base, 14, true));
    totalBox =
        makeDisplay(totalPanel, QStringLiteral("totalBox"), QStringLiteral("合計"), twipsRect(1020, 60, 3860, 840));
    totalBox->setFont(sizedFont(base, 30, true));
    totalBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    totalCaption->setBuddy(totalBox);
    containedTaxLabel = makeLabel(totalPanel, QStringLiteral("containedTaxLabel"), QStringLiteral("内消費税等"),
                                  twipsRect(1020, 1000, 1700, 400));
    containedTaxBox = makeDisplay(totalPanel, QStringLiteral("containedTaxBox"), QStringLiteral("内消費税等"),
                                  twipsRect(2800, 960, 2080, 440));
    containedTaxBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    totalBox->setText(QStringLiteral("0"));
    containedTaxBox->setText(QStringLiteral("0"));
    // Under the tax, each rate's total and contained tax while a reduced rate is in use.
    standardRateLabel =
        makeLabel(totalPanel, QStringLiteral("standardRateLabel"), QString(), twipsRect(120, 1460, 4760, 300));
    standardRateLabel->setAccessibleName(QStringLiteral("標準税率の内訳"));
    reducedRateLabel =
        makeLabel(totalPanel, QStringLiteral("reducedRateLabel"), QString(), twipsRect(120, 1760, 4760, 300));
    reducedRateLabel->setAccessibleName(QStringLiteral("軽減税率の内訳"));
    for (QLabel* l : {standardRateLabel, reducedRateLabel})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

// The change for the common tenders.
void RegisterWindow::buildChange()
{
    changeFrame = makeFrame(this, QStringLiteral("changeFrame"), QStringLiteral("釣り銭"), QStringLiteral("釣り銭"),
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
    const Tender tenders[] = {
        {&change10000Label, "change10000Label", &change10000Box, "change10000Box", "10000", 120, 300},
        {&change5000Label, "change5000Label", &change5000Box, "change5000Box", "5000", 2500, 300},
        {&change1000Label, "change1000Label", &change1000Box, "change1000Box", "1000", 120, 880},
        {&change500Label, "change500Label", &change500Box, "change500Box", "500", 2500, 880}};
    for (const Tender& t : tenders) {
        const QString amount = QLatin1String(t.amount);
        *t.label = makeLabel(changeFrame, QLatin1String(t.labelName), amount, twipsRect(t.left, t.top, 760, 500));
        (*t.label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        *t.edit = makeDisplay(changeFrame, QLatin1String(t.editName), QStringLiteral("釣り銭 ") + amount,
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
    // As wide as the payment row under it; "入金・出金" and "点検・精算" stand to the right of the two.
    weatherFrame = makeFrame(this, QStringLiteral("weatherFrame"), QStringLiteral("(F6)"), QStringLiteral("天気"),
                             twipsRect(120, 8700, PaymentRowWidth, WeatherRowHeight));
    weatherBox =
        makeEdit(weatherFrame, QStringLiteral("weatherBox"), QStringLiteral("天気"), twipsRect(120, 220, 600, 420));
    weatherBox->setAlignment(Qt::AlignCenter);
    weatherBox->setText(QStringLiteral("1"));
    const char* weathers[] = {"1:晴れ", "2:雨", "3:曇り", "4:雪", "5:台風"};
    for (int i = 0; i < 5; ++i)
        makeLabel(weatherFrame, QStringLiteral("weatherLabels_%1").arg(i + 1), QString::fromUtf8(weathers[i]),
                  twipsRect(900 + 1150 * i, 230, 1100, 400));
    makeLabel(weatherFrame, QStringLiteral("weatherLabels_6"), QStringLiteral("[(home)で戻る]"),
              twipsRect(6600, 230, 1700, 400));
}

// Product lists for looking numbers up; they only show, so the focus stays in the entry lines.
void RegisterWindow::buildProductLists()
{
    productTabs = new NumberedTabs(this, NumberedTabs::Lists,
                                   {QStringLiteral("productLists_1"), QStringLiteral("productLists_2"),
                                    QStringLiteral("productLists_3"), QStringLiteral("productLists_4")});
    productTabs->setObjectName(QStringLiteral("productTabs"));
    productTabs->setAccessibleName(QStringLiteral("商品一覧"));
    productTabs->setGeometry(twipsRect(10380, 120, 4740, 5640));
    productTabs->setFocusPolicy(Qt::NoFocus);
    productTabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    productTabs->setFocusTarget(lineCodeBoxes[1]);
    for (int g = 1; g <= NumberedTabs::Tabs; ++g) {
        productLists[g] = productTabs->list(g - 1);
        productLists[g]->setFocusPolicy(Qt::NoFocus);
        // A long name is shown whole, the list scrolling sideways for it, rather than cut short with "…".
        productLists[g]->setTextElideMode(Qt::ElideNone);
    }
}

// A correction shows beside the slip number which slip it rewrites; the lists explain their mark.
void RegisterWindow::buildNotices()
{
    correctionNotice = makeLabel(this, QStringLiteral("correctionNotice"), QString(), twipsRect(8560, 120, 1640, 720));
    correctionNotice->setAccessibleName(QStringLiteral("修正中の伝票"));
    correctionNotice->setAlignment(Qt::AlignCenter);
    correctionNotice->setFont(sizedFont(font(), 12, true));
    correctionNotice->setStyleSheet(QStringLiteral("QLabel { background: rgb(255, 64, 64); color: white; }"));
    correctionNotice->hide();
    // The lists are shortened by one line to make room below them.
    productTabs->setGeometry(twipsRect(10380, 120, 4740, 5340));
    reducedMarkNote = makeLabel(this, QStringLiteral("reducedMarkNote"), QString(), twipsRect(10380, 5480, 4740, 380));
    reducedMarkNote->setAccessibleName(QStringLiteral("※の意味"));
}

void RegisterWindow::showCorrectionMode()
{
    correctionNotice->setText(QStringLiteral("伝票 %1\n修正中").arg(slipNoBox->text()));
    correctionNotice->setVisible(m_state.correctionMode);
}

void RegisterWindow::showReducedMarkNote()
{
    reducedMarkNote->setText(
        ReducedRateInUse()
            ? QStringLiteral("※ は軽減税率（%1）の商品です。").arg(RatePercent(SysNum[Sys::ReducedTaxRate]))
            : QString());
}

void RegisterWindow::buildCommands()
{
    struct Button
    {
        QPushButton* RegisterWindow::*member;
        QString name;
        QString caption;
        void (RegisterWindow::*action)();
    };
    const Button buttons[] = {
        {&RegisterWindow::saveButton, u"saveButton"_s, QStringLiteral("登録（F12）"), &RegisterWindow::saveEntry},
        {&RegisterWindow::clearButton, u"clearButton"_s, QStringLiteral("取消（ESC）"), &RegisterWindow::clearEntry},
        {&RegisterWindow::recallButton, u"recallButton"_s, QStringLiteral("伝票の呼出（F9)"),
         &RegisterWindow::openSlipList},
        {&RegisterWindow::graphsButton, u"graphsButton"_s, QStringLiteral("グラフ（F7）"), &RegisterWindow::openGraphs},
        {&RegisterWindow::productSettingsButton, u"productSettingsButton"_s, QStringLiteral("商品設定（F8）"), nullptr},
        {&RegisterWindow::purchasingButton, u"purchasingButton"_s, QStringLiteral("仕入処理（F10)"),
         &RegisterWindow::openPurchasing},
        {&RegisterWindow::purchaseItemsButton, u"purchaseItemsButton"_s, QStringLiteral("仕入商品設定"),
         &RegisterWindow::openPurchaseItems},
        {&RegisterWindow::suppliersButton, u"suppliersButton"_s, QStringLiteral("仕入先登録"),
         &RegisterWindow::openSuppliers},
        {&RegisterWindow::reportsButton, u"reportsButton"_s, QStringLiteral("日報・月報"),
         &RegisterWindow::openReports},
        {&RegisterWindow::dataManagementButton, u"dataManagementButton"_s, QStringLiteral("データ管理"),
         &RegisterWindow::openDataManagement},
        {&RegisterWindow::systemSettingsButton, u"systemSettingsButton"_s, QStringLiteral("システム設定"),
         &RegisterWindow::openSystemSettings},
        {&RegisterWindow::dataInitialisationButton, u"dataInitialisationButton"_s, QStringLiteral("データ初期化"),
         &RegisterWindow::openDataInitialisation},
        {&RegisterWindow::helpButton, u"helpButton"_s, QStringLiteral("HELP"), &RegisterWindow::openHelp},
    };
    const QFont buttonFont = sizedFont(font(), 11, true);
    int i = 0;
    for (const Button& b : buttons) {
        auto* button =
            makeButton(this, b.name, b.caption, twipsRect(10380 + 2400 * (i % 2), 5900 + 640 * (i / 2), 2340, 580));
        button->setFont(buttonFont);
        this->*b.member = button;
        if (b.action)
            connect(button, &QPushButton::clicked, this, b.action);
        ++i;
    }
    connect(productSettingsButton, &QPushButton::clicked, this, [this] {
        loadProductLists();
        openProductSettings();
    });
    saveButton->setFont(sizedFont(font(), 13, true));
}

void RegisterWindow::buildRecallPanel()
{
    recallPanel = new SlipListPanel(
        {.panel = {u"recallPanel"_s, u"伝票の呼出"_s, {120, 120, 15000, 10700}},
         .grid = {u"slipGrid"_s, u"伝票一覧"_s, {120, 600, 8100, 9900}},
         // yyyy/mm/dd is wider than 1000 twips in a legible font, and so is "QRコード決済".
         .widths = {1500, 1400, 1000, 1200, 800, 1700},
         .year = {u"recallYearBox"_s, u"年"_s, {8900, 600, 1400, 460}},
         .month = {u"recallMonthBox"_s, u"月"_s, {10900, 600, 1000, 460}},
         .lastYear = lastListedYear(),
         .commands = {{u"correctButton"_s, u"deleteButton"_s, u"closeRecallButton"_s}, {8500, 1300, 1600, 600}},
         .list = ListSalesSlips,
         .lastSlip = LastSalesSlipNo,
         .openOnLatest = true,
         .paymentColumn = true},
        m_state, this);
    auto* title = makeLabel(recallPanel, QStringLiteral("recallTitle"), QStringLiteral("伝票の呼出"),
                            twipsRect(120, 120, 3000, 420));
    title->setFont(sizedFont(font(), 13, true));
    slipGrid = recallPanel->grid;
    recallYearBox = recallPanel->yearBox;
    recallMonthBox = recallPanel->monthBox;
    correctButton = recallPanel->correctButton;
    deleteButton = recallPanel->deleteButton;
    closeRecallButton = recallPanel->closeButton;
    connect(correctButton, &QPushButton::clicked, this, &RegisterWindow::correctSlip);
    connect(deleteButton, &QPushButton::clicked, this, &RegisterWindow::deleteSlip);
    connect(closeRecallButton, &QPushButton::clicked, this, &RegisterWindow::closeRecall);
    // Escape closes the slip list from any of its controls, "#" from the grid.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), recallPanel);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &RegisterWindow::closeRecall);
    // Enter on a row recalls that slip as "修正" does.
    const auto recallCurrent = [this] {
        m_state.choose(slipGrid->currentRow());
        correctSlip();
    };
    recallPanel->setGridKeys({{Qt::Key_Escape, [this] { closeRecall(); }},
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
    m_listStripKeys = listStripKeys();
    m_ownKeys = ownKeys();
    installKeys(weatherBox, m_listStripKeys);
    productTabs->setKeys(m_listStripKeys);
    installKeys(productSettingsButton, m_ownKeys);
}

// The code and quantity boxes' own keys; their Enter, Up, Down, Home and Left belong to the slip lines.
KeyTable RegisterWindow::lineKeys(SlipLines::Column c, int k)
{
    const KeyTable clear = {{Qt::Key_Escape, [this] { clearEntry(); }}};
    const KeyTable save = {{Qt::Key_F12, [this] { saveEntry(); }},
                           {Qt::Key_F5, [this] { setPaymentMethod(nextPaymentMethod(m_payment)); }},
                           {Qt::Key_F11, [this] { tenderedBox->setFocus(); }}};
    if (c == SlipLines::Code)
        return KeyTable{{Qt::Key_Tab, Qt::NoModifier, [this, k] { tabFromCode(k); }}} + clear +
               KeyTable{{Qt::Key_F6, [this] { weatherBox->setFocus(); }}, {Qt::Key_F10, [this] { openPurchasing(); }}} +
               save + productTabs->tabKeys() + productTabs->pageKeys() + windowKeys();
    if (c == SlipLines::Qty)
        return clear + save + productTabs->tabKeys() + windowKeys();
    return {};
}

// The weather field and the product list strip.
KeyTable RegisterWindow::listStripKeys()
{
    return KeyTable{{Qt::Key_Home, [this] { m_lines->backToLine1(); }}, {Qt::Key_F10, [this] { openPurchasing(); }}} +
           productTabs->tabKeys() + windowKeys();
}

// The window itself and the product settings button.
KeyTable RegisterWindow::ownKeys()
{
    return KeyTable{{Qt::Key_Escape, [this] { clearEntry(); }},
                    {Qt::Key_Home, [this] { m_lines->backToLine1(); }},
                    {Qt::Key_F10, [this] { openPurchasing(); }}} +
           windowKeys();
}

// F7, F8 and F9 work wherever the window handles keys.
KeyTable RegisterWindow::windowKeys()
{
    return {{Qt::Key_F7, [this] { openGraphs(); }},
            {Qt::Key_F8, [this] { openProductSettings(); }},
            {Qt::Key_F9, [this] { openSlipList(); }}};
}

bool RegisterWindow::handleListStripKey(QKeyEvent* event)
{
    return dispatchKey(m_listStripKeys, event);
}

bool RegisterWindow::handleWindowKey(QKeyEvent* event)
{
    return dispatchKey(m_ownKeys, event);
}

void RegisterWindow::keyPressEvent(QKeyEvent* event)
{
    // Keys reach the window itself only when no control has taken them; a control's own keys stay its own.
    QWidget* focus = focusWidget();
    if ((!focus || focus == this) && handleWindowKey(event))
        return;
    QWidget::keyPressEvent(event);
}

bool RegisterWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        if (m_focusOnActivate && !recallPanelOpen())
            lineCodeBoxes[1]->setFocus();
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
    clockTimer->start(500);
    // The whole entry goes, lines, names, marks, totals and a correction alike: half a sale left on screen
    // would be stored as a slip without its lines.
    clearEntry();
    productTabs->loadCaptions();
    loadProductLists();
    slipNoBox->setText(numText(SysNum[Sys::NextSalesSlipNo]));
    m_lines->setHighlight(1, true);
    showTaxDisplay();
    recallPanel->showThisMonth();
    refreshSlipList();
    recallPanel->collapse();
    tick();
    dateBox->setEnabled(m_state.correctionMode);
    showCorrectionMode();
    showReducedMarkNote();
    receiptCheck->setChecked(SysNum[Sys::PrintReceipt] == 1);
    lineCodeBoxes[1]->setFocus();
    rememberCodes();
}

void RegisterWindow::reloadSettings()
{
    productTabs->loadCaptions();
    loadProductLists();
    showTaxDisplay();
    showTaxFigures();
    if (!m_state.correctionMode)
        slipNoBox->setText(nextSlipNoText(m_lastSavedNo));
    showReducedMarkNote();
    receiptCheck->setChecked(SysNum[Sys::PrintReceipt] == 1);
}

void RegisterWindow::showTaxDisplay()
{
    // Two rates need two more rows in the total box; the change and the weather make room for them.
    const bool twoRates = SysNum[Sys::SalesTaxSwitch] == 1 && ReducedRateInUse();
    const int boxHeight = twoRates ? 2100 : 1500;
    totalPanel->resize(totalPanel->width(), twips(boxHeight));
    changeFrame->resize(changeFrame->width(), twips(boxHeight));
    const int weatherTop = 7200 + boxHeight;
    const int paymentTop = weatherTop + WeatherRowHeight + 60;
    weatherFrame->move(weatherFrame->x(), twips(weatherTop));
    paymentFrame->move(paymentFrame->x(), twips(paymentTop));
    cashButton->move(cashButton->x(), twips(weatherTop + 50));
    closingButton->move(closingButton->x(), twips(paymentTop + 50));
    standardRateLabel->setVisible(twoRates);
    reducedRateLabel->setVisible(twoRates);
    showRateFigures(SlipRates{});

    const QRect at = containedTaxBox->geometry();
    if (SysNum[Sys::SalesTaxSwitch] == 1) {
        containedTaxLabel->setText(QStringLiteral("内消費税等"));
        containedTaxBox->setText(QStringLiteral("0"));
        containedTaxBox->move(at.x(), twips(960));
    } else {
        containedTaxLabel->clear();
        containedTaxBox->clear();
        containedTaxBox->move(at.x(), twips(3000));
    }
}

void RegisterWindow::showRateFigures(const SlipRates& rates)
{
    const auto row = [](const QString& mark, double rate, const RateTotal& figures) {
        return QStringLiteral("%1%2対象 %3　内消費税等 %4")
            .arg(mark, RatePercent(rate), groupedNumber(figures.total), groupedNumber(figures.tax));
    };
    standardRateLabel->setText(row(QString(), SysNum[Sys::TaxRate], rates.standard));
    reducedRateLabel->setText(row(ReducedMark, SysNum[Sys::ReducedTaxRate], rates.reduced));
}

void RegisterWindow::tick()
{
    // A correction keeps the time of the sale it corrects; when it was corrected goes into the history.
    if (m_state.correctionMode)
        return;
    timeBox->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
}

void RegisterWindow::clearEntry()
{
    dateBox->setText(today());
    m_changeKept = false;
    showChangeLabels(false);
    for (QLineEdit* e : {totalBox, containedTaxBox, change10000Box, change5000Box, change1000Box, change500Box})
        e->setText(QStringLiteral("0"));
    m_total = 0;
    showRateFigures(SlipRates{});
    slipNoBox->setText(nextSlipNoText(m_lastSavedNo));
    m_lines->clear();
    m_lines->setHighlight(1, true);
    m_state.correctionMode = false;
    m_state.stockRestore.fill(0); // an abandoned correction gives no stock back
    tenderedBox->clear();
    setPaymentMethod(PaymentMethod::Cash);
    dateBox->setEnabled(false);
    showCorrectionMode();
    tick(); // a recalled slip's time goes at once, not with the next tick
    lineCodeBoxes[1]->setFocus();
    rememberCodes();
}

void RegisterWindow::startOver()
{
    QWidget* previous = nullptr;
    for (int k = 1; k <= SlipLineCount; ++k)
        for (QWidget* w : {static_cast<QWidget*>(lineCodeBoxes[k]), static_cast<QWidget*>(linePriceBoxes[k]),
                           static_cast<QWidget*>(lineQuantityBoxes[k])}) {
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
        }
    productTabs->setSelectedTab(0);
    // Empties the lines, shows the next slip number, marks line 1 and puts the cursor in its code field; it also
    // zeroes the totals and ends a correction, which emptied lines could no longer stand for.
    clearEntry();
}

void RegisterWindow::slipsChanged()
{
    if (SysNum[Sys::NextSalesSlipNo] <= 1)
        startOver();
}

// ---------------------------------------------------------------------------------------------------------
// Line entry and totals

void RegisterWindow::codeChanged(int k)
{
    if (!lineCodeBoxes[k]->text().isEmpty() && !codeTextKept(lineCodeBoxes[k]->text()))
        lineCodeBoxes[k]->clear();
    showLineMark(k);
}

// The mark follows the code, as the tax of the line does.
void RegisterWindow::showLineMark(int k)
{
    lineMarks[k]->setText(SoldAtReducedRate(int(roundHalfEven(val(lineCodeBoxes[k]->text())))) ? ReducedMark
                                                                                               : QString());
}

void RegisterWindow::quantityChanged(int k)
{
    const QString text = lineQuantityBoxes[k]->text();
    const QString shown = quantityText(text);
    if (shown != text)
        lineQuantityBoxes[k]->setText(shown);
}

void RegisterWindow::lookUpProduct(int k)
{
    const CodeLookUp found = lookUpCode(lineCodeBoxes[k]->text(), SysNum[Sys::ProductCount]);
    switch (found.kind) {
    case CodeLookUp::Nothing:
        break; // an empty field makes no 0-yen line
    case CodeLookUp::Refused:
        refuseCode(k, found.problem);
        break;
    case CodeLookUp::Product:
        showProduct(k, found.product);
        lineQuantityBoxes[k]->setFocus();
        break;
    case CodeLookUp::Scan:
        takeScan(k, found.product);
        break;
    }
}

void RegisterWindow::tabFromCode(int k)
{
    // Passing through an unchanged line keeps a unit price the cashier overwrote.
    const CodeLookUp found = lineCodeBoxes[k]->text() == m_codeBefore[k]
                                 ? CodeLookUp{}
                                 : lookUpCode(lineCodeBoxes[k]->text(), SysNum[Sys::ProductCount]);
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
    linePriceBoxes[k]->setFocus(Qt::TabFocusReason);
}

void RegisterWindow::showProduct(int k, int n)
{
    lineNameBoxes[k]->setText(ProductTable[n].ProductName);
    lineNameBoxes[k]->setCursorPosition(0); // names carry their blank padding; show their start
    linePriceBoxes[k]->setText(numText(ProductTable[n].SalePrice));
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
    lineCodeBoxes[k]->setText(m_codeBefore[k]); // the line that takes the product gets its number below
    const int j = place.line;
    if (place.addOne) {
        lineQuantityBoxes[j]->setText(numText(val(lineQuantityBoxes[j]->text()) + 1));
    } else {
        lineCodeBoxes[j]->setText(QString::number(product));
        showProduct(j, product);
        lineQuantityBoxes[j]->setText(QStringLiteral("1"));
    }
    completeLine(j);
    awaitScan(place.addOne ? k : std::min(j + 1, SlipLineCount));
}

void RegisterWindow::awaitScan(int k)
{
    lineCodeBoxes[k]->setFocus();
    lineCodeBoxes[k]->selectAll(); // the next scan replaces what the field shows
    m_codeBefore[k] = lineCodeBoxes[k]->text();
}

// The codes the program itself put in the fields are what a refusal goes back to.
void RegisterWindow::rememberCodes()
{
    for (int k = 1; k <= SlipLineCount; ++k)
        m_codeBefore[k] = lineCodeBoxes[k]->text();
}

void RegisterWindow::refuseCode(int k, const QString& problem)
{
    lineCodeBoxes[k]->setText(m_codeBefore[k]);
    awaitScan(k);
    MessageBox::information(this, problem);
    lineCodeBoxes[k]->setFocus();
}

// Enter in a quantity box: the line's amount and the slip's totals; the slip lines move on to the next line.
void RegisterWindow::completeLine(int k)
{
    lineAmountBoxes[k]->setText(numText(val(linePriceBoxes[k]->text()) * val(lineQuantityBoxes[k]->text())));
    showTotals(slipTotal(m_lines->amounts()));
}

void RegisterWindow::showTotals(double total)
{
    showTotal(total);
    showTaxFigures();
    showChange(total);
    showChangeDue();
}

// The total box only shows; the value it stands for is kept apart, so its grouped text is never read back.
void RegisterWindow::showTotal(double total)
{
    m_total = total;
    totalBox->setText(groupedNumber(total));
}

void RegisterWindow::showTaxFigures()
{
    const SlipRates rates = entryTax(entryTexts());
    if (SysNum[Sys::SalesTaxSwitch] == 1)
        containedTaxBox->setText(groupedNumber(rates.standard.tax + rates.reduced.tax));
    showRateFigures(rates);
}

void RegisterWindow::showChange(double total)
{
    const ChangeBoxes boxes = changeBoxes(total);
    QLineEdit* edits[] = {change10000Box, change5000Box, change1000Box, change500Box};
    for (int i = 0; i < 4; ++i)
        edits[i]->setText(boxes.texts[i]);
    showChangeLabels(boxes.refund);
}

// A return has no tender to work change from: the first box shows what goes back, the others are hidden.
void RegisterWindow::showChangeLabels(bool refund)
{
    changeFrame->setTitle(refund ? QStringLiteral("返金") : QStringLiteral("釣り銭"));
    change10000Label->setText(refund ? QStringLiteral("返金") : QStringLiteral("10000"));
    change10000Box->setAccessibleName(refund ? QStringLiteral("返金") : QStringLiteral("釣り銭 10000"));
    for (QWidget* w : std::initializer_list<QWidget*>{change5000Label, change5000Box, change1000Label, change1000Box,
                                                      change500Label, change500Box})
        w->setVisible(!refund);
}

void RegisterWindow::keepChange(const EntryTexts& saved, qint64 slipNo)
{
    const double total = val(saved.total);
    showChange(total);
    changeFrame->setTitle(changeFrame->title() + QStringLiteral("（伝票 %1）").arg(slipNo));
    changeDueBox->setText(changeDueText(saved.method, saved.tendered, total));
    m_changeKept = true;
}

void RegisterWindow::dropKeptChange()
{
    m_changeKept = false;
    for (QLineEdit* e : {change10000Box, change5000Box, change1000Box, change500Box})
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

void RegisterWindow::loadProductLists()
{
    for (int t = 0; t < NumberedTabs::Tabs; ++t) {
        QStringList entries;
        for (int i = 0; i < NumberedTabs::PerTab; ++i) {
            const int n = NumberedTabs::numberAt(t, i);
            entries << productListEntry(n, ProductTable[n].ProductName, SoldAtReducedRate(n));
        }
        productTabs->setListEntries(t, entries);
    }
    for (int k = 1; k <= SlipLineCount; ++k)
        showLineMark(k); // a product's mark may have changed
}

EntryTexts RegisterWindow::entryTexts() const
{
    EntryTexts e;
    e.date = dateBox->text();
    e.time = timeBox->text();
    e.weather = weatherBox->text();
    e.slipNo = slipNoBox->text();
    e.total = numText(m_total);
    for (int k = 1; k <= SlipLineCount; ++k)
        e.line[k] = {lineCodeBoxes[k]->text(), lineNameBoxes[k]->text(), linePriceBoxes[k]->text(),
                     lineQuantityBoxes[k]->text(), lineAmountBoxes[k]->text()};
    e.method = m_payment;
    e.tendered = tenderedBox->text();
    return e;
}

// ---------------------------------------------------------------------------------------------------------
// Saving and deleting

void RegisterWindow::saveEntry()
{
    const EntryTexts entry = entryTexts();
    const bool correction = m_state.correctionMode;
    const SaveOutcome outcome = saveSale(entry, correction, m_state.stockRestore, m_state.recalled);
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
    if (receiptCheck->isChecked())
        printSaleReceipt(outcome.slipNo, correction);
    clearEntry();
    keepChange(entry, outcome.slipNo);
}

// Windows showing stock or slips (purchase items, the purchase picker) follow a sale at once.
void RegisterWindow::announceSlipChange()
{
    Q_EMIT changes().stockChanged();
    Q_EMIT changes().salesSlipsChanged();
}

void RegisterWindow::deleteStoredSlip(qint64 n)
{
    const SaveOutcome outcome = deleteSale(n, m_state.stockRestore);
    m_state.stockRestore.fill(0);
    if (!outcome.error.isEmpty())
        MessageBox::information(this, outcome.error);
    // A deletion that took effect is announced even when a message came with it.
    if (outcome.saved)
        announceSlipChange();
}

int RegisterWindow::slipDeletionMark(qint64 n)
{
    const ResultWith<SalesSlipRecord> stored = ReadSalesSlip(n);
    if (!stored) {
        MessageBox::information(this, stored.error);
        return -1;
    }
    return stored.value.Deleted;
}

bool RegisterWindow::recallSlip(qint64 n)
{
    clearEntry();
    m_state.stockRestore.fill(0);
    ResultWith<SalesSlipRecord> stored = ReadSalesSlip(n);
    if (!stored) {
        MessageBox::information(this, stored.error);
        return false;
    }
    m_state.recalled = std::move(stored.value);
    showSlip(n, m_state.recalled);
    addStockTaken(m_state.recalled, m_state.stockRestore);
    return true;
}

// A stored slip in the entry; its record number, which every stored slip also holds, as its number.
void RegisterWindow::showSlip(qint64 n, const SalesSlipRecord& slip)
{
    dateBox->setText(slip.Date);
    timeBox->setText(slip.Time);
    if (const int code = weatherCode(slip.Weather))
        weatherBox->setText(QString::number(code));
    slipNoBox->setText(QString::number(n));
    for (int k = 1; k <= SlipLineCount; ++k) {
        const SalesSlipLine& line = slip.Line[k];
        if (storedLineEmpty(line)) {
            for (QLineEdit* e :
                 {lineCodeBoxes[k], lineNameBoxes[k], linePriceBoxes[k], lineQuantityBoxes[k], lineAmountBoxes[k]})
                e->clear();
            continue;
        }
        lineCodeBoxes[k]->setText(line.ProductNo == 0 ? QString() : QString::number(line.ProductNo)); // an empty line
        lineNameBoxes[k]->setText(line.ProductName);
        lineNameBoxes[k]->setCursorPosition(0);
        linePriceBoxes[k]->setText(QString::number(line.UnitPrice));
        lineQuantityBoxes[k]->setText(QString::number(line.Qty));
        lineAmountBoxes[k]->setText(numText(line.Amount));
    }
    showTotal(slip.Total);
    // The figures the slip was stored with, until a line typed anew works them out again.
    if (SysNum[Sys::SalesTaxSwitch] == 1)
        containedTaxBox->setText(groupedNumber(slip.Tax));
    showRateFigures(storedRates(slip, SysNum[Sys::TaxRate]));
    setPaymentMethod(slip.Payment.method);
    if (slip.Payment.tendered > 0)
        tenderedBox->setText(numText(slip.Payment.tendered));
}

// ---------------------------------------------------------------------------------------------------------
// Slip recall panel

bool RegisterWindow::recallPanelOpen() const
{
    return recallPanel->isOpen();
}

void RegisterWindow::refreshSlipList()
{
    recallPanel->rebuild();
}

void RegisterWindow::openSlipList()
{
    refreshSlipList();
    slipGrid->setFocus();
}

void RegisterWindow::closeRecall()
{
    m_state.drop();
    lineCodeBoxes[1]->setFocus();
    recallPanel->collapse();
}

bool RegisterWindow::chosenSlipUsable()
{
    return recallPanel->chosenSlipUsable([this](qint64 n) { return slipDeletionMark(n); });
}

void RegisterWindow::correctSlip()
{
    if (!chosenSlipUsable() || !recallSlip(m_state.selectedSlipNo))
        return;
    m_state.correctionMode = true;
    m_state.drop();
    recallPanel->collapse();
    dateBox->setEnabled(true);
    showCorrectionMode();
    lineCodeBoxes[1]->setFocus();
}

void RegisterWindow::deleteSlip()
{
    if (!chosenSlipUsable() || !recallSlip(m_state.selectedSlipNo))
        return;
    recallPanel->collapse();
    lineCodeBoxes[1]->setFocus();
    // The slip is on screen behind the box; its number and total say which sale goes.
    const QString which = QStringLiteral("伝票番号 %1　合計 %2円")
                              .arg(QString::number(m_state.selectedSlipNo), groupedNumber(m_state.recalled.Total));
    if (MessageBox::question(this, QStringLiteral("削除しますか。"), true, which)) {
        deleteStoredSlip(m_state.selectedSlipNo);
        m_state.drop();
        recallPanel->collapse();
        lineCodeBoxes[1]->setFocus();
        clearEntry();
        return;
    }
    // Left on screen, the recalled slip would save as a second copy of the same sale under a new number.
    m_state.stockRestore.fill(0);
    clearEntry();
}

// ---------------------------------------------------------------------------------------------------------
// Other windows.

// ---------------------------------------------------------------------------------------------------------
// Receipts

void RegisterWindow::buildReceiptControls()
{
    // In the free place beside "HELP".
    receiptCheck = new QCheckBox(QStringLiteral("レシート"), this);
    receiptCheck->setObjectName(QStringLiteral("receiptCheck"));
    receiptCheck->setAccessibleName(QStringLiteral("レシートを印刷する"));
    receiptCheck->setGeometry(twipsRect(12900, 9740, 2220, 580));
    receiptCheck->setFont(sizedFont(font(), 11, true));
    receiptCheck->setFocusPolicy(Qt::NoFocus);
    connect(receiptCheck, &QCheckBox::clicked, this, &RegisterWindow::receiptToggled);

    reissueButton = makeButton(recallPanel, QStringLiteral("reissueButton"), QStringLiteral("レシート再発行"),
                               twipsRect(8500, 2100, 3400, 600));
    connect(reissueButton, &QPushButton::clicked, this, &RegisterWindow::reissueReceipt);
}

void RegisterWindow::receiptToggled(bool on)
{
    const double before = SysNum[Sys::PrintReceipt];
    SysNum[Sys::PrintReceipt] = on ? 1 : 0;
    // Only the register shows this setting, and a reload would empty the sale being keyed in, so no
    // notice goes out.
    if (Result saved = SaveSettings(); !saved) {
        SysNum[Sys::PrintReceipt] = before;
        receiptCheck->setChecked(!on);
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
    // Every box leaves room around its longest text ("QRコード決済", eight digits grouped).
    paymentFrame = makeFrame(this, QStringLiteral("paymentFrame"), QString(), QStringLiteral("支払"),
                             twipsRect(120, 9440, PaymentRowWidth, PaymentRowHeight));
    const QFont big = sizedFont(font(), 13, true);
    auto* methodCaption = makeLabel(paymentFrame, QStringLiteral("paymentMethodLabel"), QStringLiteral("支払(F5)"),
                                    twipsRect(120, 170, 900, 420));
    paymentMethodBox = makeDisplay(paymentFrame, QStringLiteral("paymentMethodBox"), QStringLiteral("支払方法"),
                                   twipsRect(1040, 110, 2100, 500));
    paymentMethodBox->setFont(big);
    paymentMethodBox->setAlignment(Qt::AlignCenter);
    methodCaption->setBuddy(paymentMethodBox);
    auto* tenderedCaption = makeLabel(paymentFrame, QStringLiteral("tenderedLabel"), QStringLiteral("お預り(F11)"),
                                      twipsRect(3200, 170, 1200, 420));
    tenderedBox = makeEdit(paymentFrame, QStringLiteral("tenderedBox"), QStringLiteral("お預り"),
                           twipsRect(4440, 110, 1300, 500));
    tenderedBox->setFont(big);
    tenderedBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    tenderedBox->setFocusPolicy(Qt::ClickFocus);
    tenderedCaption->setBuddy(tenderedBox);
    auto* changeCaption = makeLabel(paymentFrame, QStringLiteral("changeDueLabel"), QStringLiteral("お釣り"),
                                    twipsRect(5800, 170, 700, 420));
    changeDueBox = makeDisplay(paymentFrame, QStringLiteral("changeDueBox"), QStringLiteral("お釣り"),
                               twipsRect(6540, 110, 1760, 500));
    changeDueBox->setFont(big);
    changeDueBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    changeCaption->setBuddy(changeDueBox);
    // Only digits, at most eight.
    tenderedBox->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,8}"_s), tenderedBox));
    connect(tenderedBox, &QLineEdit::textChanged, this, &RegisterWindow::showChangeDue);
    installKeys(tenderedBox, {{Qt::Key_Return, [this] { showChangeDue(); }},
                              {Qt::Key_F12, [this] { saveEntry(); }},
                              {Qt::Key_F5, [this] { setPaymentMethod(nextPaymentMethod(m_payment)); }},
                              {Qt::Key_Escape, [this] { clearEntry(); }},
                              {Qt::Key_Home, [this] { m_lines->backToLine1(); }}});

    // One above the other, beside the weather and the payment rows.
    cashButton = makeButton(this, QStringLiteral("cashButton"), QStringLiteral("入金・出金"),
                            twipsRect(CommandColumnLeft, 8750, 10200 - CommandColumnLeft, 580));
    closingButton = makeButton(this, QStringLiteral("closingButton"), QStringLiteral("点検・精算"),
                               twipsRect(CommandColumnLeft, 9490, 10200 - CommandColumnLeft, 580));
    connect(cashButton, &QPushButton::clicked, this, &RegisterWindow::openCashMovements);
    connect(closingButton, &QPushButton::clicked, this, &RegisterWindow::openClosing);
    setPaymentMethod(PaymentMethod::Cash);
}

// Only cash has an amount tendered; the other methods empty and lock the box.
void RegisterWindow::setPaymentMethod(PaymentMethod method)
{
    m_payment = method;
    paymentMethodBox->setText(paymentMethodName(method));
    const bool cash = method == PaymentMethod::Cash;
    if (!cash) {
        if (tenderedBox->hasFocus())
            lineCodeBoxes[1]->setFocus();
        tenderedBox->clear();
    }
    tenderedBox->setEnabled(cash);
    showChangeDue();
}

void RegisterWindow::showChangeDue()
{
    changeDueBox->setText(changeDueText(m_payment, tenderedBox->text(), m_total));
}

void RegisterWindow::openCashMovements()
{
    openers().cashMovements();
}

void RegisterWindow::openClosing()
{
    openers().closing();
}

void RegisterWindow::openGraphs()
{
    openers().graphs();
}

void RegisterWindow::openProductSettings()
{
    openers().productSettings();
}

void RegisterWindow::openPurchasing()
{
    openers().purchasing();
}

void RegisterWindow::openPurchaseItems()
{
    openers().purchaseItems();
}

void RegisterWindow::openSuppliers()
{
    openers().suppliers();
}

void RegisterWindow::openReports()
{
    openers().reports();
}

void RegisterWindow::openDataManagement()
{
    openers().dataManagement();
}

void RegisterWindow::openSystemSettings()
{
    openers().systemSettings();
}

void RegisterWindow::openDataInitialisation()
{
    openers().dataInitialisation();
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
