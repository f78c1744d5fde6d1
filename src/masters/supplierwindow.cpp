// Supplier entry: the list of supplier numbers, the name, telephone and tax type of the chosen one.
#include "masters/supplierwindow.h"

#include "platform/controls.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/supplier.h"
#include "storage/text.h"
#include "widgets/bytelimit.h"
#include "widgets/fieldfocus.h"
#include "widgets/keytable.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString TaxCaptions[3] = {QStringLiteral("外税"), QStringLiteral("内税"), QStringLiteral("非課税")};

} // namespace

SupplierWindow::SupplierWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SupplierWindow"));
    setWindowTitle(QStringLiteral("仕入先"));
    setFixedSize(twips(8640), twips(5040));

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setAccessibleName(QStringLiteral("仕入先一覧"));
    List1->setGeometry(twipsRect(4440, 120, 4080, 4800));
    List1->setUniformItemSizes(true);
    connect(List1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { choose(List1->row(item)); });
    installKeys(List1, {{Qt::Key_Return, [this] {
                             if (List1->currentRow() >= 0)
                                 choose(List1->currentRow());
                         }}});

    Command1 =
        makeCaptionButton(this, QStringLiteral("Command1"), QStringLiteral("番号"), twipsRect(120, 120, 1320, 400));
    Text1 = makeDisplay(this, QStringLiteral("Text1"), QStringLiteral("番号"), twipsRect(1440, 120, 900, 400));
    Text1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Command2 =
        makeCaptionButton(this, QStringLiteral("Command2"), QStringLiteral("仕入先名"), twipsRect(120, 640, 1320, 400));
    Text2 = makeEdit(this, QStringLiteral("Text2"), QStringLiteral("仕入先名"), twipsRect(1440, 640, 2880, 400));
    limitBytes(Text2, 30);
    highlightOnFocus(Text2);

    Command3 = makeCaptionButton(this, QStringLiteral("Command3"), QStringLiteral("電話番号"),
                                 twipsRect(120, 1160, 1320, 400));
    Text3 = makeEdit(this, QStringLiteral("Text3"), QStringLiteral("電話番号"), twipsRect(1440, 1160, 1800, 400));
    limitBytes(Text3, 12);
    highlightOnFocus(Text3);
    // Telephone numbers are typed in plain digits, without the input method.
    Text3->setAttribute(Qt::WA_InputMethodEnabled, false);

    Frame1 = makeFrame(this, QStringLiteral("Frame1"), QString(), QStringLiteral("消費税"),
                       twipsRect(120, 1680, 4200, 1560));
    Command6 =
        makeCaptionButton(Frame1, QStringLiteral("Command6"), QStringLiteral("消費税"), twipsRect(120, 240, 1200, 400));
    for (int i = 0; i < 3; ++i) {
        Option1[i] = new QRadioButton(TaxCaptions[i], Frame1);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        Option1[i]->setAccessibleName(TaxCaptions[i]);
        Option1[i]->setGeometry(twipsRect(1560, 180 + 420 * i, 1800, 360));
    }

    Command5 = makeButton(this, QStringLiteral("Command5"), QStringLiteral("登録"), twipsRect(120, 3420, 1500, 500));
    Command4 = makeButton(this, QStringLiteral("Command4"), QStringLiteral("閉じる"), twipsRect(1800, 3420, 1500, 500));
    connect(Command5, &QPushButton::clicked, this, &SupplierWindow::registerSupplier);
    connect(Command4, &QPushButton::clicked, this, &QWidget::close);

    Text4 = makeDisplay(this, QStringLiteral("Text4"), QStringLiteral("操作の案内"), twipsRect(120, 4140, 4200, 720));
    setBackground(Text4, QColor(255, 255, 192));

    // Enter and Page Down go from the name to the telephone number, Page Up back; neither goes further.
    installKeys(Text2, {{Qt::Key_Return, [this] { Text3->setFocus(); }},
                        {Qt::Key_PageDown, [this] { Text3->setFocus(); }},
                        {Qt::Key_PageUp, [] {}}});
    installKeys(Text3,
                {{Qt::Key_PageUp, [this] { Text2->setFocus(); }}, {Qt::Key_Return, [] {}}, {Qt::Key_PageDown, [] {}}});

    connect(&changes(), &Changes::suppliersChanged, this, &SupplierWindow::fillList);
    fillList();
    Text4->setText(QStringLiteral("リストから編集を行う仕入先を選択してください。"));
}

void SupplierWindow::fillList()
{
    const int row = List1->currentRow();
    List1->clear();
    List1->addItems(supplierPickList());
    // The supplier just registered stays in view, so the new name is seen where it was chosen.
    if (row >= 0 && row < List1->count()) {
        List1->setCurrentRow(row);
        List1->scrollToItem(List1->item(row));
    }
}

void SupplierWindow::choose(int p)
{
    const int s = p + 1;
    if (const Result r = LoadSupplier(int16_t(s)); !r) {
        MessageBox::information(this, r.error);
        return;
    }
    m_chosen = s;
    Text1->setText(QString::number(s));
    showStored(Text2, CurrentSupplier.Name);
    showStored(Text3, CurrentSupplier.Phone);
    if (CurrentSupplier.TaxType >= 1 && CurrentSupplier.TaxType <= 3)
        Option1[CurrentSupplier.TaxType - 1]->setChecked(true);
    Text2->setFocus();
}

void SupplierWindow::registerSupplier()
{
    if (val(Text1->text()) == 0 || m_chosen == 0) {
        MessageBox::information(this, QStringLiteral("表から番号を選択してください。"));
        return;
    }
    const int s = m_chosen;
    Text1->setText(QString::number(s));
    // The working copy is shared with the item window's supplier list, so it is read again here: the reserved
    // bytes written back are this supplier's own.
    if (const Result r = LoadSupplier(int16_t(s)); !r) {
        MessageBox::information(this, r.error);
        return;
    }
    CurrentSupplier.Name = Text2->text();
    CurrentSupplier.Phone = Text3->text();
    for (int i = 0; i < 3; ++i)
        if (Option1[i]->isChecked())
            CurrentSupplier.TaxType = int16_t(i + 1);
    if (const Result r = SaveSupplier(int16_t(s)); !r) {
        MessageBox::information(this, QStringLiteral("仕入先を保存できませんでした。\n") + r.error);
        return;
    }
    Q_EMIT changes().suppliersChanged();
}
