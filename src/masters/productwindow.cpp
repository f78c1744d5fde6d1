// Products: the grids of all 400, the chosen product's boxes and its set composition, amounts and cost price
// recalculated as the boxes change, and one product saved at a time.
#include "masters/productwindow.h"

#include "masters/purchaseitempicker.h"
#include "platform/controls.h"
#include "platform/grid.h"
#include "platform/labelprint.h"
#include "platform/messagebox.h"
#include "platform/modeless.h"
#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/jancode.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "widgets/bytelimit.h"
#include "widgets/fieldfocus.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const QString ProductCaptions[5] = {QStringLiteral("番号"), QStringLiteral("分類"), QStringLiteral("名称"),
                                    QStringLiteral("販売単価"), QStringLiteral("仕入単価")};
constexpr int ClassWidth = 6;
constexpr int NameWidth = 30;

// The composition columns: left and width in twips within the frame.
struct Column
{
    int left;
    int width;
};
constexpr Column NumberCol{120, 600}, NameCol{720, 2400}, QtyCol{3120, 840}, PriceCol{3960, 960}, AmountCol{4920, 1080},
    SearchCol{6000, 600}, EraseCol{6600, 420};
constexpr int RowTop = 720, RowPitch = 520, RowHeight = 420;

EntryWindow::Setup setup()
{
    return {.name = QStringLiteral("ProductWindow"),
            .caption = QStringLiteral("商品設定"),
            .clientSize = QSize(twips(14280), twips(8880)),
            .tabs = twipsRect(120, 120, 6600, 8640),
            .gridHeaders = {QStringLiteral("番号"), QStringLiteral("商品名"), QStringLiteral("単価")},
            .gridWidths = {0, 3000, 0},
            .registerButton = twipsRect(6960, 6900, 1500, 500),
            .closeButton = twipsRect(8640, 6900, 1500, 500),
            .statusLine = twipsRect(6960, 8100, 7200, 420),
            .savedText = QStringLiteral("商品 %1 を登録しました。")};
}

} // namespace

ProductWindow::ProductWindow(QWidget* parent) : EntryWindow(setup(), parent)
{
    buildProductFrame();
    buildCompositionFrame();
    guideLabel =
        makeLabel(this, QStringLiteral("guideLabel"), QStringLiteral("編集を行いたい行を表からクリックします。"),
                  twipsRect(6960, 7560, 7200, 420));
    guideLabel->setAccessibleName(QStringLiteral("操作の案内"));
    setFirstBox(classCodeBox);
    printLabelsButton = makeButton(this, QStringLiteral("printLabelsButton"), QStringLiteral("ラベル印刷"),
                                   twipsRect(10320, 6900, 1800, 500));
    connect(printLabelsButton, &QPushButton::clicked, this, &ProductWindow::printLabels);
    // Ctrl or Shift with a click chooses several products for labels.
    for (int t = 0; t < NumberedTabs::Tabs; ++t)
        tabs->grid(t)->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Products restored or initialised elsewhere show at once.
    connect(&changes(), &Changes::productsChanged, this, &ProductWindow::fillGrids);
    load();
}

