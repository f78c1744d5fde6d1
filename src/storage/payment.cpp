// The payment method and amount tendered in a sales slip's tail.
#include "storage/payment.h"

#include "storage/sliptail.h"
#include "storage/tax.h"

#include <cmath>

QString paymentMethodName(PaymentMethod method)
{
    switch (method) {
    case PaymentMethod::Cash:
        return QStringLiteral("現金");
    case PaymentMethod::Credit:
        return QStringLiteral("クレジット");
    case PaymentMethod::EMoney:
        return QStringLiteral("電子マネー");
    case PaymentMethod::QrCode:
        return QStringLiteral("QRコード決済");
    }
    return QStringLiteral("現金");
}

PaymentMethod nextPaymentMethod(PaymentMethod method)
{
    return paymentMethodFromCode((int(method) + 1) % PaymentMethodCount);
}

PaymentMethod paymentMethodFromCode(int code)
{
    return code >= 0 && code < PaymentMethodCount ? PaymentMethod(code) : PaymentMethod::Cash;
}

// The payment block follows the rate figures without a gap.
static_assert(SlipPaymentOffset::Version == SlipRatesOffset::End);

SlipPayment GetSlipPayment(const char* record)
{
    using namespace SlipPaymentOffset;
    const SlipTailReader tail(record, {Version, End});
    SlipPayment p;
    if (!tail.present())
        return p;
    p.present = true;
    p.method = paymentMethodFromCode(tail.int16At(Method));
    const double tendered = tail.doubleAt(Tendered);
    // A damaged figure is no amount tendered; only cash has one.
    p.tendered = p.method == PaymentMethod::Cash && std::isfinite(tendered) && tendered > 0 ? tendered : 0;
    return p;
}

void PutSlipPayment(char* record, const SlipPayment& p)
{
    using namespace SlipPaymentOffset;
    SlipTailWriter tail(record, {Version, End}, p.present);
    if (!p.present)
        return;
    tail.putInt16(Method, int16_t(p.method));
    const bool kept = p.method == PaymentMethod::Cash && std::isfinite(p.tendered) && p.tendered > 0;
    tail.putDouble(Tendered, kept ? p.tendered : 0);
}
