// The register window: layout, keys, line entry, saving and the slip recall panel.
#include "register/form1.h"

#include "app/windows.h"
#include "platform/controls.h"
#include "platform/grid.h"
#include "platform/helpviewer.h"
#include "platform/messagebox.h"
#include "platform/tabstrip.h"
#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/products.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

// The windows the register opens; each is wired up as soon as it is part of the program.

namespace {

const QColor LightGreen(0, 255, 0);
const QColor White(255, 255, 255);

Form1* g_registerWindow = nullptr;

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

void setBackground(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("売上登録"));
    setFixedSize(twips(15240), twips(10890));
    g_registerWindow = this;

    buildControls();
    buildCommands();
    buildRecallPanel();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &Form1::tick);

    // New settings change captions, tax display and slip number: the load runs afresh. New products only
    // change the lists, so a sale being keyed in stays.
    connect(&changes(), &Changes::settingsChanged, this, &Form1::load);
    connect(&changes(), &Changes::productsChanged, this, &Form1::listload);

    load();
}

Form1::~Form1()
{
    if (g_registerWindow == this)
        g_registerWindow = nullptr;
}

// ---------------------------------------------------------------------------------------------------------
// Building the window

namespace {

// A field the program fills and the cashier only reads.
void makeDisplay(QLineEdit* e)
{
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
}

} // namespace

