// JAN codes (EAN-13 and EAN-8): reading a typed or scanned code, its GS1 check digit, in-store codes, and the
// index from a code to the product that carries it.
#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

constexpr int JanFieldOffset = 392; // in the product record, the start of its last 120 bytes
constexpr int JanFieldWidth = 120;

// Full-width digits (０ to ９) as ASCII; every other character as it is.
QString asciiDigits(QStringView text);
// True when the text is one or more ASCII or full-width digits and nothing else.
bool allDigits(QStringView text);

// The GS1 check digit of `body` (the digits of a code without its last one): from the right, weights 3, 1, 3 …;
// -1 when `body` is empty or holds anything but ASCII digits.
int gs1CheckDigit(QStringView body);

// A code as typed or scanned, read as the JAN code it stands for.
struct JanRead
{
    QString code;    // 8 or 13 ASCII digits; empty for an empty text or a refused one
    QString problem; // why the text is refused, fit to show; empty when it is not
    bool ok() const { return problem.isEmpty(); }
};
// Full-width digits become ASCII and a 12-digit UPC-A becomes the EAN-13 with a leading 0; then the text must be
// 8 or 13 digits whose last one is the check digit. An empty text reads as no code.
JanRead readJanCode(QStringView text);

// The in-store code of product n: prefix 02, n in ten digits, the check digit.
QString inStoreCode(int productNo);

// The JAN code held in a product record's last 120 bytes (ASCII digits padded with blanks); empty when they
// are blank or hold anything but a code with a right check digit.
QString decodeJanField(const char* field);
// Writes `code` at `field`, padded with blanks to the field's 120 bytes.
void encodeJanField(char* field, const QString& code);

// From a JAN code to the number of the product carrying it, over ProductTable. It is rebuilt when products
// change (the products-changed notice, or reloading the table), so a look-up is a hash probe.
class JanIndex
{
public:
    // The product carrying `code`, or 0.
    int productFor(const QString& code);
    // Marks the index stale; the next look-up rebuilds it from ProductTable.
    void invalidate() { m_stale = true; }

private:
    void rebuild();

    QHash<QString, int> m_products;
    bool m_stale = true;
};

// The one index of the running program, kept current by the products-changed notice.
JanIndex& janIndex();

// The product other than `except` that carries `code` in ProductTable, or 0. Reads the table itself, so a
// product saved a moment ago by another window counts.
int janOwner(const QString& code, int except);
