// The purchase slip window: layout, keys, line entry and totals, the supplier list and the slip list.
#include "purchasing/purchaseslipwindow.h"

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
#include "widgets/openers.h"
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
            supplierNameBox->setFocus();
    });

    // Opening the window.
    slipNoBox->setText(numText(SysNum[Sys::NextPurchaseSlipNo]));
    const QDate today = QDate::currentDate();
    yearBox->setEditText(today.toString(QStringLiteral("yyyy")));
    monthBox->setEditText(today.toString(QStringLiteral("MM")));
    dayBox->setEditText(today.toString(QStringLiteral("dd")));
    showSettings();
    ShowItemGroup(0);
    slipListPanel->showThisMonth();
    BuildSlipList();
    slipListPanel->collapse();
    collapse(supplierListFrame);

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
    slipHeaderFrame = makeFrame(this, QStringLiteral("slipHeaderFrame"), QString(), QStringLiteral("伝票の日付と番号"),
                                twipsRect(120, 60, 8500, 800));
    dateCaption = makeCaptionButton(slipHeaderFrame, QStringLiteral("dateCaption"), QStringLiteral("日付"),
                                    twipsRect(120, 240, 800, 440));
    yearBox = makeCombo(slipHeaderFrame, QStringLiteral("yearBox"), QStringLiteral("日付 年"),
                        twipsRect(960, 240, 1100, 440));
    monthBox = makeCombo(slipHeaderFrame, QStringLiteral("monthBox"), QStringLiteral("日付 月"),
                         twipsRect(2100, 240, 800, 440));
    dayBox =
        makeCombo(slipHeaderFrame, QStringLiteral("dayBox"), QStringLiteral("日付 日"), twipsRect(2940, 240, 800, 440));
    fillYearList(yearBox);
    fillNumbers(monthBox, 1, 12, 2);
    fillNumbers(dayBox, 1, 31, 2);
    slipNoCaption = makeCaptionButton(slipHeaderFrame, QStringLiteral("slipNoCaption"), QStringLiteral("伝票番号"),
                                      twipsRect(4300, 240, 1200, 440));
    slipNoBox = makeDisplay(slipHeaderFrame, QStringLiteral("slipNoBox"), QStringLiteral("伝票番号"),
                            twipsRect(5540, 240, 1500, 440));

    supplierFrame = makeFrame(this, QStringLiteral("supplierFrame"), QString(), QStringLiteral("仕入先"),
                              twipsRect(120, 900, 8500, 1000));
    supplierCaption = makeCaptionButton(supplierFrame, QStringLiteral("supplierCaption"), QStringLiteral("仕入先"),
                                        twipsRect(120, 300, 800, 440));
    supplierNoBox = makeDisplay(supplierFrame, QStringLiteral("supplierNoBox"), QStringLiteral("仕入先番号"),
                                twipsRect(960, 300, 600, 440));
    supplierNameBox = makeEdit(supplierFrame, QStringLiteral("supplierNameBox"), QStringLiteral("仕入先名"),
                               twipsRect(1600, 300, 3400, 440));
    supplierPhoneBox = makeEdit(supplierFrame, QStringLiteral("supplierPhoneBox"), QStringLiteral("電話番号"),
                                twipsRect(5040, 300, 1800, 440));
    supplierListButton = makeButton(supplierFrame, QStringLiteral("supplierListButton"), QStringLiteral("一覧"),
                                    twipsRect(6900, 300, 900, 440));
    connect(supplierListButton, &QPushButton::clicked, this, &PurchaseSlipWindow::openSupplierList);

    slipNoBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    supplierNoBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLineEdit* e : {supplierNameBox, supplierPhoneBox}) {
        setBackground(e, IdleColour);
        e->installEventFilter(this);
    }
}

