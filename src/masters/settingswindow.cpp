// The system settings window: "登録" stores the settings, closing starts the register afresh with them.
#include "masters/settingswindow.h"

#include "platform/controls.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/receipt.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "widgets/openers.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QValidator>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// sys.ini holds one text per line between double quotes, in code page 932: a caption may hold neither a
// line break nor a double quote, nor a character the code page lacks.
bool captionFitsSettings(const QString& caption)
{
    if (caption.contains(u'"') || caption.contains(u'\n') || caption.contains(u'\r'))
        return false;
    return fromCp932(toCp932(caption)) == caption;
}

// Refuses such a caption as it is typed or pasted.
class CaptionValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override { return captionFitsSettings(input) ? Acceptable : Invalid; }
};

// A rate is a fraction from 0 up to, not including, 1; "5%" or "5" would multiply every total.
std::optional<double> rateFromText(const QString& text)
{
    bool ok = false;
    const double rate = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(rate) || rate < 0 || rate >= 1)
        return std::nullopt;
    return rate;
}

// The invoice registration number as it is typed: "T" and up to 13 digits. A lower-case or full-width
// letter and full-width digits, as an input method gives them, become their plain forms.
class RegistrationNoValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        for (QChar& c : input) {
            if (c == u't' || c == u'Ｔ' || c == u'ｔ')
                c = u'T';
            else if (c >= u'０' && c <= u'９')
                c = QChar(u'0' + (c.unicode() - u'０'));
        }
        if (input.isEmpty())
            return Acceptable;
        if (input[0] != u'T' || input.size() > 14)
            return Invalid;
        for (qsizetype i = 1; i < input.size(); ++i)
            if (input[i] < u'0' || input[i] > u'9')
                return Invalid;
        return isRegistrationNo(input) ? Acceptable : Intermediate;
    }
};

} // namespace

SettingsWindow::SettingsWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("SettingsWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("system"));
    setAccessibleName(QStringLiteral("システム設定"));
    setFixedSize(twips(5760), twips(3960));

    taxRateCaption =
        makeButton(this, QStringLiteral("taxRateCaption"), QStringLiteral("消費税率"), twipsRect(240, 240, 1695, 315));
    taxRateCaption->setFocusPolicy(Qt::NoFocus);
    taxRateBox =
        makeEdit(this, QStringLiteral("taxRateBox"), QStringLiteral("消費税率"), twipsRect(2040, 240, 1215, 315));
    reducedRateCaption = makeButton(this, QStringLiteral("reducedRateCaption"), QStringLiteral("軽減税率"),
                                    twipsRect(3360, 240, 1095, 315));
    reducedRateCaption->setFocusPolicy(Qt::NoFocus);
    reducedRateBox =
        makeEdit(this, QStringLiteral("reducedRateBox"), QStringLiteral("軽減税率"), twipsRect(4560, 240, 855, 315));
    reducedRateBox->setToolTip(QStringLiteral("軽減税率を使わないときは 0"));
    salesTaxCheck = new QCheckBox(QStringLiteral("販売に消費税を使用する"), this);
    salesTaxCheck->setObjectName(QStringLiteral("salesTaxCheck"));
    salesTaxCheck->setAccessibleName(QStringLiteral("販売に消費税を使用する"));
    salesTaxCheck->setGeometry(twipsRect(240, 720, 3375, 315));

    for (int g = 0; g < Sys::GroupCount; ++g) {
        const int top = 1200 + 420 * g;
        groupCaptionLabels[g] = makeButton(this, QStringLiteral("groupCaptionLabels_%1").arg(g),
                                           QStringLiteral("一覧表名称%1").arg(g + 1), twipsRect(240, top, 1695, 315));
        groupCaptionLabels[g]->setFocusPolicy(Qt::NoFocus);
        groupCaptionBoxes[g] = makeEdit(this, QStringLiteral("groupCaptionBoxes_%1").arg(g),
                                        QStringLiteral("一覧表名称%1").arg(g + 1), twipsRect(2040, top, 3375, 315));
        groupCaptionBoxes[g]->setValidator(new CaptionValidator(groupCaptionBoxes[g]));
    }

    versionLabel = makeLabel(this, QStringLiteral("versionLabel"), QStringLiteral("レジ　V-1.00"),
                             twipsRect(240, 3240, 2055, 315));
    versionLabel->setAccessibleName(QStringLiteral("版"));
    registerButton =
        makeButton(this, QStringLiteral("registerButton"), QStringLiteral("登録"), twipsRect(2880, 3240, 1215, 375));
    closeButton =
        makeButton(this, QStringLiteral("closeButton"), QStringLiteral("閉じる"), twipsRect(4200, 3240, 1215, 375));
    connect(registerButton, &QPushButton::clicked, this, &SettingsWindow::save);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    buildShopControls();

    load();
}

