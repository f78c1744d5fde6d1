// Supplier entry: the list of supplier numbers, the name, telephone and tax type of the chosen one.
#include "masters/supplierwindow.h"

#include "platform/controls.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/supplier.h"
#include "storage/text.h"
#include "widgets/bytelimit.h"
#include "widgets/entrywindow.h"
#include "widgets/fieldfocus.h"
#include "widgets/keytable.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
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
    setFixedSize(twips(8640), twips(5640));

    supplierList = new QListWidget(this);
    supplierList->setObjectName(QStringLiteral("supplierList"));
    supplierList->setAccessibleName(QStringLiteral("仕入先一覧"));
    supplierList->setGeometry(twipsRect(4440, 120, 4080, 4800));
    supplierList->setUniformItemSizes(true);
    connect(supplierList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { choose(supplierList->row(item)); });
    installKeys(supplierList, {{Qt::Key_Return, [this] {
                                    if (supplierList->currentRow() >= 0)
                                        choose(supplierList->currentRow());
                                }}});

    supplierNoCaption = makeCaptionButton(this, QStringLiteral("supplierNoCaption"), QStringLiteral("番号"),
                                          twipsRect(120, 120, 1320, 400));
    supplierNoBox =
        makeDisplay(this, QStringLiteral("supplierNoBox"), QStringLiteral("番号"), twipsRect(1440, 120, 900, 400));
    supplierNoBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    supplierNameCaption = makeCaptionButton(this, QStringLiteral("supplierNameCaption"), QStringLiteral("仕入先名"),
                                            twipsRect(120, 640, 1320, 400));
    supplierNameBox =
        makeEdit(this, QStringLiteral("supplierNameBox"), QStringLiteral("仕入先名"), twipsRect(1440, 640, 2880, 400));
    limitBytes(supplierNameBox, 30);
    highlightOnFocus(supplierNameBox);

    phoneCaption = makeCaptionButton(this, QStringLiteral("phoneCaption"), QStringLiteral("電話番号"),
                                     twipsRect(120, 1160, 1320, 400));
    phoneBox = makeEdit(this, QStringLiteral("phoneBox"), QStringLiteral("電話番号"), twipsRect(1440, 1160, 1800, 400));
    limitBytes(phoneBox, 12);
    highlightOnFocus(phoneBox);
    // Telephone numbers are typed in plain digits, without the input method.
    phoneBox->setAttribute(Qt::WA_InputMethodEnabled, false);

    taxFrame = makeFrame(this, QStringLiteral("taxFrame"), QString(), QStringLiteral("消費税"),
                         twipsRect(120, 1680, 4200, 1560));
    taxCaption = makeCaptionButton(taxFrame, QStringLiteral("taxCaption"), QStringLiteral("消費税"),
                                   twipsRect(120, 240, 1200, 400));
    for (int i = 0; i < 3; ++i) {
        taxTypeOptions[i] = new QRadioButton(TaxCaptions[i], taxFrame);
        taxTypeOptions[i]->setObjectName(QStringLiteral("taxTypeOptions_%1").arg(i));
        taxTypeOptions[i]->setAccessibleName(TaxCaptions[i]);
        taxTypeOptions[i]->setGeometry(twipsRect(1560, 180 + 420 * i, 1800, 360));
    }

    registerButton =
        makeButton(this, QStringLiteral("registerButton"), QStringLiteral("登録"), twipsRect(120, 3420, 1500, 500));
    closeButton =
        makeButton(this, QStringLiteral("closeButton"), QStringLiteral("閉じる"), twipsRect(1800, 3420, 1500, 500));
    connect(registerButton, &QPushButton::clicked, this, &SupplierWindow::registerSupplier);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    statusLine = makeLabel(this, QStringLiteral("statusLine"), QString(), twipsRect(120, 4140, 4200, 420));
    statusLine->setAccessibleName(QStringLiteral("登録の結果"));
    // Under the list and the boxes, as wide as the window, so the whole hint is read at once.
    guideBox =
        makeDisplay(this, QStringLiteral("guideBox"), QStringLiteral("操作の案内"), twipsRect(120, 5040, 8400, 440));
    setBackground(guideBox, QColor(255, 255, 192));

    // Enter and Page Down go from the name to the telephone number, Page Up back; neither goes further.
    installKeys(supplierNameBox, {{Qt::Key_Return, [this] { phoneBox->setFocus(); }},
                                  {Qt::Key_PageDown, [this] { phoneBox->setFocus(); }},
                                  {Qt::Key_PageUp, [] {}}});
    installKeys(phoneBox, {{Qt::Key_PageUp, [this] { supplierNameBox->setFocus(); }},
                           {Qt::Key_Return, [] {}},
                           {Qt::Key_PageDown, [] {}}});

    connect(&changes(), &Changes::suppliersChanged, this, &SupplierWindow::fillList);
    fillList();
    showStored(guideBox, QStringLiteral("リストから編集を行う仕入先を選択してください。"));
}

void SupplierWindow::fillList()
{
    const int row = supplierList->currentRow();
    supplierList->clear();
    supplierList->addItems(supplierPickList());
    // The supplier just registered stays in view, so the new name is seen where it was chosen.
    if (row >= 0 && row < supplierList->count()) {
        supplierList->setCurrentRow(row);
        supplierList->scrollToItem(supplierList->item(row));
    }
}

void SupplierWindow::choose(int p)
{
    const int s = p + 1;
    ResultWith<Supplier> read = ReadSupplier(s);
    if (!read) {
        MessageBox::information(this, read.error);
        return;
    }
    m_chosen = s;
    m_supplier = read.value;
    supplierNoBox->setText(QString::number(s));
    showStored(supplierNameBox, m_supplier.Name);
    showStored(phoneBox, m_supplier.Phone);
    if (m_supplier.TaxType >= 1 && m_supplier.TaxType <= 3)
        taxTypeOptions[m_supplier.TaxType - 1]->setChecked(true);
    m_storedTexts = typedTexts();
    statusLine->clear();
    supplierNameBox->setFocus();
}

QStringList SupplierWindow::typedTexts() const
{
    QStringList texts = {supplierNameBox->text(), phoneBox->text()};
    for (QRadioButton* option : taxTypeOptions)
        texts << (option->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    return texts;
}

bool SupplierWindow::registerSupplier()
{
    if (val(supplierNoBox->text()) == 0 || m_chosen == 0) {
        MessageBox::information(this, QStringLiteral("表から番号を選択してください。"));
        return false;
    }
    const int s = m_chosen;
    supplierNoBox->setText(QString::number(s));
    // The copy read when the supplier was chosen carries its reserved bytes, written back as they were.
    Supplier typed = m_supplier;
    typed.Name = supplierNameBox->text();
    typed.Phone = phoneBox->text();
    for (int i = 0; i < 3; ++i)
        if (taxTypeOptions[i]->isChecked())
            typed.TaxType = int16_t(i + 1);
    if (const Result r = WriteSupplier(s, typed); !r) {
        statusLine->clear();
        MessageBox::information(this, QStringLiteral("仕入先を保存できませんでした。\n") + r.error);
        return false;
    }
    m_supplier = typed;
    m_storedTexts = typedTexts();
    Q_EMIT changes().suppliersChanged();
    statusLine->setText(QStringLiteral("仕入先 %1 を登録しました。").arg(s));
    return true;
}

void SupplierWindow::closeEvent(QCloseEvent* event)
{
    if (!mayCloseEdited(this, m_chosen, typedTexts() != m_storedTexts, [this] { return registerSupplier(); })) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
