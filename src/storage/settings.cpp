// sys.ini: a tolerant reader and an atomic writer for the two settings tables.
#include "storage/settings.h"

#include "storage/durablefile.h"
#include "storage/instancelock.h"
#include "storage/settingnames.h"
#include "storage/text.h"

#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

QString AppDir;
double SysNum[51];
QString SysStr[51];

QString dataPath(const QString& name)
{
    return AppDir + u'/' + name;
}

namespace {

// Reads the values of a settings file one after another: a value ends at a comma or a line end, blanks
// before it are skipped, and a quoted text runs to the next quote, after which the rest up to the next
// comma or line end is skipped.
class ValueReader
{
public:
    explicit ValueReader(QString text) : m_text(std::move(text)) {}

    bool atEnd()
    {
        skipBlankLines();
        return m_pos >= m_text.size();
    }

    QString next()
    {
        skipBlanks();
        QString value;
        if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
            const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
            const qsizetype end = close < 0 ? m_text.size() : close;
            value = m_text.mid(m_pos + 1, end - m_pos - 1);
            m_pos = close < 0 ? end : close + 1;
            while (m_pos < m_text.size() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
        } else {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
            value = m_text.mid(start, m_pos - start).trimmed();
        }
        consumeDelimiter();
        return value;
    }

private:
    static bool isDelimiter(QChar c) { return c == u',' || c == u'\r' || c == u'\n'; }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t'))
            ++m_pos;
    }

    // Empty lines between values carry no value.
    void skipBlankLines()
    {
        for (;;) {
            qsizetype p = m_pos;
            while (p < m_text.size() && (m_text[p] == u' ' || m_text[p] == u'\t'))
                ++p;
            if (p < m_text.size() && (m_text[p] == u'\r' || m_text[p] == u'\n')) {
                m_pos = p + 1;
                continue;
            }
            return;
        }
    }

    void consumeDelimiter()
    {
        if (m_pos >= m_text.size())
            return;
        if (m_text[m_pos] == u'\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'\n')
            m_pos += 2;
        else
            ++m_pos;
    }

    QString m_text;
    qsizetype m_pos = 0;
};

// A number line must be a number as a whole, and one a double can hold: "1e999" is refused, not read as 0.
bool parseNumber(const QString& text, double* value)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!number.match(text).hasMatch())
        return false;
    const double v = std::strtod(text.toLatin1().constData(), nullptr);
    if (!std::isfinite(v))
        return false;
    *value = v;
    return true;
}

// The record counts and the next slip numbers are used as record numbers: a fraction would make two slips
// share a record, and a slip number is a 32-bit field.
QString countProblem(int index, double value)
{
    const bool counter = index == Sys::NextSalesSlipNo || index == Sys::NextPurchaseSlipNo;
    const double lowest = counter ? 1 : 0;
    if (value >= lowest && value <= 2147483647.0 && value == std::floor(value))
        return {};
    return counter ? QStringLiteral("%1 行目「%2」は伝票番号として使えません（1～2147483647 の整数）")
                   : QStringLiteral("%1 行目「%2」は件数として使えません（0～2147483647 の整数）");
}

QString settingsError(const QString& detail)
{
    return QStringLiteral("設定ファイル sys.ini を読み込めません（%1）。\n%2")
        .arg(detail, dataPath(QStringLiteral("sys.ini")));
}

} // namespace

Result LoadSettings()
{
    QFile file(dataPath(QStringLiteral("sys.ini")));
    if (!file.exists())
        return Result::failure(settingsError(QStringLiteral("ファイルがありません")));
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(settingsError(file.errorString()));
    return ReadSettingsText(file.readAll());
}

Result ReadSettingsText(const QByteArray& fileBytes)
{
    ValueReader reader(fromCp932(fileBytes));

    double numbers[51] = {};
    QString texts[51];
    for (int i = 1; i <= 50; ++i) {
        if (reader.atEnd())
            return Result::failure(settingsError(QStringLiteral("数値が %1 個しかありません").arg(i - 1)));
        const QString token = reader.next();
        if (!parseNumber(token, &numbers[i]))
            return Result::failure(
                settingsError(QStringLiteral("%1 行目「%2」は数値ではありません").arg(i).arg(token)));
        if (i <= Sys::SupplierCount)
            if (const QString problem = countProblem(i, numbers[i]); !problem.isEmpty())
                return Result::failure(settingsError(problem.arg(i).arg(token)));
    }
    for (int i = 1; i <= 50; ++i) {
        if (reader.atEnd())
            return Result::failure(settingsError(QStringLiteral("文字列が %1 個しかありません").arg(i - 1)));
        texts[i] = reader.next();
    }
    for (int i = 1; i <= 50; ++i) {
        SysNum[i] = numbers[i];
        SysStr[i] = texts[i];
    }
    return Result::success();
}

namespace {

// Plain decimal digits that read back as exactly the same double: the shortest such text without an
// exponent, so 0.05 stays "0.05" and 1.7976931348623157e308 is written in full rather than as "inf".
QByteArray exactNumberText(double value)
{
    if (value == 0)
        return "0";
    char buf[400];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return ec == std::errc() ? QByteArray(buf, end - buf) : QByteArray();
}

} // namespace

QByteArray SettingsFileBytes()
{
    QByteArray bytes;
    for (int i = 1; i <= 50; ++i)
        bytes += exactNumberText(SysNum[i]) + "\r\n";
    for (int i = 1; i <= 50; ++i)
        bytes += '"' + toCp932(SysStr[i]) + "\"\r\n";
    return bytes;
}

QString SettingProblem(int index, double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("設定ファイル sys.ini の %1 行目に数値でない値（%2）を書くことになるため、保存できません。")
            .arg(index)
            .arg(value);
    if (index >= 1 && index <= Sys::SupplierCount)
        if (const QString problem = countProblem(index, value); !problem.isEmpty())
            return QStringLiteral("設定ファイル sys.ini を次の起動で読めなくなるため、保存できません（%1）。")
                .arg(problem.arg(index).arg(QString::fromLatin1(exactNumberText(value))));
    return {};
}

Result SaveSettings()
{
    if (Result r = CheckInstanceLock(); !r)
        return r;
    // Our own reader would refuse the file at the next start.
    for (int i = 1; i <= 50; ++i)
        if (const QString problem = SettingProblem(i, SysNum[i]); !problem.isEmpty())
            return Result::failure(problem);
    return replaceFile(dataPath(QStringLiteral("sys.ini")), SettingsFileBytes());
}
