// Purchase items: the grids of all 400, the chosen item's boxes, and a save that never undoes stock that a
// sale or purchase changed while the item was shown.
#include "masters/purchaseitemwindow.h"

#include "masters/supplierpicker.h"
#include "platform/controls.h"
#include "platform/messagebox.h"
#include "platform/modeless.h"
#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/supplier.h"
#include "storage/text.h"
#include "widgets/bytelimit.h"
#include "widgets/fieldfocus.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString Captions[6] = {QStringLiteral("番号"),         QStringLiteral("分類"),     QStringLiteral("名称"),
                             QStringLiteral("標準仕入単価"), QStringLiteral("在庫数量"), QStringLiteral("仕入先")};
// The field names in messages, by box.
const QString FieldNames[5] = {QStringLiteral("分類"), QStringLiteral("名称"), QStringLiteral("標準仕入単価"),
                               QStringLiteral("在庫数量"), QStringLiteral("仕入先")};
constexpr int CategoryWidth = 6;
constexpr int NameWidth = 30;

EntryWindow::Setup setup()
{
    return {.name = QStringLiteral("PurchaseItemWindow"),
            .caption = QStringLiteral("仕入商品設定"),
            .clientSize = QSize(twips(12720), twips(8880)),
            .tabs = twipsRect(120, 120, 6600, 8640),
            .gridHeaders = {QStringLiteral("番号"), QStringLiteral("仕入商品名"), QStringLiteral("単価")},
            .gridWidths = {0, 3000, 0},
            .registerButton = twipsRect(6960, 4680, 1500, 500),
            .closeButton = twipsRect(8640, 4680, 1500, 500),
            .statusLine = twipsRect(6960, 6000, 5640, 420),
            .savedText = QStringLiteral("仕入商品 %1 を登録しました。")};
}

} // namespace

PurchaseItemWindow::PurchaseItemWindow(QWidget* parent) : EntryWindow(setup(), parent)
{
    itemFrame = makeFrame(this, QStringLiteral("itemFrame"), QStringLiteral("商品"), QStringLiteral("商品"),
                          twipsRect(6960, 120, 5640, 4380));
    for (int i = 0; i < 6; ++i) {
        const int top = 360 + 560 * i;
        fieldCaptions[i] = makeCaptionButton(itemFrame, QStringLiteral("fieldCaptions_%1").arg(i), Captions[i],
                                             twipsRect(240, top, 1680, 420));
    }
    itemNoBox =
        makeDisplay(itemFrame, QStringLiteral("itemNoBox"), QStringLiteral("番号"), twipsRect(2040, 360, 900, 420));
    for (int i = 0; i < 4; ++i) {
        fieldBoxes[i] = makeEdit(itemFrame, QStringLiteral("fieldBoxes_%1").arg(i), FieldNames[i],
                                 twipsRect(2040, 920 + 560 * i, 3360, 420));
        selectAllOnFocus(fieldBoxes[i]);
    }
    limitBytes(fieldBoxes[0], CategoryWidth);
    limitBytes(fieldBoxes[1], NameWidth);
    fieldBoxes[4] = makeDisplay(itemFrame, QStringLiteral("fieldBoxes_4"), QStringLiteral("仕入先番号"),
                                twipsRect(2040, 3160, 600, 420));
    fieldBoxes[5] = makeDisplay(itemFrame, QStringLiteral("fieldBoxes_5"), QStringLiteral("仕入先名"),
                                twipsRect(2700, 3160, 2700, 420));
    supplierListButton = makeButton(itemFrame, QStringLiteral("supplierListButton"), QStringLiteral("一覧"),
                                    twipsRect(2040, 3720, 1200, 420));
    connect(supplierListButton, &QPushButton::clicked, this, &PurchaseItemWindow::openSupplierList);

    guideBox =
        makeDisplay(this, QStringLiteral("guideBox"), QStringLiteral("操作の案内"), twipsRect(6960, 5400, 5640, 420));
    guideBox->setText(QStringLiteral("編集を行いたい行を表からクリックします。"));

    // Enter and Down go on to the next box as far as the stock, Up back as far as the classification.
    for (int i = 0; i < 4; ++i) {
        QLineEdit* next = fieldBoxes[std::min(i + 1, 3)];
        QLineEdit* previous = fieldBoxes[std::max(i - 1, 0)];
        installKeys(fieldBoxes[i], KeyTable{{Qt::Key_Return, [next] { next->setFocus(); }},
                                            {Qt::Key_Down, [next] { next->setFocus(); }},
                                            {Qt::Key_Up, [previous] { previous->setFocus(); }}} +
                                       tabs->tabKeys());
    }
    tabs->setKeys(tabs->tabKeys());
    setFirstBox(fieldBoxes[0]);

    connect(&changes(), &Changes::stockChanged, this, &PurchaseItemWindow::followStoredItem);
    load();
}