void ProductWindow::buildProductFrame()
{
    productFrame = makeFrame(this, QStringLiteral("productFrame"), QStringLiteral("商品"), QStringLiteral("商品"),
                             twipsRect(6960, 120, 7200, 3120));
    for (int i = 0; i < 5; ++i)
        productCaptions[i] = makeCaptionButton(productFrame, QStringLiteral("productCaptions_%1").arg(i),
                                               ProductCaptions[i], twipsRect(240, 360 + 540 * i, 1560, 420));
    productNoBox = makeDisplay(productFrame, QStringLiteral("productNoBox"), QStringLiteral("番号"),
                               twipsRect(1920, 360, 900, 420));
    const std::pair<QLineEdit**, QString> fields[4] = {{&classCodeBox, QStringLiteral("classCodeBox")},
                                                       {&productNameBox, QStringLiteral("productNameBox")},
                                                       {&salePriceBox, QStringLiteral("salePriceBox")},
                                                       {&costPriceBox, QStringLiteral("costPriceBox")}};
    for (int i = 0; i < 4; ++i) {
        *fields[i].first = makeEdit(productFrame, fields[i].second, ProductCaptions[i + 1],
                                    twipsRect(1920, 900 + 540 * i, i == 1 ? 4800 : 1800, 420));
        selectAllOnFocus(*fields[i].first);
    }
    limitBytes(classCodeBox, ClassWidth);
    limitBytes(productNameBox, NameWidth);
    costPriceBox->setReadOnly(true); // the sum of the composition
    salePriceBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    costPriceBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Beside the selling price, whose tax it decides.
    reducedRateCheck = new QCheckBox(QStringLiteral("軽減税率"), productFrame);
    reducedRateCheck->setObjectName(QStringLiteral("reducedRateCheck"));
    reducedRateCheck->setAccessibleName(QStringLiteral("軽減税率"));
    reducedRateCheck->setGeometry(twipsRect(3960, 1980, 2400, 420));

    // Beside the number: the code a scanner reads at the register, typed, scanned or made by "自動".
    janCaption = makeCaptionButton(productFrame, QStringLiteral("janCaption"), QStringLiteral("JANコード"),
                                   twipsRect(2940, 360, 1320, 420));
    janCodeBox = makeEdit(productFrame, QStringLiteral("janCodeBox"), QStringLiteral("JANコード"),
                          twipsRect(4320, 360, 1920, 420));
    // Letters, blanks, line breaks and a 14th digit never get in; length and check digit are checked at "登録".
    janCodeBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9０-９]{0,13}")), janCodeBox));
    selectAllOnFocus(janCodeBox);
    autoCodeButton = makeButton(productFrame, QStringLiteral("autoCodeButton"), QStringLiteral("自動"),
                                twipsRect(6300, 360, 780, 420));
    connect(autoCodeButton, &QPushButton::clicked, this, &ProductWindow::autoCode);

    // Enter and Down go on from the classification and the name; Up goes back as far as the classification.
    QLineEdit* const boxes[4] = {classCodeBox, productNameBox, salePriceBox, costPriceBox};
    for (int i = 0; i < 4; ++i) {
        QLineEdit* next = i < 2 ? boxes[i + 1] : nullptr;
        QLineEdit* previous = i > 0 ? boxes[i - 1] : nullptr;
        const auto to = [](QLineEdit* box) {
            return [box] {
                if (box)
                    box->setFocus();
            };
        };
        installKeys(boxes[i],
                    KeyTable{{Qt::Key_Return, to(next)}, {Qt::Key_Down, to(next)}, {Qt::Key_Up, to(previous)}} +
                        tabs->tabKeys());
    }
    tabs->setKeys(tabs->tabKeys());
}

