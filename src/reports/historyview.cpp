// One pass over the history file; only the entries of the period and the filter are decoded into rows.
#include "reports/historyview.h"

#include "storage/history.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/text.h"

#include <QColor>
#include <functional>

namespace L = HistoryLayout;

namespace {

const QColor HeadColour(100, 255, 255);
const QColor BeforeColour(255, 200, 200);
const QColor AfterColour(200, 255, 200);

// The year, month and day of an entry's time, straight from its bytes: most entries of a long history are
// passed over, so none of them is decoded.
int digits(const char* p, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        value = value * 10 + (p[i] - '0');
    }
    return value;
}

bool wanted(const HistoryFilter& f, const char* entry)
{
    const char* t = entry + L::Time;
    if (!f.period.contains(digits(t, 4), digits(t + 5, 2), digits(t + 8, 2)))
        return false;
    switch (HistoryOperation(getInt16(entry + L::Operation))) {
    case HistoryOperation::New:
        if (!f.newSlips)
            return false;
        break;
    case HistoryOperation::Correction:
        if (!f.corrections)
            return false;
        break;
    case HistoryOperation::Deletion:
        if (!f.deletions)
            return false;
        break;
    case HistoryOperation::Reset:
        if (!f.resets)
            return false;
        break;
    }
    const QString file = getText(entry + L::File, 12).trimmed();
    return f.slips == HistoryFilter::AllSlips ||
           (f.slips == HistoryFilter::SalesSlips ? file == u"reg.dat" : file == u"siire.dat");
}

// A slip's fields, as compared: the fixed ones by name, then the lines.
struct SlipLineText
{
    int16_t number = 0;
    QString name;
    int16_t unitPrice = 0;
    int16_t qty = 0;
    double amount = 0;

    QString text() const
    {
        if (number == 0)
            return {};
        return QStringLiteral("%1 %2 %3×%4 = %5")
            .arg(number)
            .arg(name.trimmed())
            .arg(unitPrice)
            .arg(qty)
            .arg(numText(amount));
    }
    QString changes(const SlipLineText& o) const
    {
        QStringList names;
        if (number != o.number)
            names << QStringLiteral("CODE");
        if (name.trimmed() != o.name.trimmed())
            names << QStringLiteral("品名");
        if (unitPrice != o.unitPrice)
            names << QStringLiteral("単価");
        if (qty != o.qty)
            names << QStringLiteral("数量");
        if (amount != o.amount)
            names << QStringLiteral("金額");
        return names.join(u'・');
    }
};

struct SlipFields
{
    QList<QPair<QString, QString>> head; // label, text
    SlipLineText lines[10];
    QList<QPair<QString, QString>> tail;
};

SlipFields fieldsOf(const QString& fileName, const QByteArray& record)
{
    SlipFields f;
    const auto deletedText = [](int16_t d) { return d != 0 ? QStringLiteral("削除") : QString(); };
    if (fileName == u"siire.dat") {
        PurchaseSlipRecord s;
        DecodePurchaseSlip(record.constData(), s);
        f.head = {{QStringLiteral("日付"), s.Date.trimmed()},
                  {QStringLiteral("時間"), s.Time.trimmed()},
                  {QStringLiteral("仕入先"), s.SupplierNo == 0 && s.SupplierName.trimmed().isEmpty()
                                                 ? QString()
                                                 : QStringLiteral("%1 %2 %3")
                                                       .arg(s.SupplierNo)
                                                       .arg(s.SupplierName.trimmed(), s.SupplierPhone.trimmed())
                                                       .trimmed()}};
        for (int k = 1; k <= PurchaseSlipLineCount; ++k) {
            const PurchaseSlipLine& l = s.Line[k];
            f.lines[k - 1] = {l.ItemNo, l.ItemName, l.UnitPrice, l.Qty, l.Amount};
        }
        f.tail = {{QStringLiteral("計"), numText(s.Subtotal)},
                  {QStringLiteral("消費税"), numText(s.Tax)},
                  {QStringLiteral("合計"), numText(s.Total)},
                  {QStringLiteral("削除"), deletedText(s.Deleted)}};
    } else {
        SalesSlipRecord s;
        DecodeSalesSlip(record.constData(), s);
        f.head = {{QStringLiteral("日付"), s.Date.trimmed()},
                  {QStringLiteral("時間"), s.Time.trimmed()},
                  {QStringLiteral("天気"), s.Weather.trimmed()}};
        for (int k = 1; k <= SalesSlipLineCount; ++k) {
            const SalesSlipLine& l = s.Line[k];
            f.lines[k - 1] = {l.ProductNo, l.ProductName, l.UnitPrice, l.Qty, l.Amount};
        }
        f.tail = {{QStringLiteral("計"), numText(s.Subtotal)},
                  {QStringLiteral("消費税"), numText(s.Tax)},
                  {QStringLiteral("合計"), numText(s.Total)},
                  {QStringLiteral("削除"), deletedText(s.Deleted)}};
    }
    return f;
}

void appendPairs(QList<HistoryFieldRow>& rows, const QList<QPair<QString, QString>>& before,
                 const QList<QPair<QString, QString>>& after, bool hasBefore)
{
    for (qsizetype i = 0; i < after.size(); ++i) {
        const QString b = hasBefore ? before[i].second : QString();
        const QString& a = after[i].second;
        if (b.isEmpty() && a.isEmpty())
            continue;
        rows << HistoryFieldRow{after[i].first, b, a, hasBefore && b != a ? after[i].first : QString()};
    }
}

