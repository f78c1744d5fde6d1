// How a sale was paid: the method and, for cash, the amount tendered, kept in a sales slip's reserved tail.
#pragma once

#include <QString>
#include <cstdint>

enum class PaymentMethod : int16_t
{
    Cash = 0,
    Credit = 1,
    EMoney = 2,
    QrCode = 3,
};

constexpr int PaymentMethodCount = 4;

// 現金, クレジット, 電子マネー, QRコード決済.
QString paymentMethodName(PaymentMethod method);
// The method after `method` in the order the register's key steps through them, back to cash after the last.
PaymentMethod nextPaymentMethod(PaymentMethod method);
// The stored code 0 to 3 as a method; any other value reads as cash, the method every older slip had.
PaymentMethod paymentMethodFromCode(int code);

// What a slip keeps of its payment, after the rate figures (zero bytes in slips written before it existed):
//   782 int16   version: 0 = nothing stored (cash, no amount tendered), 1 = present
//   784 int16   method: 0 cash, 1 credit, 2 e-money, 3 QR code
//   786 double  amount tendered; 0 = none typed (and always 0 for other methods than cash)
struct SlipPayment
{
    bool present = false;
    PaymentMethod method = PaymentMethod::Cash;
    double tendered = 0;

    // The change given, or 0 when no amount was tendered.
    double change(double total) const { return tendered > 0 ? tendered - total : 0; }
};

namespace SlipPaymentOffset {
constexpr int Version = 782, Method = 784, Tendered = 786, End = 794;
}

// Decodes the payment of a 1024-byte sales slip record image.
SlipPayment GetSlipPayment(const char* record);
// Encodes it into a record image; `present` false writes the bytes as zero.
void PutSlipPayment(char* record, const SlipPayment& payment);