namespace {

// The ten item lines, numbered in full-width digits and counted from 0 in their names.
SlipLines::Setup purchaseSlipLineSetup()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    SlipLines::Setup s;
    // clang-format off
    s.columns[SlipLines::Number] = {u"lineNumberBoxes"_s, u"番号"_s,   u"lineHeaders_0"_s, 120,  720,  Qt::AlignCenter, SlipLines::Display};
    s.columns[SlipLines::Code]   = {u"lineCodeBoxes"_s,   u"コード"_s, u"lineHeaders_1"_s, 840,  800,  right, SlipLines::Typed};
    s.columns[SlipLines::Name]   = {u"lineNameBoxes"_s,   u"品名"_s,   u"lineHeaders_2"_s, 1640, 3080, left,  SlipLines::ClickOnly};
    s.columns[SlipLines::Price]  = {u"linePriceBoxes"_s,  u"単価"_s,   u"lineHeaders_3"_s, 4720, 1100, right, SlipLines::Typed};
    s.columns[SlipLines::Qty]    = {u"lineQtyBoxes"_s,    u"数量"_s,   u"lineHeaders_4"_s, 5820, 900,  right, SlipLines::Typed};
    s.columns[SlipLines::Amount] = {u"lineAmountBoxes"_s, u"金額"_s,   u"lineHeaders_5"_s, 6720, 1600, right, SlipLines::ClickOnly};
    // clang-format on
    for (const QString& digit : FullWidthDigits)
        s.numbers << digit;
    s.firstIndex = 0;
    s.headerTop = 200;
    s.headerHeight = 380;
    s.firstTop = 620;
    s.pitch = 500;
    s.lineHeight = 460;
    s.highlighted = {SlipLines::Code, SlipLines::Price, SlipLines::Qty};
    return s;
}

} // namespace

void PurchaseSlipWindow::buildLines()
{
    linesFrame = makeFrame(this, QStringLiteral("linesFrame"), QString(), QStringLiteral("仕入明細"),
                           twipsRect(120, 2000, 8500, 7300));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    m_lines = new SlipLines(linesFrame, purchaseSlipLineSetup());

    for (int c = 0; c < SlipLines::Columns; ++c)
        lineHeaders[c] = m_lines->box(SlipLines::Column(c), 0);
    for (int k = 0; k < Lines; ++k) {
        lineNumberBoxes[k] = m_lines->number[k + 1];
        lineCodeBoxes[k] = m_lines->code[k + 1];
        lineNameBoxes[k] = m_lines->name[k + 1];
        linePriceBoxes[k] = m_lines->price[k + 1];
        lineQtyBoxes[k] = m_lines->qty[k + 1];
        lineAmountBoxes[k] = m_lines->amount[k + 1];
        // "１０" is two full-width digits: where a font makes it wider than the box, its first digit stays whole.
        lineNumberBoxes[k]->setCursorPosition(0);
        connect(lineCodeBoxes[k], &QLineEdit::textChanged, this, [this, k] { itemChanged(k); });
        connect(linePriceBoxes[k], &QLineEdit::textChanged, this,
                [this, k] { priceOrQtyChanged(k, linePriceBoxes[k]); });
        connect(lineQtyBoxes[k], &QLineEdit::textChanged, this, [this, k] { priceOrQtyChanged(k, lineQtyBoxes[k]); });
    }

    const QString totals[3] = {QStringLiteral("計"), QStringLiteral("消費税"), QStringLiteral("合計")};
    for (int i = 0; i < 3; ++i) {
        const int top = 5800 + 480 * i;
        totalLabels[i] =
            makeLabel(linesFrame, QStringLiteral("totalLabels_%1").arg(i), totals[i], twipsRect(5820, top, 900, 420));
        totalLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        totalBoxes[i] =
            makeEdit(linesFrame, QStringLiteral("totalBoxes_%1").arg(i), totals[i], twipsRect(6720, top, 1600, 420));
        totalBoxes[i]->setAlignment(right);
        totalBoxes[i]->setFocusPolicy(Qt::ClickFocus);
        totalLabels[i]->setBuddy(totalBoxes[i]);
    }
}

