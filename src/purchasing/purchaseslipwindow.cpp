// The purchase slip window: layout, keys, line entry and totals, the supplier list and the slip list.
#include "purchasing/purchaseslipwindow.h"

#include "app/windows.h"
#include "platform/controls.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "purchasing/purchaseentry.h"
#include "storage/changes.h"
#include "storage/purchaseitem.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/sliplist.h"
#include "storage/supplier.h"
#include "storage/text.h"
#include "widgets/fieldfocus.h"
#include "widgets/keytable.h"
#include "widgets/sliplines.h"

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTime>

using namespace Qt::StringLiterals;

namespace {

const QString FullWidthDigits[PurchaseSlipWindow::Lines] = {
    QStringLiteral("１"), QStringLiteral("２"), QStringLiteral("３"), QStringLiteral("４"), QStringLiteral("５"),
    QStringLiteral("６"), QStringLiteral("７"), QStringLiteral("８"), QStringLiteral("９"), QStringLiteral("１０")};

// A frame is hidden by giving it no size; hiding it too keeps its controls out of the tab chain.
void collapse(QWidget* frame)
{
    frame->setGeometry(frame->x(), frame->y(), 0, 0);
    frame->hide();
}

void expand(QWidget* frame, const QRect& rect)
{
    frame->setGeometry(rect);
    frame->show();
    frame->raise();
}

bool stockFileThere()
{
    return QFileInfo::exists(dataPath(QStringLiteral("zaiko.dat")));
}

} // namespace

PurchaseSlipWindow::PurchaseSlipWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PurchaseSlipWindow"));
    setWindowTitle(QStringLiteral("仕入伝票"));
    setFixedSize(twips(15240), twips(10890));

    buildHeader();
    buildLines();
    buildPicker();
    buildButtons();
    buildSupplierList();
    buildSlipList();
    installKeyTables();
    focusWhenReturning(this, [this] {
        if (!slipListOpen() && !supplierListOpen())
            Text1[2]->setFocus();
    });

    // Opening the window.
    Text1[0]->setText(numText(SysNum[Sys::NextPurchaseSlipNo]));
    const QDate today = QDate::currentDate();
    Combo1->setEditText(today.toString(QStringLiteral("yyyy")));
    Combo2->setEditText(today.toString(QStringLiteral("MM")));
    Combo3->setEditText(today.toString(QStringLiteral("dd")));
    showSettings();
    ShowItemGroup(0);
    Frame5->showThisMonth();
    BuildSlipList();
    Frame5->collapse();
    collapse(Frame4);

    // The picker shows stock whoever changed it; captions and the next number follow the settings.
    connect(&changes(), &Changes::stockChanged, this, [this] { ShowItemGroup(m_currentItemGroup); });
    connect(&changes(), &Changes::settingsChanged, this, &PurchaseSlipWindow::showSettings);
    connect(&changes(), &Changes::suppliersChanged, this, [this] {
        if (supplierListOpen())
            openSupplierList();
    });
    connect(&changes(), &Changes::purchaseSlipsChanged, this, [this] {
        if (slipListOpen())
            BuildSlipList();
    });
}

// ---------------------------------------------------------------------------------------------------------
// Building the window