void SettingsWindow::load()
{
    taxRateBox->setText(numText(SysNum[Sys::TaxRate]));
    reducedRateBox->setText(numText(SysNum[Sys::ReducedTaxRate]));
    groupCaptionBoxes[0]->setText(SysStr[Sys::FirstGroupCaption]);
    groupCaptionBoxes[1]->setText(SysStr[Sys::FirstGroupCaption + 1]);
    groupCaptionBoxes[2]->setText(SysStr[Sys::FirstGroupCaption + 2]);
    groupCaptionBoxes[3]->setText(SysStr[Sys::FirstGroupCaption + 3]);
    salesTaxCheck->setChecked(roundHalfEven(SysNum[Sys::SalesTaxSwitch]) == 1);
    loadShopDetails();
}

void SettingsWindow::save()
{
    // A refused rate is named and its box gets the focus.
    const auto rateIn = [this](QLineEdit* box, const QString& refusal) {
        const std::optional<double> rate = rateFromText(box->text());
        if (!rate) {
            MessageBox::information(this, refusal);
            box->setFocus();
        }
        return rate;
    };
    const std::optional<double> rate =
        rateIn(taxRateBox, QStringLiteral("消費税率は 0 以上 1 未満の小数で入力してください。\n"
                                          "例：10% は 0.1、8% は 0.08"));
    if (!rate)
        return;
    const std::optional<double> reducedRate =
        rateIn(reducedRateBox,
               QStringLiteral("軽減税率は 0 以上 1 未満の小数で入力してください。\n例：8% は 0.08、使わないときは 0"));
    if (!reducedRate)
        return;
    for (const QLineEdit* edit : groupCaptionBoxes) {
        if (!captionFitsSettings(edit->text())) {
            MessageBox::information(
                this, QStringLiteral("一覧表名称に改行や「\"」、設定ファイルに書けない文字は使えません。"));
            return;
        }
    }
    if (!checkShopDetails())
        return;

    const double oldRate = SysNum[Sys::TaxRate];
    const double oldReducedRate = SysNum[Sys::ReducedTaxRate];
    const double oldSwitch = SysNum[Sys::SalesTaxSwitch];
    QString oldCaptions[Sys::GroupCount];
    SysNum[Sys::TaxRate] = *rate;
    SysNum[Sys::ReducedTaxRate] = *reducedRate;
    SysNum[Sys::SalesTaxSwitch] = salesTaxCheck->isChecked() ? 1 : 0;
    for (int g = 0; g < Sys::GroupCount; ++g) {
        oldCaptions[g] = SysStr[Sys::FirstGroupCaption + g];
        SysStr[Sys::FirstGroupCaption + g] = groupCaptionBoxes[g]->text();
    }
    const double oldReceiptWidth = SysNum[Sys::ReceiptWidthMm];
    QString oldShop[Sys::ReceiptPrinter + 1];
    for (int i = Sys::ShopName; i <= Sys::ReceiptPrinter; ++i)
        oldShop[i] = SysStr[i];
    storeShopDetails();
    if (Result saved = SaveSettings(); !saved) {
        SysNum[Sys::ReceiptWidthMm] = oldReceiptWidth;
        for (int i = Sys::ShopName; i <= Sys::ReceiptPrinter; ++i)
            SysStr[i] = oldShop[i];
        // The tables keep what sys.ini holds, so the next save of a slip does not write settings never stored.
        SysNum[Sys::TaxRate] = oldRate;
        SysNum[Sys::ReducedTaxRate] = oldReducedRate;
        SysNum[Sys::SalesTaxSwitch] = oldSwitch;
        for (int g = 0; g < Sys::GroupCount; ++g)
            SysStr[Sys::FirstGroupCaption + g] = oldCaptions[g];
        MessageBox::information(this, saved.error);
        return;
    }
    Q_EMIT changes().settingsChanged();
}

// ---- shop details and the receipt printer

