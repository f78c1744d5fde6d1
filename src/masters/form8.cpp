// The system settings window: "登録" stores the settings, closing starts the register afresh with them.
#include "masters/form8.h"

#include "platform/controls.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "register/form1.h"
#include "storage/changes.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
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

} // namespace

Form8::Form8(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form8"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("system"));
    setAccessibleName(QStringLiteral("システム設定"));
    setFixedSize(twips(5760), twips(3960));

    Command1 = makeButton(this, QStringLiteral("Command1"), QStringLiteral("消費税率"), twipsRect(240, 240, 1695, 315));
    Command1->setFocusPolicy(Qt::NoFocus);
    Text1 = makeEdit(this, QStringLiteral("Text1"), QStringLiteral("消費税率"), twipsRect(2040, 240, 1215, 315));
    Check1[0] = new QCheckBox(QStringLiteral("販売に消費税を使用する"), this);
    Check1[0]->setObjectName(QStringLiteral("Check1_0"));
    Check1[0]->setAccessibleName(QStringLiteral("販売に消費税を使用する"));
    Check1[0]->setGeometry(twipsRect(240, 720, 3375, 315));

    QPushButton** captionButtons[4] = {&Command2, &Command3, &Command4, &Command5};
    QLineEdit** captionEdits[4] = {&Text2, &Text3, &Text4, &Text5};
    for (int g = 0; g < Sys::GroupCount; ++g) {
        const int top = 1200 + 420 * g;
        *captionButtons[g] = makeButton(this, QStringLiteral("Command%1").arg(g + 2),
                                        QStringLiteral("一覧表名称%1").arg(g + 1), twipsRect(240, top, 1695, 315));
        (*captionButtons[g])->setFocusPolicy(Qt::NoFocus);
        *captionEdits[g] = makeEdit(this, QStringLiteral("Text%1").arg(g + 2),
                                    QStringLiteral("一覧表名称%1").arg(g + 1), twipsRect(2040, top, 3375, 315));
        (*captionEdits[g])->setValidator(new CaptionValidator(*captionEdits[g]));
    }

    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("レジ　V-1.00"), twipsRect(240, 3240, 2055, 315));
    Label1->setAccessibleName(QStringLiteral("版"));
    Command6 = makeButton(this, QStringLiteral("Command6"), QStringLiteral("登録"), twipsRect(2880, 3240, 1215, 375));
    Command7 = makeButton(this, QStringLiteral("Command7"), QStringLiteral("閉じる"), twipsRect(4200, 3240, 1215, 375));
    connect(Command6, &QPushButton::clicked, this, &Form8::save);
    connect(Command7, &QPushButton::clicked, this, &QWidget::close);

    load();
}

void Form8::load()
{
    Text1->setText(numText(SysNum[Sys::TaxRate]));
    Text2->setText(SysStr[Sys::FirstGroupCaption]);
    Text3->setText(SysStr[Sys::FirstGroupCaption + 1]);
    Text4->setText(SysStr[Sys::FirstGroupCaption + 2]);
    Text5->setText(SysStr[Sys::FirstGroupCaption + 3]);
    Check1[0]->setChecked(roundHalfEven(SysNum[Sys::SalesTaxSwitch]) == 1);
}

void Form8::save()
{
    const std::optional<double> rate = rateFromText(Text1->text());
    if (!rate) {
        MessageBox::information(this, QStringLiteral("消費税率は 0 以上 1 未満の小数で入力してください。\n"
                                                     "例：10% は 0.1、8% は 0.08"));
        Text1->setFocus();
        return;
    }
    const QLineEdit* captions[Sys::GroupCount] = {Text2, Text3, Text4, Text5};
    for (const QLineEdit* edit : captions) {
        if (!captionFitsSettings(edit->text())) {
            MessageBox::information(
                this, QStringLiteral("一覧表名称に改行や「\"」、設定ファイルに書けない文字は使えません。"));
            return;
        }
    }

    const double oldRate = SysNum[Sys::TaxRate];
    const double oldSwitch = SysNum[Sys::SalesTaxSwitch];
    QString oldCaptions[Sys::GroupCount];
    SysNum[Sys::TaxRate] = *rate;
    SysNum[Sys::SalesTaxSwitch] = Check1[0]->isChecked() ? 1 : 0;
    for (int g = 0; g < Sys::GroupCount; ++g) {
        oldCaptions[g] = SysStr[Sys::FirstGroupCaption + g];
        SysStr[Sys::FirstGroupCaption + g] = captions[g]->text();
    }
    if (Result saved = SaveSettings(); !saved) {
        // The tables keep what sys.ini holds, so the next save of a slip does not write settings never stored.
        SysNum[Sys::TaxRate] = oldRate;
        SysNum[Sys::SalesTaxSwitch] = oldSwitch;
        for (int g = 0; g < Sys::GroupCount; ++g)
            SysStr[Sys::FirstGroupCaption + g] = oldCaptions[g];
        MessageBox::information(this, saved.error);
        return;
    }
    Q_EMIT changes().settingsChanged();
}

void Form8::closeEvent(QCloseEvent* event)
{
    // However the window closes, the register starts afresh, as when it is opened anew.
    if (Form1* form = registerWindow())
        form->load();
    else
        showRegisterWindow();
    QWidget::closeEvent(event);
}