void PurchaseSlipWindow::buildPicker()
{
    for (int g = 0; g < 4; ++g) {
        itemGroupButtons[g] = makeButton(this, QStringLiteral("itemGroupButtons_%1").arg(g), QString(),
                                         twipsRect(8800 + 1580 * g, 120, 1540, 440));
        connect(itemGroupButtons[g], &QPushButton::clicked, this, [this, g] {
            ShowItemGroup(g);
            lineCodeBoxes[0]->setFocus();
        });
    }
    itemGrid = new Grid(this);
    itemGrid->setObjectName(QStringLiteral("itemGrid"));
    itemGrid->setAccessibleName(QStringLiteral("仕入商品と在庫数量"));
    itemGrid->setGeometry(twipsRect(8800, 640, 6300, 9015));
    // For looking numbers and stock up only: the focus stays in the slip.
    itemGrid->setFocusPolicy(Qt::NoFocus);
    for (int c : {0, 2, 3})
        itemGrid->setColAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
}

void PurchaseSlipWindow::buildButtons()
{
    const struct
    {
        QPushButton** button;
        const char* name;
        QString caption;
        void (PurchaseSlipWindow::*action)();
    } buttons[] = {{&saveButton, "saveButton", QStringLiteral("登録(F12)"), &PurchaseSlipWindow::SavePurchaseSlip},
                   {&clearButton, "clearButton", QStringLiteral("取消（ESC）"), &PurchaseSlipWindow::ClearSlipEntry},
                   {&recallButton, "recallButton", QStringLiteral("伝票呼出(F10)"), &PurchaseSlipWindow::BuildSlipList},
                   {&purchaseItemsButton, "purchaseItemsButton", QStringLiteral("仕入商品設定"),
                    &PurchaseSlipWindow::openPurchaseItems},
                   {&closeButton, "closeButton", QStringLiteral("閉じる（END）"), nullptr}};
    int i = 0;
    for (const auto& b : buttons) {
        *b.button = makeButton(this, QLatin1String(b.name), b.caption, twipsRect(120 + 1720 * i++, 9450, 1660, 600));
        if (b.action)
            connect(*b.button, &QPushButton::clicked, this, b.action);
    }
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(recallButton, &QPushButton::clicked, this, [this] { slipGrid->setFocus(); });
}

void PurchaseSlipWindow::buildSupplierList()
{
    supplierListFrame = makeFrame(this, QStringLiteral("supplierListFrame"), QStringLiteral("仕入先一覧"),
                                  QStringLiteral("仕入先一覧"), twipsRect(120, 0, 6000, 4000));
    supplierListFrame->setAutoFillBackground(true);
    supplierList = new QListWidget(supplierListFrame);
    supplierList->setObjectName(QStringLiteral("supplierList"));
    supplierList->setAccessibleName(QStringLiteral("仕入先一覧"));
    supplierList->setGeometry(twipsRect(120, 300, 5100, 3550));
    supplierList->setUniformItemSizes(true);
    connect(supplierList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { chooseSupplier(supplierList->row(item)); });
    supplierListCloseButton = makeButton(supplierListFrame, QStringLiteral("supplierListCloseButton"),
                                         QStringLiteral("×"), twipsRect(5300, 300, 560, 440));
    supplierListCloseButton->setAccessibleName(QStringLiteral("仕入先一覧を閉じる"));
    connect(supplierListCloseButton, &QPushButton::clicked, this, &PurchaseSlipWindow::closeSupplierList);
}