void Form1::buildControls()
{
    const QFont base = font();
    const QFont lineFont = sizedFont(base, 13);

    Frame1 = makeFrame(this, QStringLiteral("Frame1"), QString(), QStringLiteral("日付と時刻"),
                       twipsRect(120, 60, 5000, 780));
    Label4 = makeLabel(Frame1, QStringLiteral("Label4"), QStringLiteral("日付"), twipsRect(120, 270, 600, 420));
    Text1 = makeEdit(Frame1, QStringLiteral("Text1"), QStringLiteral("日付"), twipsRect(720, 240, 1900, 440));
    Text2 = makeEdit(Frame1, QStringLiteral("Text2"), QStringLiteral("時刻"), twipsRect(2800, 240, 1500, 440));
    makeDisplay(Text2);
    Label4->setBuddy(Text1);

    Frame4 = makeFrame(this, QStringLiteral("Frame4"), QString(), QStringLiteral("伝票番号"),
                       twipsRect(5280, 60, 3200, 780));
    Label6 = makeLabel(Frame4, QStringLiteral("Label6"), QStringLiteral("伝票番号"), twipsRect(120, 270, 1100, 420));
    Text13 = makeEdit(Frame4, QStringLiteral("Text13"), QStringLiteral("伝票番号"), twipsRect(1300, 240, 1700, 440));
    makeDisplay(Text13);
    Text13->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text13->setText(QStringLiteral("0"));

    // Slip lines: number, code, name, unit price, quantity, amount.
    Frame3 = makeFrame(this, QStringLiteral("Frame3"), QString(), QStringLiteral("伝票明細"),
                       twipsRect(120, 900, 10080, 6100));
    struct Column
    {
        QLineEdit** array;
        const char* name;
        QString header;
        int left;
        int width;
    };
    const Column columns[] = {
        {Text7, "Text7", QStringLiteral("番号"), 120, 600},     {Text8, "Text8", QStringLiteral("コード"), 720, 1000},
        {Text14, "Text14", QStringLiteral("品名"), 1720, 4000}, {Text9, "Text9", QStringLiteral("単価"), 5720, 1400},
        {Text10, "Text10", QStringLiteral("数量"), 7120, 1100}, {Text11, "Text11", QStringLiteral("金額"), 8220, 1700},
    };
    for (const Column& c : columns) {
        for (int k = 0; k <= SlipLineCount; ++k) {
            const int top = k == 0 ? 150 : 600 + 540 * (k - 1);
            const QString name = QStringLiteral("%1_%2").arg(QLatin1String(c.name)).arg(k);
            const QString accessible = k == 0 ? c.header : QStringLiteral("%1 %2").arg(c.header).arg(k);
            QLineEdit* e = makeEdit(Frame3, name, accessible, twipsRect(c.left, top, c.width, k == 0 ? 420 : 500));
            c.array[k] = e;
            if (k == 0) {
                e->setText(c.header);
                makeDisplay(e);
                e->setAlignment(Qt::AlignCenter);
                continue;
            }
            e->setFont(lineFont);
        }
    }
    for (int k = 1; k <= SlipLineCount; ++k) {
        Text7[k]->setText(QString::number(k));
        makeDisplay(Text7[k]);
        Text7[k]->setAlignment(Qt::AlignCenter);
        makeDisplay(Text11[k]);
        Text14[k]->setFocusPolicy(Qt::ClickFocus);
        for (QLineEdit* e : {Text9[k], Text10[k], Text11[k]})
            e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        for (QLineEdit* e : {Text8[k], Text10[k]}) {
            e->installEventFilter(this);
            e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        connect(Text8[k], &QLineEdit::textChanged, this, [this, k] { codeChanged(k); });
        connect(Text10[k], &QLineEdit::textChanged, this, [this, k] { quantityChanged(k); });
    }

    // Total with the tax contained in it.
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAccessibleName(QStringLiteral("合計"));
    Picture1->setGeometry(twipsRect(120, 7100, 5000, 1500));
    Picture1->setAutoFillBackground(true);
    {
        QPalette p = Picture1->palette();
        p.setColor(QPalette::Window, QColor(0xf4, 0xf4, 0xe8));
        Picture1->setPalette(p);
    }
    auto* totalCaption =
        makeLabel(Picture1, QStringLiteral("TotalCaption"), QStringLiteral("合計"), twipsRect(120, 120, 900, 420));
    totalCaption->setFont(sizedFont(base, 14, true));
    Text3 = makeEdit(Picture1, QStringLiteral("Text3"), QStringLiteral("合計"), twipsRect(1020, 60, 3860, 840));
    makeDisplay(Text3);
    Text3->setFont(sizedFont(base, 30, true));
    Text3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    totalCaption->setBuddy(Text3);
    Label10 =
        makeLabel(Picture1, QStringLiteral("Label10"), QStringLiteral("内消費税等"), twipsRect(1020, 1000, 1700, 400));
    Text17 =
        makeEdit(Picture1, QStringLiteral("Text17"), QStringLiteral("内消費税等"), twipsRect(2800, 960, 2080, 440));
    makeDisplay(Text17);
    Text17->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text3->setText(QStringLiteral("0"));
    Text17->setText(QStringLiteral("0"));

    // Change for the common tenders.
    Frame2 = makeFrame(this, QStringLiteral("Frame2"), QStringLiteral("釣り銭"), QStringLiteral("釣り銭"),
                       twipsRect(5280, 7100, 4920, 1500));
    const QFont changeFont = sizedFont(base, 17, true);
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
        *t.edit = makeEdit(Frame2, QLatin1String(t.editName), QStringLiteral("釣り銭 ") + amount,
                           twipsRect(t.left + 820, t.top, 1480, 520));
        makeDisplay(*t.edit);
        (*t.edit)->setFont(changeFont);
        (*t.edit)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*t.edit)->setText(QStringLiteral("0"));
        (*t.label)->setBuddy(*t.edit);
    }

    // Weather of the day.
    Frame5 = makeFrame(this, QStringLiteral("Frame5"), QStringLiteral("(F6)"), QStringLiteral("天気"),
                       twipsRect(120, 8700, 10080, 760));
    Text15 = makeEdit(Frame5, QStringLiteral("Text15"), QStringLiteral("天気"), twipsRect(120, 250, 600, 420));
    Text15->setAlignment(Qt::AlignCenter);
    Text15->setText(QStringLiteral("1"));
    Text15->installEventFilter(this);
    const char* weathers[] = {"1:晴れ", "2:雨", "3:曇り", "4:雪", "5:台風"};
    for (int i = 0; i < 5; ++i)
        makeLabel(Frame5, QStringLiteral("WeatherLabel%1").arg(i + 1), QString::fromUtf8(weathers[i]),
                  twipsRect(900 + 1250 * i, 270, 1200, 400));
    makeLabel(Frame5, QStringLiteral("WeatherLabel6"), QStringLiteral("[(home)で戻る]"),
              twipsRect(7200, 270, 2700, 400));

    // Product lists for looking numbers up; they only show, so the focus stays in the entry lines.
    SSTab1 = new TabStrip(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setAccessibleName(QStringLiteral("商品一覧"));
    SSTab1->setGeometry(twipsRect(10380, 120, 4740, 5640));
    SSTab1->setTabs(4);
    SSTab1->setFocusPolicy(Qt::NoFocus);
    SSTab1->tabBar()->setFocusPolicy(Qt::NoFocus);
    SSTab1->installEventFilter(this);
    SSTab1->tabBar()->installEventFilter(this);
    for (int g = 1; g <= 4; ++g) {
        QWidget* page = SSTab1->page(g - 1);
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(2, 2, 2, 2);
        List[g] = new QListWidget(page);
        List[g]->setObjectName(QStringLiteral("List%1").arg(g));
        List[g]->setAccessibleName(QStringLiteral("商品一覧 %1").arg(g));
        List[g]->setFocusPolicy(Qt::NoFocus);
        List[g]->setUniformItemSizes(true);
        layout->addWidget(List[g]);
    }

    // Tab order: code, unit price, quantity of line 1, then of line 2, and so on.
    QWidget* previous = nullptr;
    for (int k = 1; k <= SlipLineCount; ++k)
        for (QWidget* w :
             {static_cast<QWidget*>(Text8[k]), static_cast<QWidget*>(Text9[k]), static_cast<QWidget*>(Text10[k])}) {
            if (previous)
                setTabOrder(previous, w);
            previous = w;
        }
}

