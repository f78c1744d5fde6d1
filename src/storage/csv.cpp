// CSV rows encoded in code page 932 and written whole or not at all.
#include "storage/csv.h"

#include "storage/durablefile.h"
#include "storage/text.h"


namespace {

bool needsQuotes(const QString& cell)
{
    for (QChar c : cell)
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    return false;
}

// A number as the reports write it stays a number for the spreadsheet, the minus of a negative amount included.
bool isNumber(const QString& cell)
{
    qsizetype i = cell.startsWith(u'-') ? 1 : 0;
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < cell.size() && cell[i] >= u'0' && cell[i] <= u'9')
            ++i;
        return i > from;
    };
    if (!digits())
        return false;
    if (i < cell.size() && cell[i] == u'.') {
        ++i;
        if (!digits())
            return false;
    }
    return i == cell.size();
}

// What a cell holds in the file: the blanks that pad a stored field dropped (a spreadsheet would keep them and
// look-ups of the name would fail), and a text a spreadsheet could take for a formula made plain text.
QString cellText(const QString& cell)
{
    qsizetype end = cell.size();
    while (end > 0 && cell[end - 1] == u' ')
        --end;
    const QString text = cell.left(end);
    if (text.isEmpty() || isNumber(text))
        return text;
    const QChar first = text[0];
    if (first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' || first == u'\r')
        return u'\'' + text;
    return text;
}

// Rows are gathered in UTF-16 and encoded a block at a time: one conversion per cell would cost more than
// building the report the cells come from.
constexpr qsizetype RowsPerBlock = 512;

} // namespace

void appendCsvRow(QString& out, const QStringList& cells)
{
    for (qsizetype c = 0; c < cells.size(); ++c) {
        if (c > 0)
            out += u',';
        const QString cell = cellText(cells[c]);
        if (needsQuotes(cell)) {
            out += u'"';
            for (QChar ch : cell) {
                if (ch == u'"')
                    out += u'"';
                out += ch;
            }
            out += u'"';
        } else {
            out += cell;
        }
    }
    out += QStringLiteral("\r\n");
}

QByteArray csvBytes(const QList<QStringList>& rows)
{
    QByteArray bytes;
    QString block;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        appendCsvRow(block, rows[i]);
        if ((i + 1) % RowsPerBlock == 0 || i + 1 == rows.size()) {
            bytes += toCp932(block);
            block.clear();
        }
    }
    return bytes;
}

Result writeCsvFile(const QString& path, qsizetype count, const std::function<QStringList(qsizetype)>& row,
                    const std::function<bool(qsizetype)>& progress)
{
    NewFile file(path);
    const auto failed = [&] {
        return Result::failure(QStringLiteral("CSV ファイルを書き込めません（%1）。\n%2").arg(file.reason(), path));
    };
    if (!file.open())
        return failed();
    QString block;
    for (qsizetype i = 0; i < count; ++i) {
        appendCsvRow(block, row(i));
        if ((i + 1) % RowsPerBlock == 0 || i + 1 == count) {
            const QByteArray bytes = toCp932(block);
            block.clear();
            if (!file.append(bytes))
                return failed();
            if (progress && !progress(i + 1))
                return Result::failure(QString());
        }
    }
    if (!file.commit())
        return failed();
    return Result::success();
}
