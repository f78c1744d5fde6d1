// Numbers and code page 932 texts: the conversions every window and record file shares.
#include "storage/text.h"

#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iconv.h>

namespace {

// One converter per direction for the whole run; the program has a single thread.
iconv_t converter(bool toCp932)
{
    static iconv_t encoder = iconv_open("CP932", "UTF-16LE");
    static iconv_t decoder = iconv_open("UTF-16LE", "CP932");
    return toCp932 ? encoder : decoder;
}

QByteArray convert(iconv_t cd, const char* in, size_t inLeft, bool encoding)
{
    QByteArray out;
    out.resize(int(inLeft * 2 + 16));
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            const auto used = outPtr - out.data();
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = size_t(out.size() - used);
            continue;
        }
        // A character with no place in the other code page: "?" when encoding, U+FFFD when decoding.
        // An incomplete two-byte character at the end of the input is dropped.
        if (errno == EINVAL)
            break;
        const char* replacement = encoding ? "?" : "\xFD\xFF";
        const size_t replacementSize = encoding ? 1 : 2;
        if (outLeft < replacementSize) {
            const auto used = outPtr - out.data();
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = size_t(out.size() - used);
        }
        std::memcpy(outPtr, replacement, replacementSize);
        outPtr += replacementSize;
        outLeft -= replacementSize;
        // Skip one UTF-16 unit (or surrogate pair) when encoding, one byte when decoding.
        size_t skip = encoding ? 2 : 1;
        if (encoding && inLeft >= 4) {
            const auto unit = uint16_t(uint8_t(inPtr[0]) | uint8_t(inPtr[1]) << 8);
            if (unit >= 0xD800 && unit < 0xDC00)
                skip = 4;
        }
        skip = std::min(skip, inLeft);
        inPtr += skip;
        inLeft -= skip;
    }
    out.resize(int(outPtr - out.data()));
    return out;
}

} // namespace

QByteArray toCp932(QStringView text)
{
    if (text.isEmpty())
        return {};
    // Plain ASCII is the common case in number fields; it is the same in both code pages.
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.toLatin1();
    return convert(converter(true), reinterpret_cast<const char*>(text.utf16()), size_t(text.size()) * 2, true);
}

QString fromCp932(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return QString::fromLatin1(bytes.data(), bytes.size());
    const QByteArray utf16 = convert(converter(false), bytes.data(), size_t(bytes.size()), false);
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

bool isCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

QByteArray fixedText(QStringView text, int width)
{
    QByteArray bytes = toCp932(text);
    if (bytes.size() > width) {
        // Walk whole characters so the cut never leaves half of a two-byte character behind.
        int end = 0;
        while (end < width) {
            const int step = isCp932LeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
            if (end + step > width)
                break;
            end += step;
        }
        bytes.truncate(end);
    }
    if (bytes.size() < width)
        bytes.append(width - bytes.size(), ' ');
    return bytes;
}

void putText(char* dest, QStringView text, int width)
{
    std::memcpy(dest, fixedText(text, width).constData(), size_t(width));
}

QString getText(const char* src, int width)
{
    return fromCp932(QByteArrayView(src, width));
}

namespace {

// The leading decimal number of a text after its leading blanks: where it starts and ends, empty when none.
std::pair<qsizetype, qsizetype> leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    auto digit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    qsizetype digits = 0;
    while (digit(i)) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (digit(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return {start, start};
    qsizetype end = i;
    // An exponent counts only when digits follow it ("5E-02"); "5E" alone is 5.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype k = i + 1;
        if (k < n && (text[k] == u'-' || text[k] == u'+'))
            ++k;
        if (digit(k)) {
            while (digit(k))
                ++k;
            end = k;
        }
    }
    return {start, end};
}

double parsed(QStringView text, std::pair<qsizetype, qsizetype> span)
{
    if (span.first == span.second)
        return 0;
    const QByteArray number = text.mid(span.first, span.second - span.first).toLatin1();
    return std::strtod(number.constData(), nullptr);
}

} // namespace

double val(QStringView text)
{
    const double value = parsed(text, leadingNumber(text));
    return std::isfinite(value) ? value : 0;
}

bool valTooLarge(QStringView text)
{
    return !std::isfinite(parsed(text, leadingNumber(text)));
}

std::optional<double> strictVal(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    const auto span = leadingNumber(trimmed);
    if (span.first == span.second || span.first != 0 || span.second != trimmed.size())
        return std::nullopt;
    const double value = parsed(trimmed, span);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

QString numText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == 0)
        return QStringLiteral("0");
    // Whole numbers of up to 15 digits, most amounts and counts, read the same without the general path.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(qint64(value));
    // 15 significant digits, then drop the exponent by printing in fixed notation with just enough decimals.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    // Near the largest double, rounding to 15 digits goes beyond it; the value itself is shown then.
    double rounded = std::strtod(buf, nullptr);
    if (!std::isfinite(rounded))
        rounded = value;
    const int magnitude = int(std::floor(std::log10(std::fabs(rounded))));
    const int decimals = std::clamp(14 - magnitude, 0, 340);
    QString text = QString::number(rounded, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == u"-0")
        text = QStringLiteral("0");
    return text;
}

QString shownText(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == u' ' || text[end - 1] == u'\0'))
        --end;
    return text.left(end).toString();
}

QString groupedNumber(double value)
{
    const QString plain = numText(value);
    const qsizetype sign = plain.startsWith(u'-') ? 1 : 0;
    qsizetype point = plain.indexOf(u'.');
    if (point < 0)
        point = plain.size();
    // The whole part is at most a few hundred digits (numText never writes an exponent); group it by hand,
    // as the Japanese locale does, because it need not fit a 64-bit integer.
    QString grouped = plain.left(point);
    for (qsizetype i = point - 3; i > sign; i -= 3)
        grouped.insert(i, u',');
    return grouped + plain.mid(point);
}

bool isFigureText(QStringView text)
{
    text = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto digit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    if (i < n && text[i] == u'¥')
        ++i;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    if (!digit(i))
        return false;
    while (digit(i) || (i < n && text[i] == u',' && digit(i + 1)))
        ++i;
    if (i < n && text[i] == u'.') {
        ++i;
        if (!digit(i))
            return false;
        while (digit(i))
            ++i;
    }
    return i == n;
}

double roundHalfEven(double value)
{
    return std::nearbyint(value);
}

double roundMoney(double value)
{
    return std::floor(value + 0.5);
}

bool fitsInt16(double value)
{
    const double r = roundHalfEven(value);
    return r >= -32768 && r <= 32767;
}

bool fitsInt32(double value)
{
    const double r = roundHalfEven(value);
    return r >= -2147483648.0 && r <= 2147483647.0;
}

// Clamped so that an unchecked value can never be undefined behaviour.
int16_t toInt16(double value)
{
    return int16_t(std::clamp(roundHalfEven(value), -32768.0, 32767.0));
}
int32_t toInt32(double value)
{
    return int32_t(std::clamp(roundHalfEven(value), -2147483648.0, 2147483647.0));
}

int16_t getInt16(const char* p)
{
    return qFromLittleEndian<qint16>(p);
}
int32_t getInt32(const char* p)
{
    return qFromLittleEndian<qint32>(p);
}
double getDouble(const char* p)
{
    const quint64 bits = qFromLittleEndian<quint64>(p);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
void putInt16(char* p, int16_t value)
{
    qToLittleEndian<qint16>(value, p);
}
void putInt32(char* p, int32_t value)
{
    qToLittleEndian<qint32>(value, p);
}
void putDouble(char* p, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian<quint64>(bits, p);
}
