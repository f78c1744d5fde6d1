// CSV rows encoded in code page 932 and written whole or not at all.
#include "storage/csv.h"

#include "storage/text.h"

#include <QSaveFile>

namespace {

bool needsQuotes(const QString& cell)
{
    for (QChar c : cell)
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    return false;
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
        const QString& cell = cells[c];
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
    QSaveFile file(path);
    const auto failed = [&](const QString& reason) {
        return Result::failure(QStringLiteral("CSV ファイルを書き込めません（%1）。\n%2").arg(reason, path));
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    QString block;
    for (qsizetype i = 0; i < count; ++i) {
        appendCsvRow(block, row(i));
        if ((i + 1) % RowsPerBlock == 0 || i + 1 == count) {
            const QByteArray bytes = toCp932(block);
            block.clear();
            if (file.write(bytes) != bytes.size())
                return failed(file.errorString());
            if (progress && !progress(i + 1)) {
                file.cancelWriting();
                return Result::failure(QString());
            }
        }
    }
    if (!file.commit())
        return failed(file.errorString());
    return Result::success();
}
