// One pass over the history file; only the entries of the period and the filter are decoded into rows.
#include "reports/historyview.h"

#include "storage/history.h"
#include "storage/payment.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/tax.h"
#include "storage/text.h"

#include <QColor>
#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

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

// A field of a slip record: the bytes it is stored in, and its text as the shopkeeper reads it. Whether it changed
// is decided on the bytes, so that nothing the record holds can change unseen behind an equal text.
struct FieldSpec
{
    QString label;
    QList<QPair<int, int>> ranges; // offset, size
    std::function<QString(const char*)> text;
    bool quiet = false; // a figure the slip's other fields imply: listed only when it changed
    bool money = false;
};

constexpr int LineSize = 64;

// A line's parts in their stored order: CODE, 品名, 単価, 数量, 金額.
struct LinePart
{
    const char* label;
    int offset;
    int size;
};
constexpr LinePart LineParts[] = {{"CODE", 0, 2}, {"品名", 2, 50}, {"単価", 52, 2}, {"数量", 54, 2}, {"金額", 56, 8}};

QStringList lineParts(const char* line)
{
    if (getInt16(line) == 0)
        return QStringList(5);
    return {QString::number(getInt16(line)), getText(line + 2, 50).trimmed(), QString::number(getInt16(line + 52)),
            QString::number(getInt16(line + 54)), numText(getDouble(line + 56))};
}

QString lineText(const QStringList& parts)
{
    if (parts.value(0).isEmpty())
        return {};
    return QStringLiteral("%1 %2 %3×%4 = %5")
        .arg(parts[0], parts[1], groupedNumber(val(parts[2])), parts[3], groupedNumber(val(parts[4])));
}

FieldSpec textField(const QString& label, int offset, int size)
{
    return {label, {{offset, size}}, [=](const char* p) { return getText(p + offset, size).trimmed(); }};
}

FieldSpec figureField(const QString& label, int offset, bool quiet = false)
{
    return {label, {{offset, 8}}, [=](const char* p) { return numText(getDouble(p + offset)); }, quiet, true};
}

FieldSpec rateField(const QString& label, int offset)
{
    return {label,
            {{offset, 8}},
            [=](const char* p) {
                return getDouble(p + offset) == 0 ? QString() : numText(getDouble(p + offset) * 100) + u'%';
            },
            true};
}

QString deletedText(const char* p, int offset)
{
    return getInt16(p + offset) != 0 ? QStringLiteral("削除") : QString();
}

struct RecordSpec
{
    QList<FieldSpec> head;
    int linesAt = 0;
    QList<FieldSpec> tail;
};

const RecordSpec& salesSpec()
{
    namespace R = SlipRatesOffset;
    namespace P = SlipPaymentOffset;
    static const RecordSpec spec{
        {textField(QStringLiteral("日付"), 0, 20),
         textField(QStringLiteral("時間"), 20, 20),
         textField(QStringLiteral("天気"), 40, 20),
         {QStringLiteral("伝票番号"),
          {{60, 4}},
          [](const char* p) { return QString::number(getInt32(p + 60)); },
          true}},
        64,
        {figureField(QStringLiteral("計"), 704),
         figureField(QStringLiteral("消費税"), 712),
         figureField(QStringLiteral("合計"), 720),
         {QStringLiteral("削除"), {{728, 2}}, [](const char* p) { return deletedText(p, 728); }},
         {QStringLiteral("支払方法"),
          {{P::Version, 2}, {P::Method, 2}},
          [](const char* p) { return paymentMethodName(GetSlipPayment(p).method); }},
         {QStringLiteral("お預り"),
          {{P::Tendered, 8}},
          [](const char* p) {
              return getDouble(p + P::Tendered) == 0 ? QString() : numText(getDouble(p + P::Tendered));
          },
          false,
          true},
         {QStringLiteral("軽減行"),
          {{R::Version, 2}, {R::ReducedLines, 2}},
          [](const char* p) {
              const SlipRates rates = GetSlipRates(p);
              QStringList lines;
              for (int k = 1; k <= SalesSlipLineCount; ++k)
                  if (rates.lineReduced(k))
                      lines << QString::number(k);
              return lines.join(u'・');
          },
          true},
         figureField(QStringLiteral("標準対象額"), R::StandardTotal, true),
         figureField(QStringLiteral("標準消費税"), R::StandardTax, true),
         rateField(QStringLiteral("標準税率"), R::StandardRate),
         figureField(QStringLiteral("軽減対象額"), R::ReducedTotal, true),
         figureField(QStringLiteral("軽減消費税"), R::ReducedTax, true),
         rateField(QStringLiteral("軽減税率"), R::ReducedRate)}};
    return spec;
}

