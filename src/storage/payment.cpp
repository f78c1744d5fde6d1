// The payment method and amount tendered in a sales slip's tail.
#include "storage/payment.h"

#include "storage/text.h"

#include <cmath>
#include <cstring>

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

SlipPayment GetSlipPayment(const char* record)
{
    using namespace SlipPaymentOffset;
    SlipPayment p;
    if (getInt16(record + Version) != 1)
        return p;
    p.present = true;
    p.method = paymentMethodFromCode(getInt16(record + Method));
    const double tendered = getDouble(record + Tendered);
    // A damaged figure is no amount tendered; only cash has one.
    p.tendered = p.method == PaymentMethod::Cash && std::isfinite(tendered) && tendered > 0 ? tendered : 0;
    return p;
}

void PutSlipPayment(char* record, const SlipPayment& p)
{
    using namespace SlipPaymentOffset;
    std::memset(record + Version, 0, End - Version);
    if (!p.present)
        return;
    putInt16(record + Version, 1);
    putInt16(record + Method, int16_t(p.method));
    const bool kept = p.method == PaymentMethod::Cash && std::isfinite(p.tendered) && p.tendered > 0;
    putDouble(record + Tendered, kept ? p.tendered : 0);
}
