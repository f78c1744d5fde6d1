// The product settings window "商品設定": choose one of the 400 products from its grid and keep its
// classification, name, selling price and the purchase items it is made of.
#pragma once

#include "widgets/entrywindow.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

class ProductWindow : public EntryWindow
{
    Q_OBJECT

public:
    static constexpr int Slots = 5;

    explicit ProductWindow(QWidget* parent = nullptr);

    // "消" on composition row k (0 to 4): the row emptied, the amount and cost price follow.
    void clearRow(int k);
    // "検索" on row k: the purchase item list opens, and the item picked there fills row k.
    void searchItem(int k);
    // "自動": a product without a code gets its in-store code in the box (stored by "登録").
    void autoCode();
    // "ラベル印刷": shelf labels of the products chosen in the grids, or of every product with a code.
    void printLabels();

protected:
    void loadEntry(int n) override;
    Result saveEntry(int n) override;
    QStringList gridRow(int n) override;
    bool hasUnsavedEdits() const override;

private:
    QGroupBox* productFrame = nullptr;    // "商品"
    QPushButton* productCaptions[5] = {}; // captions 番号 分類 名称 販売単価 仕入単価
    QLineEdit* productNoBox = nullptr;    // product number
    QLineEdit* classCodeBox = nullptr;
    QLineEdit* productNameBox = nullptr;
    QLineEdit* salePriceBox = nullptr;
    QLineEdit* costPriceBox = nullptr;      // the sum of the composition, not typed
    QCheckBox* reducedRateCheck = nullptr;  // "軽減税率": sold at the reduced tax rate
    QGroupBox* compositionFrame = nullptr;  // "商品構成"
    QLineEdit* componentNoHeader = nullptr; // column headers 番号 品名 数量 単価 金額
    QLineEdit* componentNameHeader = nullptr;
    QLineEdit* componentQtyHeader = nullptr;
    QLineEdit* componentPriceHeader = nullptr;
    QLineEdit* componentAmountHeader = nullptr;
    QLineEdit* componentNoBoxes[Slots] = {};     // ComponentItemNo
    QLineEdit* componentNameBoxes[Slots] = {};   // ComponentName
    QLineEdit* componentQtyBoxes[Slots] = {};    // ComponentQty
    QLineEdit* componentPriceBoxes[Slots] = {};  // ComponentUnitPrice
    QLineEdit* componentAmountBoxes[Slots] = {}; // ComponentAmount
    QPushButton* searchButtons[Slots] = {};      // "検索"
    QPushButton* eraseButtons[Slots] = {};       // "消"
    QLabel* guideLabel = nullptr;                // the instruction line

    QPushButton* janCaption = nullptr;        // caption "JANコード", beside the number
    QLineEdit* janCodeBox = nullptr;          // the JAN code, 8 or 13 digits
    QPushButton* autoCodeButton = nullptr;    // "自動"
    QPushButton* printLabelsButton = nullptr; // "ラベル印刷"

    void buildProductFrame();
    void buildCompositionFrame();
    void computeAmount(int k);
    void computeCostPrice();
    // A number that cannot be stored, with the field named; success when every box can be.
    Result checkNumbers() const;
    // The code in the box as it will be stored, or the problem with it, the owner of a code in use named.
    Result checkJanCode(int n, QString& code) const;
    // What the user can change, as the boxes hold it; the computed amounts follow from it.
    QStringList typedTexts() const;
    // The products a label is printed for when the shopkeeper asks for "this product": those chosen in the
    // grids, else the one shown; only products with a code.
    QList<int> labelChoice(int count) const;

    QStringList m_storedTexts; // typedTexts() as last read or saved
};