void Form1::buildCommands()
{
    struct Button
    {
        int number;
        QString caption;
        void (Form1::*action)();
    };
    const Button buttons[] = {
        {2, QStringLiteral("登録（F12）"), &Form1::datwrite},
        {5, QStringLiteral("取消（ESC）"), &Form1::dataclear},
        {6, QStringLiteral("伝票の呼出（F9)"), &Form1::listopen},
        {4, QStringLiteral("グラフ（F7）"), &Form1::openGraphs},
        {1, QStringLiteral("商品設定（F8）"), nullptr},
        {7, QStringLiteral("仕入処理（F10)"), &Form1::openPurchasing},
        {10, QStringLiteral("仕入商品設定"), &Form1::openPurchaseItems},
        {9, QStringLiteral("仕入先登録"), &Form1::openSuppliers},
        {14, QStringLiteral("日報・月報"), &Form1::openReports},
        {17, QStringLiteral("データ管理"), &Form1::openDataManagement},
        {8, QStringLiteral("システム設定"), &Form1::openSystemSettings},
        {3, QStringLiteral("データ初期化"), &Form1::openDataInitialisation},
        {18, QStringLiteral("HELP"), &Form1::openHelp},
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
    Command[1]->installEventFilter(this);
    Command[2]->setFont(sizedFont(font(), 13, true));
    // Buttons of the design without caption or action: present, never shown.
    for (int n : {11, 12, 13, 15, 16}) {
        Command[n] = new QPushButton(this);
        Command[n]->setObjectName(QStringLiteral("Command%1").arg(n));
        Command[n]->setAccessibleName(QStringLiteral("未使用"));
        Command[n]->hide();
    }
}

void Form1::buildRecallPanel()
{
    auto* panel = new QGroupBox(this);
    panel->setObjectName(QStringLiteral("Frame7"));
    panel->setAccessibleName(QStringLiteral("伝票の呼出"));
    panel->setAutoFillBackground(true);
    Frame7 = panel;

    auto* title =
        makeLabel(panel, QStringLiteral("RecallTitle"), QStringLiteral("伝票の呼出"), twipsRect(120, 120, 3000, 420));
    title->setFont(sizedFont(font(), 13, true));

    MSFlexGrid1 = new Grid(panel);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(QStringLiteral("伝票一覧"));
    MSFlexGrid1->setGeometry(twipsRect(120, 600, 6300, 9900));
    MSFlexGrid1->setColAlignment(0, Qt::AlignRight);
    MSFlexGrid1->setColAlignment(3, Qt::AlignRight);
    MSFlexGrid1->setColAlignment(4, Qt::AlignCenter);
    connect(MSFlexGrid1, &Grid::cellClicked, this, [this](int row, int) { gridClicked(row); });
    connect(MSFlexGrid1, &Grid::keyPressed, this, &Form1::gridKey);

    auto* yearLabel =
        makeLabel(panel, QStringLiteral("YearLabel"), QStringLiteral("年"), twipsRect(6700, 640, 400, 420));
    Combo1 = new QComboBox(panel);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setAccessibleName(QStringLiteral("年"));
    Combo1->setGeometry(twipsRect(7100, 600, 1400, 460));
    auto* monthLabel =
        makeLabel(panel, QStringLiteral("MonthLabel"), QStringLiteral("月"), twipsRect(8700, 640, 400, 420));
    Combo2 = new QComboBox(panel);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setAccessibleName(QStringLiteral("月"));
    Combo2->setGeometry(twipsRect(9100, 600, 1000, 460));
    for (QComboBox* c : {Combo1, Combo2}) {
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        connect(c, &QComboBox::activated, this, &Form1::listget);
        // A year or month typed rather than chosen is taken with Enter.
        connect(c->lineEdit(), &QLineEdit::returnPressed, this, &Form1::listget);
    }
    yearLabel->setBuddy(Combo1);
    monthLabel->setBuddy(Combo2);

    const struct
    {
        QPushButton** button;
        const char* name;
        QString caption;
        int left;
        void (Form1::*action)();
    } commands[] = {{&Command19, "Command19", QStringLiteral("修正"), 6700, &Form1::correctSlip},
                    {&Command20, "Command20", QStringLiteral("削除"), 8500, &Form1::deleteSlip},
                    {&Command21, "Command21", QStringLiteral("閉じる"), 10300, &Form1::closeRecall}};
    for (const auto& c : commands) {
        auto* b = makeButton(panel, QLatin1String(c.name), c.caption, twipsRect(c.left, 1300, 1600, 600));
        connect(b, &QPushButton::clicked, this, c.action);
        *c.button = b;
    }
    Command[19] = Command19;
    Command[20] = Command20;
    Command[21] = Command21;
    collapseRecallPanel();
}

// ---------------------------------------------------------------------------------------------------------
// Load, clear, clock

void Form1::load()
{
    m_helpFile = AppDir + QStringLiteral("/tillhelp.chm");
    Timer1->start(500);
    Text1->setText(today());
    for (int k = 1; k <= SlipLineCount; ++k)
        for (QLineEdit* e : {Text8[k], Text9[k], Text10[k], Text11[k]})
            e->clear();
    for (int g = 1; g <= 4; ++g)
        SSTab1->setCaption(g - 1, SysStr[g]);
    SSTab1->setSelectedTab(0);
    listload();
    Text13->setText(numText(SysNum[2]));
    setLineHighlight(1, true);
    showTaxDisplay();

    const QString date = today();
    Combo1->clear();
    for (int y = 2005; y <= 2015; ++y)
        Combo1->addItem(QString::number(y));
    Combo1->setEditText(date.mid(0, 4));
    Combo2->clear();
    for (int m = 1; m <= 12; ++m)
        Combo2->addItem(QString::number(m));
    Combo2->setEditText(date.mid(5, 2));

    listget();
    collapseRecallPanel();
    tick();
    Text1->setEnabled(m_correctionMode);
    Text8[1]->setFocus();
}

void Form1::showTaxDisplay()
{
    const QRect at = Text17->geometry();
    if (SysNum[16] == 1) {
        Label10->setText(QStringLiteral("内消費税等"));
        Text17->setText(QStringLiteral("0"));
        Text17->move(at.x(), twips(960));
    } else {
        Label10->clear();
        Text17->clear();
        Text17->move(at.x(), twips(3000));
    }
}

void Form1::tick()
{
    Text2->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
}

void Form1::dataclear()
{
    Text1->setText(today());
    for (QLineEdit* e : {Text3, Text17, Text4, Text5, Text6, Text12})
        e->setText(QStringLiteral("0"));
    Text13->setText(numText(SysNum[2]));
    for (int k = 1; k <= SlipLineCount; ++k) {
        for (QLineEdit* e : {Text8[k], Text9[k], Text10[k], Text11[k], Text14[k]})
            e->clear();
        setLineHighlight(k, false);
    }
    setLineHighlight(1, true);
    m_correctionMode = false;
    m_stockRestore.fill(0); // an abandoned correction gives no stock back
    Text1->setEnabled(false);
    Text8[1]->setFocus();
}

void Form1::setLineHighlight(int k, bool on)
{
    setBackground(Text7[k], on ? LightGreen : White);
}

// ---------------------------------------------------------------------------------------------------------
// Focus and keys

bool Form1::event(QEvent* event)
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

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    for (int k = 1; k <= SlipLineCount; ++k) {
        if (watched != Text8[k] && watched != Text10[k])
            continue;
        auto* edit = static_cast<QLineEdit*>(watched);
        if (type == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            return watched == Text8[k] ? codeKey(k, key) : quantityKey(k, key);
        }
        if (type == QEvent::FocusIn) {
            setLineHighlight(k, true);
            if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
                // After the mouse press that gave the focus, so the click does not undo the selection.
                QTimer::singleShot(0, edit, [edit] {
                    if (edit->hasFocus())
                        edit->selectAll();
                });
            } else {
                edit->selectAll(); // at once, so keys typed right after Enter replace the old text
            }
        } else if (type == QEvent::FocusOut) {
            setLineHighlight(k, false);
        }
        return false;
    }
    if (watched == SSTab1 || watched == SSTab1->tabBar()) {
        if (type == QEvent::FocusIn) {
            Text8[1]->setFocus();
            return false;
        }
        if (type == QEvent::KeyPress)
            return fkeyon(static_cast<QKeyEvent*>(event));
    }
    if (watched == Text15 && type == QEvent::KeyPress)
        return fkeyon(static_cast<QKeyEvent*>(event));
    if (watched == Command[1] && type == QEvent::KeyPress)
        return keyfun(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    // Keys reach the window itself only when no control has taken them; a control's own keys stay its own.
    QWidget* focus = focusWidget();
    if ((!focus || focus == this) && keyfun(event))
        return;
    QWidget::keyPressEvent(event);
}

