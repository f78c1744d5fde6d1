// JAN codes: check digits, reading what the cashier or a scanner typed, the stored field and the look-up index.
#include "storage/jancode.h"

#include "storage/changes.h"
#include "storage/products.h"

#include <cstring>

QString asciiDigits(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        out += (u >= u'０' && u <= u'９') ? QChar(u'0' + (u - u'０')) : c;
    }
    return out;
}

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!(u >= u'0' && u <= u'9') && !(u >= u'０' && u <= u'９'))
            return false;
    }
    return true;
}

int gs1CheckDigit(QStringView body)
{
    if (body.isEmpty())
        return -1;
    int sum = 0;
    int weight = 3; // the digit next to the check digit weighs 3
    for (qsizetype i = body.size() - 1; i >= 0; --i) {
        const char16_t u = body[i].unicode();
        if (u < u'0' || u > u'9')
            return -1;
        sum += (u - u'0') * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

JanRead readJanCode(QStringView text)
{
    if (text.isEmpty())
        return {};
    QString code = asciiDigits(text);
    if (!allDigits(code))
        return {{}, QStringLiteral("JANコードには数字だけを入力してください。")};
    if (code.size() == 12)
        code.prepend(u'0'); // UPC-A is the EAN-13 that starts with 0
    if (code.size() != 8 && code.size() != 13)
        return {{}, QStringLiteral("JANコードは 8 桁か 13 桁です（%1 桁が入力されています）。").arg(text.size())};
    const int expected = gs1CheckDigit(QStringView(code).chopped(1));
    if (code.back().unicode() - u'0' != expected)
        return {{},
                QStringLiteral("JANコード %1 のチェックデジットが違います（正しくは %2）。").arg(code).arg(expected)};
    return {code, {}};
}

QString inStoreCode(int productNo)
{
    const QString body = QStringLiteral("02") + QStringLiteral("%1").arg(productNo, 10, 10, QLatin1Char('0'));
    return body + QString::number(gs1CheckDigit(body));
}

QString decodeJanField(const char* field)
{
    int digits = 0;
    while (digits < JanFieldWidth && field[digits] >= '0' && field[digits] <= '9')
        ++digits;
    for (int i = digits; i < JanFieldWidth; ++i)
        if (field[i] != ' ')
            return {};
    if (digits != 8 && digits != 13)
        return {};
    const JanRead read = readJanCode(QString::fromLatin1(field, digits));
    return read.code;
}

void encodeJanField(char* field, const QString& code)
{
    std::memset(field, ' ', JanFieldWidth);
    const QByteArray digits = code.toLatin1().left(JanFieldWidth);
    std::memcpy(field, digits.constData(), size_t(digits.size()));
}

int JanIndex::productFor(const QString& code)
{
    if (m_stale)
        rebuild();
    const int n = m_products.value(code, 0);
    // A table changed without a notice (a test, a reload) must not sell another product.
    if (n != 0 && ProductTable[n].JanCode != code) {
        rebuild();
        return m_products.value(code, 0);
    }
    return n;
}

void JanIndex::rebuild()
{
    m_products.clear();
    for (int n = 1; n <= MaxProductEntries; ++n)
        if (!ProductTable[n].JanCode.isEmpty() && !m_products.contains(ProductTable[n].JanCode))
            m_products.insert(ProductTable[n].JanCode, n);
    m_stale = false;
}

JanIndex& janIndex()
{
    static JanIndex* index = [] {
        static JanIndex instance;
        QObject::connect(&changes(), &Changes::productsChanged, [] { instance.invalidate(); });
        return &instance;
    }();
    return *index;
}

int janOwner(const QString& code, int except)
{
    if (code.isEmpty())
        return 0;
    for (int n = 1; n <= MaxProductEntries; ++n)
        if (n != except && ProductTable[n].JanCode == code)
            return n;
    return 0;
}