void PurchaseSlipWindow::buildSlipList()
{
    slipListPanel = new SlipListPanel(
        {.panel = {u"slipListPanel"_s, u"仕入伝票一覧"_s, {120, 120, 15000, 10000}},
         .grid = {u"slipGrid"_s, u"仕入伝票一覧"_s, {120, 300, 7000, 9500}},
         .widths = {1500, 1500, 1000, 1000, 1000},
         .year = {u"listYearBox"_s, u"一覧の年"_s, {7800, 300, 1300, 440}},
         .month = {u"listMonthBox"_s, u"一覧の月"_s, {9700, 300, 900, 440}},
         .lastYear = lastListedYear(),
         .commands = {{u"correctButton"_s, u"deleteButton"_s, u"slipListCloseButton"_s}, {7400, 1000, 1500, 600}},
         .list = ListPurchaseSlips,
         .lastSlip = LastPurchaseSlipNo},
        m_slips, this);
    slipGrid = slipListPanel->grid;
    listYearBox = slipListPanel->yearBox;
    listMonthBox = slipListPanel->monthBox;
    correctButton = slipListPanel->correctButton;
    deleteButton = slipListPanel->deleteButton;
    slipListCloseButton = slipListPanel->closeButton;
    connect(correctButton, &QPushButton::clicked, this, &PurchaseSlipWindow::correctSlip);
    connect(deleteButton, &QPushButton::clicked, this, &PurchaseSlipWindow::deleteSlip);
    connect(slipListCloseButton, &QPushButton::clicked, this, &PurchaseSlipWindow::closeSlipList);
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
                                  slipGrid->setFocus();
                              }};
    const KeyBinding clear{Qt::Key_Escape, [this] { ClearSlipEntry(); }};

    installKeys(supplierNameBox,
                KeyTable{{Qt::Key_Return, [this] { supplierPhoneBox->setFocus(); }}, clear, end, slipList, save} +
                    groups);
    installKeys(supplierPhoneBox,
                KeyTable{{Qt::Key_Return, [this] { lineCodeBoxes[0]->setFocus(); }}, clear, end, slipList, save} +
                    groups);

    m_lines->setActions(
        {.lookUp = [this](int k) { lookUpItem(k - 1); },
         .complete = [this](int k) { completeLine(k - 1); },
         .keys =
             [=, this](SlipLines::Column c, int k) {
                 switch (c) {
                 case SlipLines::Code:
                     return KeyTable{{Qt::Key_Escape, [this] { escapeFromLine(); }}, end, save} + groups;
                 case SlipLines::Price:
                     return KeyTable{{Qt::Key_Return, [this, k] { lineQtyBoxes[k - 1]->setFocus(); }}, end} + groups;
                 case SlipLines::Qty:
                     return KeyTable{end, save} + groups;
                 default:
                     return KeyTable{};
                 }
             }});

    slipListPanel->setGridKeys({{Qt::Key_Escape, [this] { closeSlipList(); }}});
    slipListPanel->setBoxKeys({{Qt::Key_End, [this] { closeSlipList(); }}});
    installKeys(supplierList, {{Qt::Key_Return, [this] { chooseSupplier(supplierList->currentRow()); }},
                               {Qt::Key_Escape, [this] { closeSupplierList(); }}});
}

// ---------------------------------------------------------------------------------------------------------
// Focus