bool Form1::codeKey(int k, QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        lookUpProduct(k);
        return true;
    case Qt::Key_Escape:
        dataclear();
        return true;
    case Qt::Key_Home:
        backToLine1();
        return true;
    case Qt::Key_Up:
        if (k > 1)
            Text8[k - 1]->setFocus();
        return true;
    case Qt::Key_Down:
        if (k < SlipLineCount)
            Text8[k + 1]->setFocus();
        return true;
    case Qt::Key_PageUp:
        selectListEntries(0);
        return true;
    case Qt::Key_PageDown:
        selectListEntries(99);
        return true;
    case Qt::Key_F6:
        Text15->setFocus();
        return true;
    case Qt::Key_F10:
        openPurchasing();
        return true;
    case Qt::Key_F12:
        datwrite();
        return true;
    default:
        return productListKey(event) || windowKey(event);
    }
}

bool Form1::quantityKey(int k, QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        completeLine(k);
        return true;
    case Qt::Key_Escape:
        dataclear();
        return true;
    case Qt::Key_Home:
        backToLine1();
        return true;
    case Qt::Key_Up:
        Text8[std::max(k - 1, 1)]->setFocus();
        return true;
    case Qt::Key_Down:
        Text8[std::min(k + 1, SlipLineCount)]->setFocus();
        return true;
    case Qt::Key_Left:
        Text8[k]->setFocus();
        return true;
    case Qt::Key_F12:
        datwrite();
        return true;
    default:
        return productListKey(event) || windowKey(event);
    }
}