void PurchaseSlipWindow::buildHeader()
{
    Frame1 = makeFrame(this, QStringLiteral("Frame1"), QString(), QStringLiteral("伝票の日付と番号"),
                       twipsRect(120, 60, 8500, 800));
    Command1 =
        makeCaptionButton(Frame1, QStringLiteral("Command1"), QStringLiteral("日付"), twipsRect(120, 240, 800, 440));
    Combo1 = makeCombo(Frame1, QStringLiteral("Combo1"), QStringLiteral("日付 年"), twipsRect(960, 240, 1100, 440));
    Combo2 = makeCombo(Frame1, QStringLiteral("Combo2"), QStringLiteral("日付 月"), twipsRect(2100, 240, 800, 440));
    Combo3 = makeCombo(Frame1, QStringLiteral("Combo3"), QStringLiteral("日付 日"), twipsRect(2940, 240, 800, 440));
    fillYearList(Combo1);
    fillNumbers(Combo2, 1, 12, 2);
    fillNumbers(Combo3, 1, 31, 2);
    Command2 = makeCaptionButton(Frame1, QStringLiteral("Command2"), QStringLiteral("伝票番号"),
                                 twipsRect(4300, 240, 1200, 440));
    Text1[0] =
        makeDisplay(Frame1, QStringLiteral("Text1_0"), QStringLiteral("伝票番号"), twipsRect(5540, 240, 1500, 440));

    Frame2 =
        makeFrame(this, QStringLiteral("Frame2"), QString(), QStringLiteral("仕入先"), twipsRect(120, 900, 8500, 1000));
    Command3 =
        makeCaptionButton(Frame2, QStringLiteral("Command3"), QStringLiteral("仕入先"), twipsRect(120, 300, 800, 440));
    Text1[1] =
        makeDisplay(Frame2, QStringLiteral("Text1_1"), QStringLiteral("仕入先番号"), twipsRect(960, 300, 600, 440));
    Text1[2] = makeEdit(Frame2, QStringLiteral("Text1_2"), QStringLiteral("仕入先名"), twipsRect(1600, 300, 3400, 440));
    Text1[3] = makeEdit(Frame2, QStringLiteral("Text1_3"), QStringLiteral("電話番号"), twipsRect(5040, 300, 1800, 440));
    Command4 = makeButton(Frame2, QStringLiteral("Command4"), QStringLiteral("一覧"), twipsRect(6900, 300, 900, 440));
    connect(Command4, &QPushButton::clicked, this, &PurchaseSlipWindow::openSupplierList);

    Text1[0]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text1[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLineEdit* e : {Text1[2], Text1[3]}) {
        setBackground(e, IdleColour);
        e->installEventFilter(this);
    }
}