const RecordSpec& purchaseSpec()
{
    static const RecordSpec spec{
        {textField(QStringLiteral("日付"), 0, 20),
         textField(QStringLiteral("時間"), 20, 20),
         {QStringLiteral("伝票番号"), {{60, 4}}, [](const char* p) { return QString::number(getInt32(p + 60)); }, true},
         {QStringLiteral("仕入先"),
          {{64, 2}, {66, 20}, {86, 12}},
          [](const char* p) {
              const int no = getInt16(p + 64);
              const QString name = getText(p + 66, 20).trimmed();
              if (no == 0 && name.isEmpty())
                  return QString();
              return QStringLiteral("%1 %2 %3").arg(no).arg(name, getText(p + 86, 12).trimmed()).trimmed();
          }}},
        98,
        {figureField(QStringLiteral("計"), 738),
         figureField(QStringLiteral("消費税"), 746),
         figureField(QStringLiteral("合計"), 754),
         {QStringLiteral("削除"), {{762, 2}}, [](const char* p) { return deletedText(p, 762); }}}};
    return spec;
}

bool differs(const QByteArray& before, const QByteArray& after, int offset, int size)
{
    return std::memcmp(before.constData() + offset, after.constData() + offset, size_t(size)) != 0;
}

void appendFields(QList<HistoryFieldRow>& rows, const QList<FieldSpec>& fields, const QByteArray& before,
                  bool hasBefore, const QByteArray& after, std::vector<bool>& covered)
{
    for (const FieldSpec& f : fields) {
        bool changed = false;
        for (const auto& [offset, size] : f.ranges) {
            std::fill(covered.begin() + offset, covered.begin() + offset + size, true);
            changed = changed || (hasBefore && differs(before, after, offset, size));
        }
        const QString b = hasBefore ? f.text(before.constData()) : QString();
        const QString a = f.text(after.constData());
        if (changed || (!f.quiet && !(b.isEmpty() && a.isEmpty())))
            rows << HistoryFieldRow{f.label, b, a, changed ? f.label : QString(), {}, {}, f.money};
    }
}