bool Form1::fkeyon(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Home:
        backToLine1();
        return true;
    case Qt::Key_F10:
        openPurchasing();
        return true;
    default:
        return productListKey(event) || windowKey(event);
    }
}

bool Form1::keyfun(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        dataclear();
        return true;
    case Qt::Key_Home:
        backToLine1();
        return true;
    case Qt::Key_F10:
        openPurchasing();
        return true;
    default:
        return windowKey(event);
    }
}

// F1 to F4 show product list 1 to 4 from the line fields, the weather field and the tab strip.
bool Form1::productListKey(QKeyEvent* event)
{
    const int key = event->key();
    if (key < Qt::Key_F1 || key > Qt::Key_F4)
        return false;
    SSTab1->setSelectedTab(key - Qt::Key_F1);
    return true;
}

// F7, F8 and F9 work wherever the window handles keys.
bool Form1::windowKey(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F7:
        openGraphs();
        return true;
    case Qt::Key_F8:
        openProductSettings();
        return true;
    case Qt::Key_F9:
        listopen();
        return true;
    default:
        return false;
    }
}

void Form1::backToLine1()
{
    for (int k = 1; k <= SlipLineCount; ++k)
        setLineHighlight(k, false);
    setLineHighlight(1, true);
    Text8[1]->setFocus();
}