void ProductWindow::buildCompositionFrame()
{
    compositionFrame = makeFrame(this, QStringLiteral("compositionFrame"), QStringLiteral("商品構成"),
                                 QStringLiteral("商品構成"), twipsRect(6960, 3360, 7200, 3360));
    const auto header = [this](const QString& name, const QString& text, Column c) {
        QLineEdit* box = makeDisplay(compositionFrame, name, text, twipsRect(c.left, 300, c.width, RowHeight));
        box->setText(text);
        box->setAlignment(Qt::AlignCenter);
        return box;
    };
    componentNoHeader = header(QStringLiteral("componentNoHeader"), QStringLiteral("番号"), NumberCol);
    componentNameHeader = header(QStringLiteral("componentNameHeader"), QStringLiteral("品名"), NameCol);
    componentQtyHeader = header(QStringLiteral("componentQtyHeader"), QStringLiteral("数量"), QtyCol);
    componentPriceHeader = header(QStringLiteral("componentPriceHeader"), QStringLiteral("単価"), PriceCol);
    componentAmountHeader = header(QStringLiteral("componentAmountHeader"), QStringLiteral("金額"), AmountCol);

    for (int k = 0; k < Slots; ++k) {
        const int top = RowTop + RowPitch * k;
        const QString row = QStringLiteral(" %1").arg(k + 1);
        const auto at = [top](Column c) { return twipsRect(c.left, top, c.width, RowHeight); };
        componentNoBoxes[k] = makeDisplay(compositionFrame, QStringLiteral("componentNoBoxes_%1").arg(k),
                                          QStringLiteral("番号") + row, at(NumberCol));
        componentNameBoxes[k] = makeDisplay(compositionFrame, QStringLiteral("componentNameBoxes_%1").arg(k),
                                            QStringLiteral("品名") + row, at(NameCol));
        componentQtyBoxes[k] = makeEdit(compositionFrame, QStringLiteral("componentQtyBoxes_%1").arg(k),
                                        QStringLiteral("数量") + row, at(QtyCol));
        componentPriceBoxes[k] = makeEdit(compositionFrame, QStringLiteral("componentPriceBoxes_%1").arg(k),
                                          QStringLiteral("単価") + row, at(PriceCol));
        componentAmountBoxes[k] = makeDisplay(compositionFrame, QStringLiteral("componentAmountBoxes_%1").arg(k),
                                              QStringLiteral("金額") + row, at(AmountCol));
        for (QLineEdit* box : {componentQtyBoxes[k], componentPriceBoxes[k], componentAmountBoxes[k]})
            box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        selectAllOnFocus(componentQtyBoxes[k]);
        selectAllOnFocus(componentPriceBoxes[k]);
        searchButtons[k] = makeButton(compositionFrame, QStringLiteral("searchButtons_%1").arg(k),
                                      QStringLiteral("検索"), at(SearchCol));
        eraseButtons[k] =
            makeButton(compositionFrame, QStringLiteral("eraseButtons_%1").arg(k), QStringLiteral("消"), at(EraseCol));

        // The recalculation follows every change of a box, typed or set here.
        connect(componentQtyBoxes[k], &QLineEdit::textChanged, this, [this, k] { computeAmount(k); });
        connect(componentPriceBoxes[k], &QLineEdit::textChanged, this, [this, k] { computeAmount(k); });
        connect(componentAmountBoxes[k], &QLineEdit::textChanged, this, &ProductWindow::computeCostPrice);
        connect(componentNoBoxes[k], &QLineEdit::textChanged, this, [this, k](const QString& text) {
            if (val(text) == 0)
                clearRow(k);
        });
        connect(searchButtons[k], &QPushButton::clicked, this, [this, k] { searchItem(k); });
        connect(eraseButtons[k], &QPushButton::clicked, this, [this, k] { clearRow(k); });
    }
}

void ProductWindow::computeAmount(int k)
{
    componentAmountBoxes[k]->setText(numText(val(componentQtyBoxes[k]->text()) * val(componentPriceBoxes[k]->text())));
}

void ProductWindow::computeCostPrice()
{
    double sum = 0;
    for (int k = 0; k < Slots; ++k)
        sum += val(componentAmountBoxes[k]->text());
    costPriceBox->setText(numText(sum));
}

void ProductWindow::clearRow(int k)
{
    componentNoBoxes[k]->setText(QString());
    componentNameBoxes[k]->setText(QString());
    componentPriceBoxes[k]->setText(QStringLiteral("0"));
    componentQtyBoxes[k]->setText(QStringLiteral("0"));
    componentAmountBoxes[k]->setText(QStringLiteral("0"));
}

void ProductWindow::searchItem(int k)
{
    PurchaseItemPicker* list =
        showSingle<PurchaseItemPicker>([this](PurchaseItemPicker* form) { form->move(frameGeometry().topRight()); });
    list->openFor(this, [this, k](int n) {
        const ResultWith<PurchaseItem> read = ReadPurchaseItem(n);
        if (!read) {
            MessageBox::information(this, read.error);
            return;
        }
        const QString cost = numText(read.value.StandardCost);
        componentNoBoxes[k]->setText(QString::number(n));
        showStored(componentNameBoxes[k], read.value.Name);
        componentPriceBoxes[k]->setText(cost);
        componentQtyBoxes[k]->setText(QStringLiteral("1"));
        componentAmountBoxes[k]->setText(cost);
    });
}