void appendLines(QList<HistoryFieldRow>& rows, int linesAt, const QByteArray& before, bool hasBefore,
                 const QByteArray& after, std::vector<bool>& covered)
{
    for (int k = 0; k < 10; ++k) {
        const int at = linesAt + k * LineSize;
        std::fill(covered.begin() + at, covered.begin() + at + LineSize, true);
        const QStringList b = hasBefore ? lineParts(before.constData() + at) : QStringList(5);
        const QStringList a = lineParts(after.constData() + at);
        QStringList names;
        for (const LinePart& part : LineParts)
            if (hasBefore && differs(before, after, at + part.offset, part.size))
                names << QString::fromUtf8(part.label);
        if (b[0].isEmpty() && a[0].isEmpty() && names.isEmpty())
            continue;
        rows << HistoryFieldRow{QStringLiteral("%1行目").arg(k + 1), lineText(b), lineText(a), names.join(u'・'), b, a};
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
    const RecordSpec& spec = fileName == u"siire.dat" ? purchaseSpec() : salesSpec();
    const QByteArray a = after.leftJustified(L::RecordSize, '\0', true);
    const QByteArray b = before.leftJustified(L::RecordSize, '\0', true);
    std::vector<bool> covered(L::RecordSize, false);
    QList<HistoryFieldRow> rows;
    appendFields(rows, spec.head, b, hasBefore, a, covered);
    appendLines(rows, spec.linesAt, b, hasBefore, a, covered);
    appendFields(rows, spec.tail, b, hasBefore, a, covered);
    // The bytes no field names (the reserved ones) are compared too: nothing in the record changes unseen.
    int first = -1;
    int last = -1;
    for (int i = 0; hasBefore && i < L::RecordSize; ++i)
        if (!covered[size_t(i)] && a[i] != b[i]) {
            first = first < 0 ? i : first;
            last = i;
        }
    if (first >= 0)
        rows << HistoryFieldRow{QStringLiteral("その他"), QStringLiteral("（予備領域）"),
                                QStringLiteral("（予備領域 %1〜%2 バイト目が異なります）").arg(first).arg(last),
                                QStringLiteral("予備領域")};
    return rows;
}

namespace {

QStringList headings()
{
    return {QStringLiteral("履歴番号"), QStringLiteral("日時"),     QStringLiteral("操作"),
            QStringLiteral("区分"),     QStringLiteral("伝票番号"), QStringLiteral("項目"),
            QStringLiteral("変更前"),   QStringLiteral("変更後"),   QStringLiteral("変更箇所")};
}

// Calls `visit` with each entry the filter lets through and its field rows.
Result scanWanted(const HistoryFilter& filter,
                  const std::function<void(qint64, const HistoryEntry&, const QList<HistoryFieldRow>&)>& visit)
{
    return scanHistory([&](qint64 n, const char* p) {
        if (!wanted(filter, p))
            return true;
        const HistoryEntry e = decodeHistoryEntry(p);
        visit(n, e,
              e.operation == HistoryOperation::Reset ? resetRows(e.after)
                                                     : compareSlipRecords(e.file, e.before, e.hasBefore, e.after));
        return true;
    });
}

QStringList entryKeys(qint64 n, const HistoryEntry& e)
{
    return {QString::number(n), e.time, historyOperationName(e.operation),
            e.file == u"siire.dat" ? QStringLiteral("仕入") : QStringLiteral("売上"),
            e.operation == HistoryOperation::Reset ? QString() : QString::number(e.recordNo)};
}

} // namespace

Result buildHistoryTable(const HistoryFilter& filter, GridTable& t, qint64* entries)
{
    t = GridTable();
    t.setShape({800, 1900, 600, 600, 800, 900, 3400, 3400, 1300}, 1, headings());
    qint64 shown = 0;
    const Result r = scanWanted(filter, [&](qint64 n, const HistoryEntry& e, const QList<HistoryFieldRow>& fields) {
        ++shown;
        const int first = int(t.rows.size());
        for (const HistoryFieldRow& f : fields) {
            const int row = int(t.rows.size());
            // Grouped here rather than by the grid: the same columns hold slip numbers and counts.
            const auto shown = [&](const QString& text) {
                return f.money && !text.isEmpty() ? groupedNumber(val(text)) : text;
            };
            QStringList cells(HistoryColumnCount);
            cells[HistoryFieldCol] = f.label;
            cells[HistoryBeforeCol] = shown(f.before);
            cells[HistoryAfterCol] = shown(f.after);
            cells[HistoryChangedCol] = f.changed;
            t.rows << cells;
            if (!f.changed.isEmpty()) {
                t.colours.append({row, HistoryBeforeCol, BeforeColour});
                t.colours.append({row, HistoryAfterCol, AfterColour});
            }
        }
        if (t.rows.size() == first)
            t.rows << QStringList(HistoryColumnCount);
        const QStringList keys = entryKeys(n, e);
        for (int c = HistoryEntryCol; c <= HistorySlipNoCol; ++c) {
            t.rows[first][c] = keys[c];
            t.colours.append({first, c, HeadColour});
        }
    });
    if (entries)
        *entries = r ? shown : 0;
    if (!r) {
        t.rows.resize(1);
        t.colours.clear();
    }
    return r;
}

Result buildHistoryCsvTable(const HistoryFilter& filter, GridTable& t)
{
    QStringList heads = headings();
    for (const QString& side : {QStringLiteral("変更前"), QStringLiteral("変更後")})
        for (const LinePart& part : LineParts)
            heads << side + QString::fromUtf8(part.label);
    t = GridTable();
    t.setShape(QList<int>(heads.size(), 1000), 1, heads);
    const Result r = scanWanted(filter, [&](qint64 n, const HistoryEntry& e, const QList<HistoryFieldRow>& fields) {
        const QStringList keys = entryKeys(n, e);
        for (const HistoryFieldRow& f : fields.isEmpty() ? QList<HistoryFieldRow>{HistoryFieldRow{}} : fields) {
            const bool line = !f.afterParts.isEmpty();
            QStringList cells = keys;
            cells << f.label << (line ? QString() : f.before) << (line ? QString() : f.after) << f.changed;
            cells << (line ? f.beforeParts : QStringList(5)) << (line ? f.afterParts : QStringList(5));
            t.rows << cells;
        }
    });
    if (!r)
        t.rows.resize(1);
    return r;
}