// The rows of a reset entry: what was archived, and how to check the archive.
QList<HistoryFieldRow> resetRows(const QByteArray& after)
{
    const char* p = after.constData();
    const QString name = getText(p + L::ArchiveName, L::ArchiveNameSize).trimmed();
    QList<HistoryFieldRow> rows;
    rows << HistoryFieldRow{QStringLiteral("保存先"), {}, name.isEmpty() ? QStringLiteral("（なし）") : name, {}};
    if (!name.isEmpty())
        rows << HistoryFieldRow{
            QStringLiteral("SHA-256"), {}, QString::fromLatin1(QByteArray(p + L::ArchiveHash, 32).toHex()), {}};
    rows << HistoryFieldRow{QStringLiteral("履歴件数"), {}, QString::number(getInt32(p + L::ArchivedEntries)), {}};
    return rows;
}

} // namespace

QStringList historyOperationChoices()
{
    return {QStringLiteral("訂正と削除"), QStringLiteral("訂正"),   QStringLiteral("削除"),
            QStringLiteral("新規"),       QStringLiteral("初期化"), QStringLiteral("すべて")};
}

void setOperationChoice(HistoryFilter& f, int choice)
{
    f.newSlips = choice == 3 || choice == 5;
    f.corrections = choice == 0 || choice == 1 || choice == 5;
    f.deletions = choice == 0 || choice == 2 || choice == 5;
    // The start of a chain belongs with the corrections and deletions: it says where the ones before went.
    f.resets = choice == 0 || choice == 4 || choice == 5;
}

QList<HistoryFieldRow> compareSlipRecords(const QString& fileName, const QByteArray& before, bool hasBefore,
                                          const QByteArray& after)
{
    const SlipFields a = fieldsOf(fileName, after);
    const SlipFields b = hasBefore ? fieldsOf(fileName, before) : SlipFields{};
    QList<HistoryFieldRow> rows;
    if (hasBefore)
        appendPairs(rows, b.head, a.head, true);
    else
        appendPairs(rows, a.head, a.head, false);
    for (int k = 0; k < 10; ++k) {
        const SlipLineText& lb = b.lines[k];
        const SlipLineText& la = a.lines[k];
        if (lb.number == 0 && la.number == 0)
            continue;
        rows << HistoryFieldRow{QStringLiteral("%1行目").arg(k + 1), hasBefore ? lb.text() : QString(), la.text(),
                                hasBefore ? lb.changes(la) : QString()};
    }
    appendPairs(rows, hasBefore ? b.tail : a.tail, a.tail, hasBefore);
    // A difference outside the named fields is shown too: nothing in the record changes unseen.
    if (hasBefore && before != after) {
        bool named = false;
        for (const HistoryFieldRow& r : rows)
            named = named || !r.changed.isEmpty();
        if (!named)
            rows << HistoryFieldRow{QStringLiteral("その他"), QStringLiteral("（予備領域）"),
                                    QStringLiteral("（予備領域が異なります）"), QStringLiteral("予備領域")};
    }
    return rows;
}

Result buildHistoryTable(const HistoryFilter& filter, GridTable& t, qint64* entries)
{
    t = GridTable();
    t.setShape({800, 1900, 600, 600, 800, 900, 3400, 3400, 1300}, 1,
               {QStringLiteral("履歴番号"), QStringLiteral("日時"), QStringLiteral("操作"), QStringLiteral("区分"),
                QStringLiteral("伝票番号"), QStringLiteral("項目"), QStringLiteral("変更前"), QStringLiteral("変更後"),
                QStringLiteral("変更箇所")});
    qint64 shown = 0;
    const Result r = scanHistory([&](qint64 n, const char* p) {
        if (!wanted(filter, p))
            return true;
        ++shown;
        const HistoryEntry e = decodeHistoryEntry(p);
        const QList<HistoryFieldRow> fields = e.operation == HistoryOperation::Reset
                                                  ? resetRows(e.after)
                                                  : compareSlipRecords(e.file, e.before, e.hasBefore, e.after);
        const int first = int(t.rows.size());
        for (const HistoryFieldRow& f : fields) {
            const int row = int(t.rows.size());
            QStringList cells(HistoryColumnCount);
            cells[HistoryFieldCol] = f.label;
            cells[HistoryBeforeCol] = f.before;
            cells[HistoryAfterCol] = f.after;
            cells[HistoryChangedCol] = f.changed;
            t.rows << cells;
            if (!f.changed.isEmpty()) {
                t.colours.append({row, HistoryBeforeCol, BeforeColour});
                t.colours.append({row, HistoryAfterCol, AfterColour});
            }
        }
        if (t.rows.size() == first)
            t.rows << QStringList(HistoryColumnCount);
        QStringList& head = t.rows[first];
        head[HistoryEntryCol] = QString::number(n);
        head[HistoryTimeCol] = e.time;
        head[HistoryOperationCol] = historyOperationName(e.operation);
        head[HistorySlipsCol] = e.file == u"siire.dat" ? QStringLiteral("仕入") : QStringLiteral("売上");
        head[HistorySlipNoCol] = e.operation == HistoryOperation::Reset ? QString() : QString::number(e.recordNo);
        for (int c = HistoryEntryCol; c <= HistorySlipNoCol; ++c)
            t.colours.append({first, c, HeadColour});
        return true;
    });
    if (entries)
        *entries = r ? shown : 0;
    if (!r) {
        t.rows.resize(1);
        t.colours.clear();
    }
    return r;
}