void Form1::selectListEntries(int row)
{
    for (int g = 1; g <= 4; ++g) {
        if (row >= List[g]->count())
            continue;
        List[g]->setCurrentRow(row);
        List[g]->scrollToItem(List[g]->item(row));
    }
}

// ---------------------------------------------------------------------------------------------------------
// Line entry and totals

void Form1::codeChanged(int k)
{
    if (!Text8[k]->text().isEmpty() && !codeTextKept(Text8[k]->text()))
        Text8[k]->clear();
}

void Form1::quantityChanged(int k)
{
    const QString text = Text10[k]->text();
    const QString shown = quantityText(text);
    if (shown != text)
        Text10[k]->setText(shown);
}

void Form1::lookUpProduct(int k)
{
    const double n = val(Text8[k]->text());
    if (n > SysNum[6])
        return;
    const int i = int(roundHalfEven(n));
    if (i < 0 || i > MaxProductEntries)
        return;
    Text14[k]->setText(ProductTable[i].ProductName);
    Text14[k]->setCursorPosition(0); // names carry their blank padding; show their start
    Text9[k]->setText(numText(ProductTable[i].SalePrice));
    Text10[k]->setFocus();
}

void Form1::completeLine(int k)
{
    Text11[k]->setText(numText(val(Text9[k]->text()) * val(Text10[k]->text())));
    QStringList amounts;
    for (int t = 1; t <= SlipLineCount; ++t)
        amounts << Text11[t]->text();
    const double total = slipTotal(amounts);
    Text3->setText(numText(total));
    Text17->setText(numText(containedTax(total, SysNum[11])));
    Text4->setText(changeText(10000, total));
    Text5->setText(changeText(5000, total));
    Text6->setText(changeText(1000, total));
    Text12->setText(changeText(500, total));
    if (k < SlipLineCount) {
        Text8[k + 1]->setFocus();
        setLineHighlight(k + 1, true);
        setLineHighlight(k, false);
    }
}

void Form1::listload()
{
    for (int g = 1; g <= 4; ++g) {
        QStringList entries;
        for (int n = 100 * (g - 1) + 1; n <= 100 * g; ++n)
            entries << productListEntry(n, ProductTable[n].ProductName);
        List[g]->clear();
        List[g]->addItems(entries);
    }
}