bool PurchaseSlipWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The supplier boxes are green while they have the focus.
    if ((watched == supplierNameBox || watched == supplierPhoneBox) &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        setBackground(static_cast<QWidget*>(watched), event->type() == QEvent::FocusIn ? EditingColour : IdleColour);
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------------------
// Entry

void PurchaseSlipWindow::showSettings()
{
    for (int g = 0; g < 4; ++g) {
        itemGroupButtons[g]->setText(SysStr[Sys::FirstGroupCaption + g]);
        itemGroupButtons[g]->setAccessibleName(
            QStringLiteral("仕入商品 %1 %2").arg(g + 1).arg(SysStr[Sys::FirstGroupCaption + g]));
    }
    if (!m_correctionMode)
        slipNoBox->setText(numText(SysNum[Sys::NextPurchaseSlipNo]));
}

void PurchaseSlipWindow::ClearSlipEntry()
{
    slipNoBox->setText(numText(SysNum[Sys::NextPurchaseSlipNo]));
    for (QLineEdit* e : {supplierNoBox, supplierNameBox, supplierPhoneBox})
        e->clear();
    for (QLineEdit* e : totalBoxes)
        e->clear();
    m_lines->clear();
    // An abandoned correction gives nothing back: the stock still holds what the stored slip added.
    m_correctionMode = false;
    m_recalledSlipNo = 0;
    m_recalledQty.fill(0);
    supplierNameBox->setFocus();
}

void PurchaseSlipWindow::ShowItemGroup(int g)
{
    m_currentItemGroup = g;
    itemGrid->clear();
    itemGrid->setCols(4);
    itemGrid->setRows(101);
    const int widths[] = {600, 3000, 900, 900};
    for (int c = 0; c < 4; ++c)
        itemGrid->setColWidthTwips(c, widths[c]);
    // The figures whole; the name takes what is left, so that the stock is never off to the right.
    itemGrid->setStretchColumn(1);
    itemGrid->setRowTexts(
        0, {QStringLiteral("番号"), QStringLiteral("商品名"), QStringLiteral("単価"), QStringLiteral("在庫数量")});
    // A missing zaiko.dat is not created by looking: the numbers are shown without items.
    const QList<PurchaseItem> items = stockFileThere() ? LoadPurchaseItems(100 * (g + 1)) : QList<PurchaseItem>();
    for (int row = 1; row <= 100; ++row) {
        const int n = 100 * g + row;
        if (n <= items.size()) {
            const PurchaseItem& item = items[n - 1];
            itemGrid->setRowTexts(row,
                                  {QString::number(n), item.Name, numText(item.StandardCost), numText(item.StockQty)});
        } else {
            itemGrid->setRowTexts(row, {QString::number(n)});
        }
    }
    itemGrid->fitColumns({0, 2, 3});
}

void PurchaseSlipWindow::itemChanged(int k)
{
    if (!lineCodeBoxes[k]->text().isEmpty() && !itemTextKept(lineCodeBoxes[k]->text()))
        lineCodeBoxes[k]->clear();
}

void PurchaseSlipWindow::priceOrQtyChanged(int k, QLineEdit* box)
{
    if (!box->text().isEmpty() && val(lineCodeBoxes[k]->text()) == 0)
        box->clear();
}

void PurchaseSlipWindow::lookUpItem(int k)
{
    const double v = val(lineCodeBoxes[k]->text());
    if (v < 1 || v > SysNum[Sys::PurchaseItemCount] || !stockFileThere())
        return;
    const ResultWith<PurchaseItem> read = ReadPurchaseItem(int(roundHalfEven(v)));
    if (!read) {
        MessageBox::information(this, read.error);
        return;
    }
    showStored(lineNameBoxes[k], read.value.Name);
    linePriceBoxes[k]->setText(numText(read.value.StandardCost));
    linePriceBoxes[k]->setFocus();
}

void PurchaseSlipWindow::completeLine(int k)
{
    lineAmountBoxes[k]->setText(numText(val(linePriceBoxes[k]->text()) * val(lineQtyBoxes[k]->text())));
    const PurchaseTotals t = purchaseTotals(m_lines->amounts(), TaxSwitch, SysNum[Sys::TaxRate]);
    totalBoxes[0]->setText(numText(t.subtotal));
    totalBoxes[1]->setText(numText(t.tax));
    totalBoxes[2]->setText(numText(t.total));
}

void PurchaseSlipWindow::escapeFromLine()
{
    slipListPanel->collapse();
    m_slips.drop();
    ClearSlipEntry();
}

PurchaseSlipDraft PurchaseSlipWindow::draft() const
{
    PurchaseSlipDraft d;
    d.year = yearBox->currentText();
    d.month = monthBox->currentText();
    d.day = dayBox->currentText();
    d.time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    d.supplierNo = val(supplierNoBox->text());
    d.supplierName = supplierNameBox->text();
    d.supplierPhone = supplierPhoneBox->text();
    for (int k = 0; k < Lines; ++k)
        d.line[k + 1] = {val(lineCodeBoxes[k]->text()), lineNameBoxes[k]->text(), val(linePriceBoxes[k]->text()),
                         val(lineQtyBoxes[k]->text()), val(lineAmountBoxes[k]->text())};
    d.subtotal = val(totalBoxes[0]->text());
    d.tax = val(totalBoxes[1]->text());
    d.total = val(totalBoxes[2]->text());
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
    return supplierListFrame->isVisible() && supplierListFrame->height() > 0;
}

void PurchaseSlipWindow::openSupplierList()
{
    supplierList->clear();
    supplierList->addItems(supplierPickList());
    expand(supplierListFrame, twipsRect(120, 0, 6000, 4000));
    if (supplierList->count() > 0)
        supplierList->setCurrentRow(0);
    supplierList->setFocus();
}

void PurchaseSlipWindow::chooseSupplier(int p)
{
    if (p < 0 || p >= supplierList->count())
        return;
    const ResultWith<Supplier> read = ReadSupplier(p + 1);
    if (!read) {
        MessageBox::information(this, read.error);
        return;
    }
    supplierNoBox->setText(QString::number(p + 1));
    showStored(supplierNameBox, read.value.Name);
    showStored(supplierPhoneBox, read.value.Phone);
    TaxSwitch = taxSwitchFor(read.value.TaxType);
    closeSupplierList();
}

void PurchaseSlipWindow::closeSupplierList()
{
    collapse(supplierListFrame);
    supplierNameBox->setFocus();
}

// ---------------------------------------------------------------------------------------------------------
// Slip list, correction and deletion

bool PurchaseSlipWindow::slipListOpen() const
{
    return slipListPanel->isOpen();
}

void PurchaseSlipWindow::chooseListMonth(int year, int month)
{
    listYearBox->setEditText(QString::number(year));
    listMonthBox->setEditText(QString::number(month));
}

void PurchaseSlipWindow::BuildSlipList()
{
    slipListPanel->rebuild();
}

void PurchaseSlipWindow::closeSlipList()
{
    slipListPanel->collapse();
    m_slips.drop();
    supplierNameBox->setFocus();
}

int PurchaseSlipWindow::slipDeletionMark(qint64 n)
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
    yearBox->setEditText(slip.Date.mid(0, 4));
    monthBox->setEditText(slip.Date.mid(5, 2));
    dayBox->setEditText(slip.Date.mid(8, 2));
    // The record number: a damaged SlipNo field must not send the correction elsewhere.
    slipNoBox->setText(QString::number(n));
    supplierNoBox->setText(QString::number(slip.SupplierNo));
    showStored(supplierNameBox, slip.SupplierName);
    showStored(supplierPhoneBox, slip.SupplierPhone);
    for (int k = 0; k < Lines; ++k) {
        const PurchaseSlipLine& line = slip.Line[k + 1];
        // A line without an item stays empty rather than showing zeros.
        if (line.ItemNo == 0) {
            for (QLineEdit* box :
                 {lineCodeBoxes[k], lineNameBoxes[k], linePriceBoxes[k], lineQtyBoxes[k], lineAmountBoxes[k]})
                box->clear();
            continue;
        }
        lineCodeBoxes[k]->setText(QString::number(line.ItemNo));
        showStored(lineNameBoxes[k], line.ItemName);
        linePriceBoxes[k]->setText(QString::number(line.UnitPrice));
        lineQtyBoxes[k]->setText(QString::number(line.Qty));
        lineAmountBoxes[k]->setText(numText(line.Amount));
    }
    AddPurchasedQty(slip, m_recalledQty);
    totalBoxes[0]->setText(numText(slip.Subtotal));
    totalBoxes[1]->setText(numText(slip.Tax));
    totalBoxes[2]->setText(numText(slip.Total));
    return true;
}

bool PurchaseSlipWindow::recallChosenSlip()
{
    if (!slipListPanel->chosenSlipUsable([this](qint64 n) { return slipDeletionMark(n); }))
        return false;
    slipListPanel->collapse();
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
    openers().purchaseItems();
}