void PurchaseItemWindow::fillGrids()
{
    // One open of zaiko.dat for all 400 rows.
    const QList<PurchaseItem> items = LoadPurchaseItems(PurchaseItemCount);
    for (int n = 1; n <= PurchaseItemCount; ++n) {
        const PurchaseItem item = n <= items.size() ? items[n - 1] : PurchaseItem{};
        tabs->setGridRow(n, {item.Name, numText(item.StandardCost)});
    }
}

QStringList PurchaseItemWindow::gridRow(int)
{
    // Asked for the item just registered, which is what the boxes show.
    return {m_shown.Name, numText(m_shown.StandardCost)};
}

QString PurchaseItemWindow::fieldText(const PurchaseItem& item, Field f)
{
    switch (f) {
    case Category:
        return item.Category;
    case Name:
        return item.Name;
    case Cost:
        return numText(item.StandardCost);
    case Stock:
        return numText(item.StockQty);
    case Supplier:
    case Fields:
        break;
    }
    return QString::number(item.SupplierNo) + u' ' + item.SupplierName;
}

bool PurchaseItemWindow::sameField(const PurchaseItem& a, const PurchaseItem& b, Field f)
{
    switch (f) {
    case Category:
        return fixedText(a.Category, CategoryWidth) == fixedText(b.Category, CategoryWidth);
    case Name:
        return fixedText(a.Name, NameWidth) == fixedText(b.Name, NameWidth);
    case Cost:
        return a.StandardCost == b.StandardCost;
    case Stock:
        return a.StockQty == b.StockQty;
    case Supplier:
    case Fields:
        break;
    }
    return a.SupplierNo == b.SupplierNo && fixedText(a.SupplierName, NameWidth) == fixedText(b.SupplierName, NameWidth);
}

void PurchaseItemWindow::copyField(PurchaseItem& to, const PurchaseItem& from, Field f)
{
    switch (f) {
    case Category:
        to.Category = from.Category;
        break;
    case Name:
        to.Name = from.Name;
        break;
    case Cost:
        to.StandardCost = from.StandardCost;
        break;
    case Stock:
        to.StockQty = from.StockQty;
        break;
    case Supplier:
    case Fields:
        to.SupplierNo = from.SupplierNo;
        to.SupplierName = from.SupplierName;
        break;
    }
}

void PurchaseItemWindow::showField(const PurchaseItem& item, Field f)
{
    if (f == Supplier) {
        fieldBoxes[4]->setText(QString::number(item.SupplierNo));
        showStored(fieldBoxes[5], item.SupplierName);
        m_shownText[f] = fieldBoxes[4]->text() + u'\n' + fieldBoxes[5]->text();
    } else {
        showStored(fieldBoxes[f], fieldText(item, f));
        m_shownText[f] = fieldBoxes[f]->text();
    }
}

bool PurchaseItemWindow::edited(Field f) const
{
    if (f == Supplier)
        return fieldBoxes[4]->text() + u'\n' + fieldBoxes[5]->text() != m_shownText[f];
    return fieldBoxes[f]->text() != m_shownText[f];
}

bool PurchaseItemWindow::hasUnsavedEdits() const
{
    for (int f = 0; f < Fields; ++f)
        if (edited(Field(f)))
            return true;
    return false;
}

void PurchaseItemWindow::loadEntry(int n)
{
    itemNoBox->setText(QString::number(n));
    const ResultWith<PurchaseItem> read = ReadPurchaseItem(n);
    if (!read)
        MessageBox::information(this, read.error);
    m_shown = read.value;
    for (int f = 0; f < Fields; ++f)
        showField(m_shown, Field(f));
}