EntryTexts Form1::entryTexts() const
{
    EntryTexts e;
    e.date = Text1->text();
    e.time = Text2->text();
    e.weather = Text15->text();
    e.slipNo = Text13->text();
    e.total = Text3->text();
    for (int k = 1; k <= SlipLineCount; ++k)
        e.line[k] = {Text8[k]->text(), Text14[k]->text(), Text9[k]->text(), Text10[k]->text(), Text11[k]->text()};
    return e;
}

// ---------------------------------------------------------------------------------------------------------
// Saving and deleting

void Form1::datwrite()
{
    const SaveOutcome outcome = saveSale(entryTexts(), m_correctionMode, m_stockRestore);
    if (!outcome.saved) {
        MessageBox::information(this, outcome.error); // the entry stays for another try
        return;
    }
    m_correctionMode = false;
    if (!outcome.error.isEmpty())
        MessageBox::information(this, outcome.error);
    dataclear();
}

void Form1::sdatwrite(qint64 n)
{
    const Result r = deleteSale(n, m_stockRestore);
    m_stockRestore.fill(0);
    if (!r)
        MessageBox::information(this, r.error);
}

int Form1::delcheck(qint64 n)
{
    if (Result r = ReadSalesSlip(n); !r) {
        MessageBox::information(this, r.error);
        return -1;
    }
    return WorkingSlip.Deleted;
}

bool Form1::datread(qint64 n)
{
    dataclear();
    m_stockRestore.fill(0);
    if (Result r = ReadSalesSlip(n); !r) {
        MessageBox::information(this, r.error);
        return false;
    }
    const SalesSlipRecord& slip = WorkingSlip;
    Text1->setText(slip.Date);
    Text2->setText(slip.Time);
    if (const int code = weatherCode(slip.Weather))
        Text15->setText(QString::number(code));
    // The record number, which every stored slip also holds as its own number.
    Text13->setText(QString::number(n));
    for (int k = 1; k <= SlipLineCount; ++k) {
        const SalesSlipLine& line = slip.Line[k];
        Text8[k]->setText(QString::number(line.ProductNo));
        Text14[k]->setText(line.ProductName);
        Text14[k]->setCursorPosition(0);
        Text9[k]->setText(QString::number(line.UnitPrice));
        Text10[k]->setText(QString::number(line.Qty));
        Text11[k]->setText(numText(line.Amount));
    }
    addStockTaken(slip, m_stockRestore);
    Text3->setText(numText(slip.Total));
    return true;
}

// ---------------------------------------------------------------------------------------------------------
// Slip recall panel

bool Form1::recallPanelOpen() const
{
    return Frame7->isVisible() && Frame7->height() > 0;
}

void Form1::collapseRecallPanel()
{
    Frame7->setGeometry(Frame7->x(), 0, 0, 0);
    Frame7->hide(); // a zero-sized panel must not keep its controls in the tab chain
}

void Form1::openRecallPanel()
{
    Frame7->setGeometry(twipsRect(120, 120, 15000, 10700));
    Frame7->show();
    Frame7->raise();
}