void SettingsWindow::buildShopControls()
{
    setFixedSize(width() + twips(6000), std::max(height(), twips(3960)));
    const int left = width() - twips(6000);
    shopFrame = makeFrame(this, QStringLiteral("shopFrame"), QStringLiteral("店舗情報・レシート"),
                          QStringLiteral("店舗情報・レシート"), QRect(left, twips(120), twips(5880), twips(3000)));
    const auto addRow = [&](int row, const QString& caption, QWidget* field) {
        const int top = 360 + 420 * row;
        makeLabel(shopFrame, field->objectName() + QStringLiteral("Label"), caption, twipsRect(120, top, 1335, 315));
        field->setGeometry(twipsRect(1440, top, 4320, 315));
    };
    const auto addEdit = [&](int row, const QString& name, const QString& caption) {
        QLineEdit* edit = makeEdit(shopFrame, name, caption, QRect());
        edit->setValidator(new CaptionValidator(edit));
        addRow(row, caption, edit);
        return edit;
    };
    shopNameBox = addEdit(0, QStringLiteral("shopNameBox"), QStringLiteral("店名"));
    shopAddressBox = addEdit(1, QStringLiteral("shopAddressBox"), QStringLiteral("住所"));
    shopPhoneBox = addEdit(2, QStringLiteral("shopPhoneBox"), QStringLiteral("電話番号"));
    registrationNoBox = addEdit(3, QStringLiteral("registrationNoBox"), QStringLiteral("登録番号"));
    registrationNoBox->setValidator(new RegistrationNoValidator(registrationNoBox));
    registrationNoBox->setMaxLength(14);
    registrationNoBox->setPlaceholderText(QStringLiteral("T1234567890123"));

    receiptWidthBox = new QComboBox(shopFrame);
    receiptWidthBox->setObjectName(QStringLiteral("receiptWidthBox"));
    receiptWidthBox->setAccessibleName(QStringLiteral("レシート幅"));
    receiptWidthBox->addItem(QStringLiteral("58 mm"), 58);
    receiptWidthBox->addItem(QStringLiteral("80 mm"), 80);
    addRow(4, QStringLiteral("レシート幅"), receiptWidthBox);

    receiptPrinterBox = new QComboBox(shopFrame);
    receiptPrinterBox->setObjectName(QStringLiteral("receiptPrinterBox"));
    receiptPrinterBox->setAccessibleName(QStringLiteral("レシートプリンター"));
    addRow(5, QStringLiteral("プリンター"), receiptPrinterBox);
}

void SettingsWindow::loadShopDetails()
{
    shopNameBox->setText(SysStr[Sys::ShopName]);
    shopAddressBox->setText(SysStr[Sys::ShopAddress]);
    shopPhoneBox->setText(SysStr[Sys::ShopTelephone]);
    registrationNoBox->setText(SysStr[Sys::InvoiceRegistrationNo]);
    receiptWidthBox->setCurrentIndex(SysNum[Sys::ReceiptWidthMm] == 58 ? 0 : 1);

    // The printers known now; a chosen printer that is not there at the moment stays chosen.
    receiptPrinterBox->clear();
    receiptPrinterBox->addItem(QStringLiteral("（既定のプリンター）"), QString());
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        receiptPrinterBox->addItem(name, name);
    const QString chosen = SysStr[Sys::ReceiptPrinter];
    if (!chosen.isEmpty() && receiptPrinterBox->findData(chosen) < 0)
        receiptPrinterBox->addItem(QStringLiteral("%1（見つかりません）").arg(chosen), chosen);
    receiptPrinterBox->setCurrentIndex(std::max(0, receiptPrinterBox->findData(chosen)));
}

bool SettingsWindow::checkShopDetails()
{
    for (QLineEdit* edit : {shopNameBox, shopAddressBox, shopPhoneBox}) {
        if (!captionFitsSettings(edit->text())) {
            MessageBox::information(this, QStringLiteral("%1に改行や「\"」、設定ファイルに書けない文字は使えません。")
                                              .arg(edit->accessibleName()));
            edit->setFocus();
            return false;
        }
    }
    if (!isRegistrationNo(registrationNoBox->text())) {
        MessageBox::information(this, QStringLiteral("登録番号は「T」と 13 桁の数字で入力してください（空欄も可）。"));
        registrationNoBox->setFocus();
        return false;
    }
    return true;
}

void SettingsWindow::storeShopDetails()
{
    SysStr[Sys::ShopName] = shopNameBox->text();
    SysStr[Sys::ShopAddress] = shopAddressBox->text();
    SysStr[Sys::ShopTelephone] = shopPhoneBox->text();
    SysStr[Sys::InvoiceRegistrationNo] = registrationNoBox->text();
    SysNum[Sys::ReceiptWidthMm] = receiptWidthBox->currentData().toInt();
    SysStr[Sys::ReceiptPrinter] = receiptPrinterBox->currentData().toString();
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    // However the window closes, the register follows the settings (a sale being keyed in stays); a register
    // that was closed comes back.
    if (openers().openRegister())
        Q_EMIT changes().settingsChanged();
    else
        openers().showRegister();
    QWidget::closeEvent(event);
}