Result PurchaseItemWindow::readBoxes(PurchaseItem& item) const
{
    item.Category = fieldBoxes[0]->text();
    item.Name = fieldBoxes[1]->text();
    item.StandardCost = val(fieldBoxes[2]->text());
    item.StockQty = val(fieldBoxes[3]->text());
    const double supplier = val(fieldBoxes[4]->text());
    item.SupplierName = fieldBoxes[5]->text();
    const auto refuse = [this](int box) {
        fieldBoxes[box]->setFocus();
        return Result::failure(FieldNames[box] + QStringLiteral("に保存できない数値が入力されています。"));
    };
    // val would read a number too large for the file as 0 and store that without a word.
    if (valTooLarge(fieldBoxes[2]->text()))
        return refuse(2);
    if (valTooLarge(fieldBoxes[3]->text()))
        return refuse(3);
    if (!fitsInt16(supplier))
        return Result::failure(QStringLiteral("仕入先の番号 %1 は保存できません。").arg(fieldBoxes[4]->text()));
    item.SupplierNo = toInt16(supplier);
    return Result::success();
}

Result PurchaseItemWindow::saveEntry(int n)
{
    PurchaseItem typed;
    if (const Result r = readBoxes(typed); !r)
        return r;
    // A sale or purchase may have changed the record since it was shown: read it again, keep what others
    // changed where the user typed nothing, and ask where both did.
    const ResultWith<PurchaseItem> read = ReadPurchaseItem(n);
    if (!read)
        return read;
    const PurchaseItem& stored = read.value;
    PurchaseItem result = typed;
    result.Record = stored.Record;
    QStringList kept;
    for (int i = 0; i < Fields; ++i) {
        const Field f = Field(i);
        if (sameField(stored, m_shown, f) || sameField(stored, typed, f))
            continue;
        const QString change =
            QStringLiteral("%1 → %2").arg(fieldText(m_shown, f).trimmed(), fieldText(stored, f).trimmed());
        if (!edited(f)) {
            copyField(result, stored, f);
            kept << QStringLiteral("%1（%2）").arg(FieldNames[f], change);
            continue;
        }
        const QString question = QStringLiteral("%1は表示した後にほかの画面で変更されています。\n"
                                                "表示した時: %2\n現在: %3\n入力した %4 で上書きしますか？")
                                     .arg(FieldNames[f], fieldText(m_shown, f).trimmed(),
                                          fieldText(stored, f).trimmed(), fieldText(typed, f).trimmed());
        if (!MessageBox::question(this, question))
            copyField(result, stored, f);
    }
    if (const Result r = WritePurchaseItem(n, result); !r)
        return Result::failure(QStringLiteral("仕入商品を保存できませんでした。\n") + r.error);
    m_shown = result;
    for (int f = 0; f < Fields; ++f)
        showField(m_shown, Field(f));
    Q_EMIT changes().stockChanged();
    if (!kept.isEmpty())
        MessageBox::information(
            this, QStringLiteral("表示した後にほかの画面で変わった項目は、変わった値のまま保存しました。\n") +
                      kept.join(u'\n'));
    return Result::success();
}

void PurchaseItemWindow::followStoredItem()
{
    fillGrids();
    const int n = chosen();
    if (n == 0)
        return;
    const ResultWith<PurchaseItem> read = ReadPurchaseItem(n);
    if (!read)
        return;
    // A box being edited keeps its text; "登録" then asks which figure is meant.
    for (int i = 0; i < Fields; ++i) {
        const Field f = Field(i);
        if (!sameField(read.value, m_shown, f) && !edited(f)) {
            copyField(m_shown, read.value, f);
            showField(m_shown, f);
        }
    }
}

void PurchaseItemWindow::openSupplierList()
{
    SupplierPicker* list =
        showSingle<SupplierPicker>([this](SupplierPicker* form) { form->move(frameGeometry().topRight()); });
    list->openFor(this, [this](int n) {
        const ResultWith<::Supplier> read = ReadSupplier(n);
        if (!read) {
            MessageBox::information(this, read.error);
            return;
        }
        fieldBoxes[4]->setText(QString::number(n));
        showStored(fieldBoxes[5], read.value.Name);
    });
}