void ProductWindow::loadEntry(int n)
{
    productNoBox->setText(QString::number(n));
    // The file is the truth: the entry is read again before it is shown.
    if (const Result r = ReloadProduct(int16_t(n)); !r)
        MessageBox::information(this, r.error);
    const ProductEntry& e = ProductTable[n];
    showStored(classCodeBox, e.ClassCode);
    showStored(productNameBox, e.ProductName);
    salePriceBox->setText(numText(e.SalePrice));
    costPriceBox->setText(e.CostPrice);
    reducedRateCheck->setChecked(e.Reduced != 0);
    janCodeBox->setText(e.JanCode);
    for (int k = 0; k < Slots; ++k) {
        const ComponentSlot& s = e.Slot[k + 1];
        componentNoBoxes[k]->setText(QString::number(s.ComponentItemNo));
        showStored(componentNameBoxes[k], s.ComponentName);
        componentQtyBoxes[k]->setText(numText(s.ComponentQty));
        componentPriceBoxes[k]->setText(numText(s.ComponentUnitPrice));
        componentAmountBoxes[k]->setText(numText(s.ComponentAmount));
    }
    m_storedTexts = typedTexts();
}

QStringList ProductWindow::typedTexts() const
{
    QStringList texts = {classCodeBox->text(), productNameBox->text(), salePriceBox->text(), janCodeBox->text(),
                         reducedRateCheck->isChecked() ? QStringLiteral("1") : QStringLiteral("0")};
    for (int k = 0; k < Slots; ++k)
        texts << componentNoBoxes[k]->text() << componentNameBoxes[k]->text() << componentQtyBoxes[k]->text()
              << componentPriceBoxes[k]->text();
    return texts;
}

bool ProductWindow::hasUnsavedEdits() const
{
    return typedTexts() != m_storedTexts;
}

QStringList ProductWindow::gridRow(int n)
{
    const ProductEntry& e = ProductTable[n];
    // A number not in use shows an empty row, not a price of 0 that nobody set.
    const bool unused = e.ProductName.trimmed().isEmpty() && e.SalePrice == 0;
    return {(e.Reduced != 0 ? ReducedMark : QString()) + e.ProductName, unused ? QString() : numText(e.SalePrice)};
}

Result ProductWindow::checkNumbers() const
{
    if (!strictVal(salePriceBox->text())) {
        salePriceBox->setFocus();
        return Result::failure(QStringLiteral("販売単価は数値で入力してください。"));
    }
    double sum = 0;
    for (int k = 0; k < Slots; ++k) {
        const QString row = QStringLiteral("商品構成 %1 行目の").arg(k + 1);
        if (!fitsInt16(val(componentNoBoxes[k]->text())))
            return Result::failure(row + QStringLiteral("番号 %1 は保存できません。").arg(componentNoBoxes[k]->text()));
        for (const auto& [box, field] : {std::pair{componentQtyBoxes[k], QStringLiteral("数量")},
                                         std::pair{componentPriceBoxes[k], QStringLiteral("単価")}})
            if (valTooLarge(box->text())) {
                box->setFocus();
                return Result::failure(row + field + QStringLiteral("に保存できない数値が入力されています。"));
            }
        const double amount = val(componentQtyBoxes[k]->text()) * val(componentPriceBoxes[k]->text());
        if (!std::isfinite(amount))
            return Result::failure(row + QStringLiteral("金額が大きすぎて保存できません。"));
        sum += amount;
    }
    if (!std::isfinite(sum))
        return Result::failure(QStringLiteral("仕入単価が大きすぎて保存できません。"));
    return Result::success();
}

Result ProductWindow::saveEntry(int n)
{
    if (const Result r = checkNumbers(); !r)
        return r;
    QString code;
    if (const Result r = checkJanCode(n, code); !r) {
        janCodeBox->setFocus();
        return r;
    }
    ProductEntry e = ProductTable[n]; // keeps ComponentSpare
    e.JanCode = code;
    e.ClassCode = classCodeBox->text();
    e.ProductName = productNameBox->text();
    e.SalePrice = *strictVal(salePriceBox->text());
    e.CostPrice = costPriceBox->text();
    if (reducedRateCheck->isChecked() != (e.Reduced != 0))
        e.Reduced = reducedRateCheck->isChecked() ? 1 : 0;
    for (int k = 0; k < Slots; ++k) {
        ComponentSlot& s = e.Slot[k + 1];
        s.ComponentItemNo = toInt16(val(componentNoBoxes[k]->text()));
        s.ComponentName = componentNameBoxes[k]->text();
        s.ComponentQty = val(componentQtyBoxes[k]->text());
        s.ComponentUnitPrice = val(componentPriceBoxes[k]->text());
        s.ComponentAmount = val(componentAmountBoxes[k]->text());
    }
    // The register sells from the table: it changes only when the file took the product.
    const ProductEntry before = ProductTable[n];
    ProductTable[n] = e;
    if (const Result r = SaveProduct(int16_t(n)); !r) {
        ProductTable[n] = before;
        return Result::failure(QStringLiteral("商品を保存できませんでした。\n") + r.error);
    }
    janCodeBox->setText(code); // as stored: ASCII, a UPC-A with its leading 0
    m_storedTexts = typedTexts();
    Q_EMIT changes().productsChanged();
    return Result::success();
}

