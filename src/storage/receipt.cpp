// A receipt's content from a stored sales slip, its per-rate figures and the shop details.
#include "storage/receipt.h"

#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/tax.h"
#include "storage/text.h"

namespace {

QString trimmedEnd(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ')
        --n;
    return text.left(n);
}

} // namespace

ShopDetails shopDetailsFromSettings()
{
    return {SysStr[Sys::ShopName], SysStr[Sys::ShopAddress], SysStr[Sys::ShopTelephone],
            SysStr[Sys::InvoiceRegistrationNo]};
}

bool isRegistrationNo(const QString& text)
{
    if (text.isEmpty())
        return true;
    if (text.size() != 14 || text[0] != u'T')
        return false;
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    return true;
}

QString yen(double amount)
{
    return u'¥' + groupedNumber(amount);
}

bool Receipt::anyReduced() const
{
    for (const ReceiptItem& item : items)
        if (item.reduced)
            return true;
    return false;
}

QList<ReceiptRow> Receipt::rows() const
{
    QList<ReceiptRow> out;
    const auto add = [&](ReceiptRow::Kind kind, const QString& left, const QString& right = QString()) {
        out.append({kind, left, right});
    };
    if (!shop.name.isEmpty())
        add(ReceiptRow::Title, shop.name);
    if (!shop.address.isEmpty())
        add(ReceiptRow::Centred, shop.address);
    if (!shop.telephone.isEmpty())
        add(ReceiptRow::Centred, QStringLiteral("TEL ") + shop.telephone);
    if (!shop.registrationNo.isEmpty())
        add(ReceiptRow::Centred, QStringLiteral("登録番号 ") + shop.registrationNo);
    add(ReceiptRow::Title, QStringLiteral("領収書"));
    if (reissue)
        add(ReceiptRow::Centred, QStringLiteral("＊ 再発行 ＊"));
    // The customer may hold the receipt first given for the slip; this one says which it replaces.
    if (corrected) {
        add(ReceiptRow::Centred, QStringLiteral("＊ 訂正 ＊"));
        add(ReceiptRow::Centred, QStringLiteral("No.%1 の訂正後の領収書です").arg(slipNo));
    }
    add(ReceiptRow::LeftRight, date + u' ' + time, QStringLiteral("No.%1").arg(slipNo));
    add(ReceiptRow::Rule, QString());
    for (const ReceiptItem& item : items) {
        add(ReceiptRow::LeftRight, (item.reduced ? QString(ReducedMark) : QString()) + item.name);
        add(ReceiptRow::LeftRight, QStringLiteral("　%1 × %2").arg(item.qty).arg(yen(item.unitPrice)),
            yen(item.amount));
    }
    add(ReceiptRow::Rule, QString());
    add(ReceiptRow::Emphasised, QStringLiteral("合計"), yen(total));
    add(ReceiptRow::LeftRight, QStringLiteral("お支払"), paymentMethodName(payment.method));
    if (payment.method == PaymentMethod::Cash && payment.tendered > 0) {
        add(ReceiptRow::LeftRight, QStringLiteral("お預り"), yen(payment.tendered));
        add(ReceiptRow::LeftRight, QStringLiteral("お釣り"), yen(payment.change(total)));
    }
    for (const ReceiptRate& r : rates) {
        add(ReceiptRow::LeftRight, RatePercent(r.rate) + QStringLiteral("対象"), yen(r.total));
        add(ReceiptRow::LeftRight, QStringLiteral("　内消費税"), yen(r.tax));
    }
    if (anyReduced()) {
        double reducedRate = 0;
        for (const ReceiptRate& r : rates)
            if (r.reduced)
                reducedRate = r.rate;
        add(ReceiptRow::Note,
            QStringLiteral("%1は軽減税率（%2）対象商品です").arg(QString(ReducedMark), RatePercent(reducedRate)));
    }
    return out;
}

Receipt buildReceipt(const SalesSlipRecord& slip, const ShopDetails& shop, double standardRate, bool taxInUse,
                     bool reissue, bool corrected)
{
    Receipt r;
    r.shop = shop;
    r.reissue = reissue;
    r.corrected = corrected;
    r.date = trimmedEnd(slip.Date);
    r.time = trimmedEnd(slip.Time);
    r.slipNo = slip.SlipNo;
    r.total = slip.Total;
    r.payment = slip.Payment;
    const SlipRates rates = GetSlipRates(slip.Raw.data());
    // A slip saved while no tax was in use keeps its figures at rate 0: no tax was charged at either rate.
    const RateTotal& s = rates.standard;
    const RateTotal& d = rates.reduced;
    const bool charged = rates.present && (s.rate != 0 || s.tax != 0 || d.rate != 0 || d.tax != 0);
    for (int k = 1; k <= SalesSlipLineCount; ++k) {
        const SalesSlipLine& line = slip.Line[k];
        if (line.ProductNo == 0)
            continue;
        r.items.append(
            {trimmedEnd(line.ProductName), line.Qty, line.UnitPrice, line.Amount, charged && rates.lineReduced(k)});
    }
    if (charged) {
        const bool reducedUsed = rates.reducedLines != 0 || d.total != 0 || d.tax != 0;
        if (!reducedUsed || s.total != 0 || s.tax != 0)
            r.rates.append({s.rate, s.total, s.tax, false});
        if (reducedUsed)
            r.rates.append({d.rate, d.total, d.tax, true});
    } else if (!rates.present && (taxInUse || slip.Tax != 0)) {
        r.rates.append({standardRate, slip.Total, slip.Tax, false});
    }
    return r;
}
