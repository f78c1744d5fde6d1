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

    QGroupBox* Frame2 = nullptr;   // "商品"
    QPushButton* Command4[5] = {}; // captions 番号 分類 名称 販売単価 仕入単価
    QLineEdit* Text6 = nullptr;    // product number
    QLineEdit* Text40[4] = {};     // ClassCode, ProductName, SalePrice, CostPrice
    QCheckBox* Check1 = nullptr;   // "軽減税率": sold at the reduced tax rate
    QGroupBox* Frame3 = nullptr;   // "商品構成"
    QLineEdit* Text12 = nullptr;   // column headers 番号 品名 数量 単価 金額
    QLineEdit* Text13 = nullptr;
    QLineEdit* Text14 = nullptr;
    QLineEdit* Text15 = nullptr;
    QLineEdit* Text16 = nullptr;
    QLineEdit* Text7[Slots] = {};      // ComponentItemNo
    QLineEdit* Text8[Slots] = {};      // ComponentName
    QLineEdit* Text9[Slots] = {};      // ComponentQty
    QLineEdit* Text10[Slots] = {};     // ComponentUnitPrice
    QLineEdit* Text11[Slots] = {};     // ComponentAmount
    QPushButton* Command5[Slots] = {}; // "検索"
    QPushButton* Command6[Slots] = {}; // "消"
    QLabel* Label1 = nullptr;          // the instruction line

    QPushButton* CommandJan = nullptr;    // caption "JANコード", beside the number
    QLineEdit* TextJan = nullptr;         // the JAN code, 8 or 13 digits
    QPushButton* CommandAuto = nullptr;   // "自動"
    QPushButton* CommandLabels = nullptr; // "ラベル印刷"

protected:
    void loadEntry(int n) override;
    Result saveEntry(int n) override;
    QStringList gridRow(int n) override;

private:
    void buildProductFrame();
    void buildCompositionFrame();
    void computeAmount(int k);
    void computeCostPrice();
    // A number that cannot be stored, with the field named; success when every box can be.
    Result checkNumbers() const;
    // The code in the box as it will be stored, or the problem with it, the owner of a code in use named.
    Result checkJanCode(int n, QString& code) const;
};