void PurchaseSlipWindow::buildLines()
{
    Frame3 = makeFrame(this, QStringLiteral("Frame3"), QString(), QStringLiteral("仕入明細"),
                       twipsRect(120, 2000, 8500, 7300));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    SlipLines::Setup s;
    s.columns[SlipLines::Number] = {
        QStringLiteral("Text3"), QStringLiteral("番号"), QStringLiteral("Text2_0"), 120, 600,
        Qt::AlignCenter,         SlipLines::Display};
    s.columns[SlipLines::Code] = {
        QStringLiteral("Text4"), QStringLiteral("コード"), QStringLiteral("Text2_1"), 720, 800, right,
        SlipLines::Typed};
    s.columns[SlipLines::Name] = {
        QStringLiteral("Text5"),          QStringLiteral("品名"), QStringLiteral("Text2_2"), 1520, 3200,
        Qt::AlignLeft | Qt::AlignVCenter, SlipLines::ClickOnly};
    s.columns[SlipLines::Price] = {
        QStringLiteral("Text6"), QStringLiteral("単価"), QStringLiteral("Text2_3"), 4720, 1100, right,
        SlipLines::Typed};
    s.columns[SlipLines::Qty] = {
        QStringLiteral("Text7"), QStringLiteral("数量"), QStringLiteral("Text2_4"), 5820, 900, right, SlipLines::Typed};
    s.columns[SlipLines::Amount] = {
        QStringLiteral("Text8"), QStringLiteral("金額"), QStringLiteral("Text2_5"), 6720, 1600, right,
        SlipLines::ClickOnly};
    for (const QString& digit : FullWidthDigits)
        s.numbers << digit;
    s.firstIndex = 0;
    s.headerTop = 200;
    s.headerHeight = 380;
    s.firstTop = 620;
    s.pitch = 500;
    s.lineHeight = 460;
    s.highlighted = {SlipLines::Code, SlipLines::Price, SlipLines::Qty};
    m_lines = new SlipLines(Frame3, s);

    for (int c = 0; c < SlipLines::Columns; ++c)
        Text2[c] = m_lines->box(SlipLines::Column(c), 0);
    for (int k = 0; k < Lines; ++k) {
        Text3[k] = m_lines->number[k + 1];
        Text4[k] = m_lines->code[k + 1];
        Text5[k] = m_lines->name[k + 1];
        Text6[k] = m_lines->price[k + 1];
        Text7[k] = m_lines->qty[k + 1];
        Text8[k] = m_lines->amount[k + 1];
        connect(Text4[k], &QLineEdit::textChanged, this, [this, k] { itemChanged(k); });
        connect(Text6[k], &QLineEdit::textChanged, this, [this, k] { priceOrQtyChanged(k, Text6[k]); });
        connect(Text7[k], &QLineEdit::textChanged, this, [this, k] { priceOrQtyChanged(k, Text7[k]); });
    }

    const QString totals[3] = {QStringLiteral("計"), QStringLiteral("消費税"), QStringLiteral("合計")};
    for (int i = 0; i < 3; ++i) {
        const int top = 5800 + 480 * i;
        Text9[i] = makeLabel(Frame3, QStringLiteral("Text9_%1").arg(i), totals[i], twipsRect(5820, top, 900, 420));
        Text9[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Text10[i] = makeEdit(Frame3, QStringLiteral("Text10_%1").arg(i), totals[i], twipsRect(6720, top, 1600, 420));
        Text10[i]->setAlignment(right);
        Text10[i]->setFocusPolicy(Qt::ClickFocus);
        Text9[i]->setBuddy(Text10[i]);
    }
}

void PurchaseSlipWindow::buildPicker()
{
    for (int g = 0; g < 4; ++g) {
        Command9[g] = makeButton(this, QStringLiteral("Command9_%1").arg(g), QString(),
                                 twipsRect(8800 + 1580 * g, 120, 1540, 440));
        connect(Command9[g], &QPushButton::clicked, this, [this, g] {
            ShowItemGroup(g);
            Text4[0]->setFocus();
        });
    }
    MSFlexGrid1 = new Grid(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1_0"));
    MSFlexGrid1->setAccessibleName(QStringLiteral("仕入商品と在庫数量"));
    MSFlexGrid1->setGeometry(twipsRect(8800, 640, 6300, 9015));
    // For looking numbers and stock up only: the focus stays in the slip.
    MSFlexGrid1->setFocusPolicy(Qt::NoFocus);
    for (int c : {0, 2, 3})
        MSFlexGrid1->setColAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
}

void PurchaseSlipWindow::buildButtons()
{
    const struct
    {
        QPushButton** button;
        const char* name;
        QString caption;
        void (PurchaseSlipWindow::*action)();
    } buttons[] = {{&Command5, "Command5", QStringLiteral("登録(F12)"), &PurchaseSlipWindow::SavePurchaseSlip},
                   {&Command6, "Command6", QStringLiteral("取消（ESC）"), &PurchaseSlipWindow::ClearSlipEntry},
                   {&Command7, "Command7", QStringLiteral("伝票呼出(F10)"), &PurchaseSlipWindow::BuildSlipList},
                   {&Command13, "Command13", QStringLiteral("仕入商品設定"), &PurchaseSlipWindow::openPurchaseItems},
                   {&Command8, "Command8", QStringLiteral("閉じる（END）"), nullptr}};
    int i = 0;
    for (const auto& b : buttons) {
        *b.button = makeButton(this, QLatin1String(b.name), b.caption, twipsRect(120 + 1720 * i++, 9450, 1660, 600));
        if (b.action)
            connect(*b.button, &QPushButton::clicked, this, b.action);
    }
    connect(Command8, &QPushButton::clicked, this, &QWidget::close);
    connect(Command7, &QPushButton::clicked, this, [this] { MSFlexGrid2->setFocus(); });
}

void PurchaseSlipWindow::buildSupplierList()
{
    Frame4 = makeFrame(this, QStringLiteral("Frame4"), QStringLiteral("仕入先一覧"), QStringLiteral("仕入先一覧"),
                       twipsRect(120, 0, 6000, 4000));
    Frame4->setAutoFillBackground(true);
    List2 = new QListWidget(Frame4);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setAccessibleName(QStringLiteral("仕入先一覧"));
    List2->setGeometry(twipsRect(120, 300, 5100, 3550));
    List2->setUniformItemSizes(true);
    connect(List2, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { chooseSupplier(List2->row(item)); });
    Command15 = makeButton(Frame4, QStringLiteral("Command15"), QStringLiteral("×"), twipsRect(5300, 300, 560, 440));
    Command15->setAccessibleName(QStringLiteral("仕入先一覧を閉じる"));
    connect(Command15, &QPushButton::clicked, this, &PurchaseSlipWindow::closeSupplierList);
}

void PurchaseSlipWindow::buildSlipList()
{
    Frame5 = new SlipListPanel({.panel = {u"Frame5"_s, u"仕入伝票一覧"_s, {120, 120, 15000, 10000}},
                                .grid = {u"MSFlexGrid2"_s, u"仕入伝票一覧"_s, {120, 300, 7000, 9500}},
                                .widths = {1500, 1500, 1000, 1000, 1000},
                                .year = {u"Combo4"_s, u"一覧の年"_s, {7800, 300, 1300, 440}},
                                .month = {u"Combo5"_s, u"一覧の月"_s, {9700, 300, 900, 440}},
                                .lastYear = lastListedYear(),
                                .commands = {{u"Command10"_s, u"Command11"_s, u"Command12"_s}, {7400, 1000, 1500, 600}},
                                .list = ListPurchaseSlips,
                                .lastSlip = LastPurchaseSlipNo},
                               m_slips, this);
    MSFlexGrid2 = Frame5->grid;
    Combo4 = Frame5->yearBox;
    Combo5 = Frame5->monthBox;
    Command10 = Frame5->correctButton;
    Command11 = Frame5->deleteButton;
    Command12 = Frame5->closeButton;
    connect(Command10, &QPushButton::clicked, this, &PurchaseSlipWindow::correctSlip);
    connect(Command11, &QPushButton::clicked, this, &PurchaseSlipWindow::deleteSlip);
    connect(Command12, &QPushButton::clicked, this, &PurchaseSlipWindow::closeSlipList);
}

// Every box's keys, as the clerk uses them; keys not listed reach the box as usual.
void PurchaseSlipWindow::installKeyTables()
{
    KeyTable groups;
    for (int g = 0; g < 4; ++g)
        groups << KeyBinding{Qt::Key_F1 + g, [this, g] { ShowItemGroup(g); }};
    const KeyBinding end{Qt::Key_End, [this] { close(); }};
    const KeyBinding save{Qt::Key_F12, [this] { SavePurchaseSlip(); }};
    const KeyBinding slipList{Qt::Key_F10, [this] {
                                  BuildSlipList();
                                  MSFlexGrid2->setFocus();
                              }};
    const KeyBinding clear{Qt::Key_Escape, [this] { ClearSlipEntry(); }};

    installKeys(Text1[2],
                KeyTable{{Qt::Key_Return, [this] { Text1[3]->setFocus(); }}, clear, end, slipList, save} + groups);
    installKeys(Text1[3],
                KeyTable{{Qt::Key_Return, [this] { Text4[0]->setFocus(); }}, clear, end, slipList, save} + groups);

    m_lines->setActions(
        {.lookUp = [this](int k) { lookUpItem(k - 1); },
         .complete = [this](int k) { completeLine(k - 1); },
         .keys =
             [=, this](SlipLines::Column c, int k) {
                 switch (c) {
                 case SlipLines::Code:
                     return KeyTable{{Qt::Key_Escape, [this] { escapeFromLine(); }}, end, save} + groups;
                 case SlipLines::Price:
                     return KeyTable{{Qt::Key_Return, [this, k] { Text7[k - 1]->setFocus(); }}, end} + groups;
                 case SlipLines::Qty:
                     return KeyTable{end, save} + groups;
                 default:
                     return KeyTable{};
                 }
             }});

    Frame5->setGridKeys({{Qt::Key_Escape, [this] { closeSlipList(); }}});
    Frame5->setBoxKeys({{Qt::Key_End, [this] { closeSlipList(); }}});
    installKeys(List2, {{Qt::Key_Return, [this] { chooseSupplier(List2->currentRow()); }},
                        {Qt::Key_Escape, [this] { closeSupplierList(); }}});
}

// ---------------------------------------------------------------------------------------------------------
// Focus

bool PurchaseSlipWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The supplier boxes are green while they have the focus.
    if ((watched == Text1[2] || watched == Text1[3]) &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        setBackground(static_cast<QWidget*>(watched), event->type() == QEvent::FocusIn ? EditingColour : IdleColour);
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------------------
// Entry

void PurchaseSlipWindow::showSettings()
{
    for (int g = 0; g < 4; ++g) {
        Command9[g]->setText(SysStr[Sys::FirstGroupCaption + g]);
        Command9[g]->setAccessibleName(
            QStringLiteral("仕入商品 %1 %2").arg(g + 1).arg(SysStr[Sys::FirstGroupCaption + g]));
    }
    if (!m_correctionMode)
        Text1[0]->setText(numText(SysNum[Sys::NextPurchaseSlipNo]));
}

void PurchaseSlipWindow::ClearSlipEntry()
{
    Text1[0]->setText(numText(SysNum[Sys::NextPurchaseSlipNo]));
    for (int i = 1; i <= 3; ++i)
        Text1[i]->clear();
    for (QLineEdit* e : Text10)
        e->clear();
    m_lines->clear();
    // An abandoned correction gives nothing back: the stock still holds what the stored slip added.
    m_correctionMode = false;
    m_recalledSlipNo = 0;
    m_recalledQty.fill(0);
    Text1[2]->setFocus();
}

void PurchaseSlipWindow::ShowItemGroup(int g)
{
    m_currentItemGroup = g;
    MSFlexGrid1->clear();
    MSFlexGrid1->setCols(4);
    MSFlexGrid1->setRows(101);
    const int widths[] = {600, 3000, 900, 900};
    for (int c = 0; c < 4; ++c)
        MSFlexGrid1->setColWidthTwips(c, widths[c]);
    // The figures whole; the name takes what is left, so that the stock is never off to the right.
    MSFlexGrid1->setStretchColumn(1);
    MSFlexGrid1->setRowTexts(
        0, {QStringLiteral("番号"), QStringLiteral("商品名"), QStringLiteral("単価"), QStringLiteral("在庫数量")});
    // A missing zaiko.dat is not created by looking: the numbers are shown without items.
    const QList<PurchaseItem> items = stockFileThere() ? LoadPurchaseItems(100 * (g + 1)) : QList<PurchaseItem>();
    for (int row = 1; row <= 100; ++row) {
        const int n = 100 * g + row;
        if (n <= items.size()) {
            const PurchaseItem& item = items[n - 1];
            MSFlexGrid1->setRowTexts(
                row, {QString::number(n), item.Name, numText(item.StandardCost), numText(item.StockQty)});
        } else {
            MSFlexGrid1->setRowTexts(row, {QString::number(n)});
        }
    }
    MSFlexGrid1->fitColumns({0, 2, 3});
}

void PurchaseSlipWindow::itemChanged(int k)
{
    if (!Text4[k]->text().isEmpty() && !itemTextKept(Text4[k]->text()))
        Text4[k]->clear();
}

void PurchaseSlipWindow::priceOrQtyChanged(int k, QLineEdit* box)
{
    if (!box->text().isEmpty() && val(Text4[k]->text()) == 0)
        box->clear();
}

void PurchaseSlipWindow::lookUpItem(int k)
{
    const double v = val(Text4[k]->text());
    if (v < 1 || v > SysNum[Sys::PurchaseItemCount] || !stockFileThere())
        return;
    PurchaseItem item;
    if (Result r = ReadPurchaseItem(int(roundHalfEven(v)), item); !r) {
        MessageBox::information(this, r.error);
        return;
    }
    showStored(Text5[k], item.Name);
    Text6[k]->setText(numText(item.StandardCost));
    Text6[k]->setFocus();
}

void PurchaseSlipWindow::completeLine(int k)
{
    Text8[k]->setText(numText(val(Text6[k]->text()) * val(Text7[k]->text())));
    const PurchaseTotals t = purchaseTotals(m_lines->amounts(), TaxSwitch, SysNum[Sys::TaxRate]);
    Text10[0]->setText(numText(t.subtotal));
    Text10[1]->setText(numText(t.tax));
    Text10[2]->setText(numText(t.total));
}

void PurchaseSlipWindow::escapeFromLine()
{
    Frame5->collapse();
    m_slips.drop();
    ClearSlipEntry();
}

PurchaseSlipDraft PurchaseSlipWindow::draft() const
{
    PurchaseSlipDraft d;
    d.year = Combo1->currentText();
    d.month = Combo2->currentText();
    d.day = Combo3->currentText();
    d.time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    d.supplierNo = val(Text1[1]->text());
    d.supplierName = Text1[2]->text();
    d.supplierPhone = Text1[3]->text();
    for (int k = 0; k < Lines; ++k)
        d.line[k + 1] = {val(Text4[k]->text()), Text5[k]->text(), val(Text6[k]->text()), val(Text7[k]->text()),
                         val(Text8[k]->text())};
    d.subtotal = val(Text10[0]->text());
    d.tax = val(Text10[1]->text());
    d.total = val(Text10[2]->text());
    return d;
}

void PurchaseSlipWindow::SavePurchaseSlip()
{
    const PurchaseSlipDraft d = draft();
    const SaveOutcome outcome =
        m_correctionMode ? SaveCorrectedPurchaseSlip(m_recalledSlipNo, d, m_recalledQty) : SaveNewPurchaseSlip(d);
    if (!outcome.saved) {
        MessageBox::information(this, outcome.error); // the entry stays for another try
        return;
    }
    if (!outcome.error.isEmpty())
        MessageBox::information(this, outcome.error);
    m_correctionMode = false;
    m_recalledQty.fill(0);
    Q_EMIT changes().stockChanged(); // the picker shows the new stock
    Q_EMIT changes().purchaseSlipsChanged();
    ClearSlipEntry();
}

// ---------------------------------------------------------------------------------------------------------
// Supplier list

bool PurchaseSlipWindow::supplierListOpen() const
{
    return Frame4->isVisible() && Frame4->height() > 0;
}

void PurchaseSlipWindow::openSupplierList()
{
    List2->clear();
    List2->addItems(supplierPickList());
    expand(Frame4, twipsRect(120, 0, 6000, 4000));
    if (List2->count() > 0)
        List2->setCurrentRow(0);
    List2->setFocus();
}

void PurchaseSlipWindow::chooseSupplier(int p)
{
    if (p < 0 || p >= List2->count())
        return;
    if (Result r = LoadSupplier(int16_t(p + 1)); !r) {
        MessageBox::information(this, r.error);
        return;
    }
    Text1[1]->setText(QString::number(p + 1));
    showStored(Text1[2], CurrentSupplier.Name);
    showStored(Text1[3], CurrentSupplier.Phone);
    TaxSwitch = taxSwitchFor(CurrentSupplier.TaxType);
    closeSupplierList();
}

void PurchaseSlipWindow::closeSupplierList()
{
    collapse(Frame4);
    Text1[2]->setFocus();
}

// ---------------------------------------------------------------------------------------------------------
// Slip list, correction and deletion

bool PurchaseSlipWindow::slipListOpen() const
{
    return Frame5->isOpen();
}

void PurchaseSlipWindow::BuildSlipList()
{
    Frame5->rebuild();
}

void PurchaseSlipWindow::closeSlipList()
{
    Frame5->collapse();
    m_slips.drop();
    Text1[2]->setFocus();
}

int PurchaseSlipWindow::delcheck(qint64 n)
{
    PurchaseSlipRecord slip;
    if (Result r = ReadPurchaseSlip(n, slip); !r) {
        MessageBox::information(this, r.error);
        return -1;
    }
    return slip.Deleted;
}

bool PurchaseSlipWindow::RecallPurchaseSlip(qint64 n)
{
    m_recalledQty.fill(0);
    PurchaseSlipRecord slip;
    if (Result r = ReadPurchaseSlip(n, slip); !r) {
        MessageBox::information(this, r.error);
        return false;
    }
    Combo1->setEditText(slip.Date.mid(0, 4));
    Combo2->setEditText(slip.Date.mid(5, 2));
    Combo3->setEditText(slip.Date.mid(8, 2));
    // The record number: a damaged SlipNo field must not send the correction elsewhere.
    Text1[0]->setText(QString::number(n));
    Text1[1]->setText(QString::number(slip.SupplierNo));
    showStored(Text1[2], slip.SupplierName);
    showStored(Text1[3], slip.SupplierPhone);
    for (int k = 0; k < Lines; ++k) {
        const PurchaseSlipLine& line = slip.Line[k + 1];
        // A line without an item stays empty rather than showing zeros.
        if (line.ItemNo == 0) {
            for (QLineEdit* box : {Text4[k], Text5[k], Text6[k], Text7[k], Text8[k]})
                box->clear();
            continue;
        }
        Text4[k]->setText(QString::number(line.ItemNo));
        showStored(Text5[k], line.ItemName);
        Text6[k]->setText(QString::number(line.UnitPrice));
        Text7[k]->setText(QString::number(line.Qty));
        Text8[k]->setText(numText(line.Amount));
    }
    AddPurchasedQty(slip, m_recalledQty);
    Text10[0]->setText(numText(slip.Subtotal));
    Text10[1]->setText(numText(slip.Tax));
    Text10[2]->setText(numText(slip.Total));
    return true;
}

bool PurchaseSlipWindow::recallChosenSlip()
{
    if (!Frame5->chosenSlipUsable([this](qint64 n) { return delcheck(n); }))
        return false;
    Frame5->collapse();
    ClearSlipEntry();
    return RecallPurchaseSlip(m_slips.selectedSlipNo);
}

void PurchaseSlipWindow::correctSlip()
{
    if (!recallChosenSlip())
        return;
    m_correctionMode = true;
    m_recalledSlipNo = m_slips.selectedSlipNo;
    m_slips.drop();
}

void PurchaseSlipWindow::deleteSlip()
{
    // The slip stands in the window while the question is asked.
    if (!recallChosenSlip())
        return;
    if (MessageBox::question(this, QStringLiteral("削除しますか。"), true)) {
        const SaveOutcome outcome = DeletePurchaseSlip(m_slips.selectedSlipNo, m_recalledQty);
        if (!outcome.error.isEmpty())
            MessageBox::information(this, outcome.error);
        if (outcome.saved) {
            m_slips.drop();
            Q_EMIT changes().stockChanged(); // the picker shows the stock without the slip
            Q_EMIT changes().purchaseSlipsChanged();
        }
    }
    ClearSlipEntry();
}

void PurchaseSlipWindow::openPurchaseItems()
{
    Windows::purchaseItems();
}