void Form1::listget()
{
    Frame7->setGeometry(twips(120), twips(120), twips(15000), 0);
    QList<SlipListRow> rows;
    const Result r =
        findSlips(val(Combo1->currentText()), val(Combo2->currentText()), qint64(roundHalfEven(SysNum[2])) - 1, rows);
    MSFlexGrid1->clear();
    MSFlexGrid1->setCols(5);
    MSFlexGrid1->setRows(int(rows.size()) + 1);
    MSFlexGrid1->setColWidthTwips(0, 1500);
    for (int c = 1; c <= 4; ++c)
        MSFlexGrid1->setColWidthTwips(c, 1000);
    MSFlexGrid1->setColWidthTwips(1, 1400); // yyyy/mm/dd is wider than 1000 twips in a legible font
    MSFlexGrid1->setRowTexts(0, {QStringLiteral("伝票番号"), QStringLiteral("日付"), QStringLiteral("時間"),
                                 QStringLiteral("金額"), QStringLiteral("削除")});
    m_gridSlipNos.clear();
    m_gridSlipNos.reserve(rows.size() + 1);
    m_gridSlipNos << 0;
    const QString deletedMark = QStringLiteral("削除");
    for (int i = 0; i < rows.size(); ++i) {
        const SlipListRow& row = rows[i];
        MSFlexGrid1->setRowTexts(i + 1, {QString::number(row.slipNo), row.date, row.time, numText(row.total),
                                         row.deleted ? deletedMark : QString()});
        m_gridSlipNos << row.slipNo;
    }
    openRecallPanel();
    if (!r)
        MessageBox::information(this, r.error);
}

void Form1::listopen()
{
    listget();
    MSFlexGrid1->setFocus();
}

void Form1::gridClicked(int row)
{
    if (row < 1 || row >= m_gridSlipNos.size())
        return;
    m_selectedSlipNo = m_gridSlipNos[row];
    m_slipSelected = true;
}

void Form1::gridKey(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->text() == QStringLiteral("#")) {
        event->accept();
        m_slipSelected = false;
        Text8[1]->setFocus();
        collapseRecallPanel();
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        // The keyboard's click, so a slip can be chosen without the mouse.
        event->accept();
        gridClicked(MSFlexGrid1->currentRow());
    }
}

void Form1::closeRecall()
{
    m_slipSelected = false;
    Text8[1]->setFocus();
    collapseRecallPanel();
}

bool Form1::chosenSlipUsable()
{
    if (!m_slipSelected) {
        MessageBox::information(this, QStringLiteral("伝票を選択してください。"));
        return false;
    }
    const int deleted = delcheck(m_selectedSlipNo);
    if (deleted < 0)
        return false;
    if (deleted != 0) {
        MessageBox::information(this, QStringLiteral("伝票は削除されています。"));
        return false;
    }
    return true;
}

void Form1::correctSlip()
{
    if (!chosenSlipUsable() || !datread(m_selectedSlipNo))
        return;
    m_correctionMode = true;
    m_slipSelected = false;
    collapseRecallPanel();
    Text1->setEnabled(true);
    Text8[1]->setFocus();
}

void Form1::deleteSlip()
{
    if (!chosenSlipUsable() || !datread(m_selectedSlipNo))
        return;
    collapseRecallPanel();
    Text8[1]->setFocus();
    if (MessageBox::question(this, QStringLiteral("削除しますか。"), true)) {
        sdatwrite(m_selectedSlipNo);
        m_slipSelected = false;
        collapseRecallPanel();
        Text8[1]->setFocus();
        dataclear();
        return;
    }
    // Left on screen, the recalled slip would save as a second copy of the same sale under a new number.
    m_stockRestore.fill(0);
    dataclear();
}

// ---------------------------------------------------------------------------------------------------------
// Other windows.

void Form1::openGraphs()
{
    Windows::graphs();
}

void Form1::openProductSettings()
{
    Windows::productSettings();
}

void Form1::openPurchasing()
{
    Windows::purchasing();
}

void Form1::openPurchaseItems()
{
    Windows::purchaseItems();
}

void Form1::openSuppliers()
{
    Windows::suppliers();
}

void Form1::openReports()
{
    Windows::reports();
}

void Form1::openDataManagement()
{
    Windows::dataManagement();
}

void Form1::openSystemSettings()
{
    Windows::systemSettings();
}

void Form1::openDataInitialisation()
{
    Windows::dataInitialisation();
}

void Form1::openHelp()
{
    HtmlHelp(this, m_helpFile, 0, 0);
}

Form1* showRegisterWindow()
{
    auto* form = new Form1;
    form->show();
    return form;
}

Form1* registerWindow()
{
    return g_registerWindow;
}