Result ProductWindow::checkJanCode(int n, QString& code) const
{
    const JanRead read = readJanCode(janCodeBox->text());
    if (!read.ok())
        return Result::failure(read.problem);
    if (const int owner = janOwner(read.code, n))
        return Result::failure(
            QStringLiteral("JANコード %1 は商品番号 %2 の商品に付いています。").arg(read.code).arg(owner));
    code = read.code;
    return Result::success();
}

void ProductWindow::autoCode()
{
    const int n = chosen();
    if (n == 0) {
        MessageBox::information(this, QStringLiteral("表から番号を選択してください。"));
        return;
    }
    if (!janCodeBox->text().isEmpty()) {
        MessageBox::information(this, QStringLiteral("この商品には JANコードがあります。インストアコードを付けるには、"
                                                     "先にJANコードの欄を空にしてください。"));
        return;
    }
    janCodeBox->setText(inStoreCode(n));
}

namespace {

QString labelPrice(double price)
{
    return QStringLiteral("税込 ¥") + QLocale(QLocale::Japanese).toString(price, 'f', QLocale::FloatingPointShortest);
}

} // namespace

QList<int> ProductWindow::labelChoice(int count) const
{
    QList<int> picked;
    for (int t = 0; t < NumberedTabs::Tabs; ++t)
        for (const QModelIndex& row : tabs->grid(t)->selectionModel()->selectedRows())
            picked << NumberedTabs::numberAt(t, row.row());
    if (picked.isEmpty() && chosen() != 0)
        picked << chosen();
    std::sort(picked.begin(), picked.end());
    QList<int> coded;
    for (int n : picked)
        if (n <= count && !ProductTable[n].JanCode.isEmpty())
            coded << n;
    return coded;
}

void ProductWindow::printLabels()
{
    const int count = std::min<int>(int(SysNum[Sys::ProductCount]), NumberedTabs::Tabs * NumberedTabs::PerTab);
    QList<int> all;
    for (int n = 1; n <= count; ++n)
        if (!ProductTable[n].JanCode.isEmpty())
            all << n;
    if (all.isEmpty()) {
        MessageBox::information(this, QStringLiteral("JANコードのある商品がありません。\n"
                                                     "「自動」でインストアコードを付けて登録すると印刷できます。"));
        return;
    }
    // Every product's labels take sheets: they are printed only when asked for by name, never by Enter.
    const QList<int> picked = labelChoice(count);
    QStringList choices;
    if (!picked.isEmpty())
        choices << (picked.size() == 1 ? QStringLiteral("この商品")
                                       : QStringLiteral("選んだ商品 %1 件").arg(picked.size()));
    choices << QStringLiteral("全商品 %1 件").arg(all.size()) << QStringLiteral("キャンセル");
    const int answer = MessageBox::choose(
        this, QStringLiteral("ラベルを印刷する商品を選んでください。\nJANコードのある商品だけが印刷されます。"),
        choices, picked.isEmpty() ? 1 : 0);
    if (answer == choices.size() - 1)
        return;
    const QList<int> numbers = answer == choices.size() - 2 ? all : picked;

    QList<ShelfLabel> labels;
    for (int n : numbers)
        labels << ShelfLabel{ProductTable[n].ProductName.trimmed(), labelPrice(ProductTable[n].SalePrice),
                             ProductTable[n].JanCode};
    if (const Result r = previewLabels(this, labels); !r && !r.error.isEmpty())
        MessageBox::information(this, r.error);
}
