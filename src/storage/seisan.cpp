// seisan.dat records: closings and cash in and out, appended and marked through the journal.
#include "storage/seisan.h"

#include "storage/settings.h"
#include "storage/text.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>

namespace {

constexpr char RecordMark[4] = {'S', 'E', 'I', '1'};

QByteArray blankRecord()
{
    return QByteArray(SeisanRecordSize, '\0');
}

} // namespace

double CashCount::total() const
{
    double sum = 0;
    for (int i = 0; i < DenominationCount; ++i)
        sum += double(counts[i]) * Denominations[i];
    return sum;
}

double ClosingFigures::sales() const
{
    double sum = 0;
    for (double v : byMethod)
        sum += v;
    return sum;
}

double ClosingFigures::expectedCash() const
{
    return changeFund + byMethod[0] + cashIn - cashOut;
}

QString CashAmountProblem(double amount)
{
    if (!(amount >= 1 && amount <= HighestCashAmount && amount == std::floor(amount)))
        return QStringLiteral("金額は 1～99,999,999 円の整数で入力してください。");
    return {};
}

QString SeisanRecordProblem(const SeisanRecord& s)
{
    if (s.kind != SeisanKind::Closing)
        return CashAmountProblem(s.amount);
    const double fund = s.figures.changeFund;
    if (!(fund >= 0 && fund <= HighestCashAmount && fund == std::floor(fund)))
        return QStringLiteral("釣銭準備金は 0～99,999,999 円の整数で入力してください。");
    for (int32_t c : s.count.counts)
        if (c < 0 || c > HighestCount)
            return QStringLiteral("枚数は 0～99,999 で入力してください。");
    return {};
}

QByteArray EncodeSeisan(const SeisanRecord& s)
{
    using namespace SeisanOffset;
    const ClosingFigures& f = s.figures;
    const double doubles[] = {s.amount,        f.gross,         f.returns,     f.deletedAmount,  f.byMethod[0],
                              f.byMethod[1],   f.byMethod[2],   f.byMethod[3], f.standard.total, f.standard.tax,
                              f.standard.rate, f.reduced.total, f.reduced.tax, f.reduced.rate,   f.cashIn,
                              f.cashOut,       f.changeFund,    s.expected,    s.counted,        s.difference};
    for (double v : doubles)
        if (!std::isfinite(v))
            return {};
    QByteArray r = blankRecord();
    char* p = r.data();
    std::memcpy(p + Mark, RecordMark, 4);
    putInt16(p + Kind, int16_t(s.kind));
    putInt16(p + Deleted, s.deleted);
    putText(p + Day, s.day, DayWidth);
    putText(p + Date, s.date, DateWidth);
    putText(p + Time, s.time, TimeWidth);
    putDouble(p + Amount, s.amount);
    putText(p + Reason, s.reason, ReasonWidth);
    putInt32(p + SlipCount, f.slipCount);
    putDouble(p + Gross, f.gross);
    putDouble(p + Returns, f.returns);
    putInt32(p + DeletedCount, f.deletedCount);
    putDouble(p + DeletedAmount, f.deletedAmount);
    for (int i = 0; i < 4; ++i)
        putDouble(p + ByMethod + 8 * i, f.byMethod[i]);
    putDouble(p + StandardTotal, f.standard.total);
    putDouble(p + StandardTax, f.standard.tax);
    putDouble(p + StandardRate, f.standard.rate);
    putDouble(p + ReducedTotal, f.reduced.total);
    putDouble(p + ReducedTax, f.reduced.tax);
    putDouble(p + ReducedRate, f.reduced.rate);
    putDouble(p + CashIn, f.cashIn);
    putDouble(p + CashOut, f.cashOut);
    putDouble(p + ChangeFund, f.changeFund);
    putDouble(p + Expected, s.expected);
    putDouble(p + Counted, s.counted);
    putDouble(p + Difference, s.difference);
    for (int i = 0; i < DenominationCount; ++i)
        putInt32(p + Counts + 4 * i, s.count.counts[i]);
    putInt32(p + FirstSlip, f.firstSlip);
    putInt32(p + LastSlip, f.lastSlip);
    return r;
}

bool DecodeSeisan(const char* p, SeisanRecord& s)
{
    using namespace SeisanOffset;
    if (std::memcmp(p + Mark, RecordMark, 4) != 0)
        return false;
    const int16_t kind = getInt16(p + Kind);
    if (kind < int16_t(SeisanKind::Closing) || kind > int16_t(SeisanKind::CashOut))
        return false;
    s.kind = SeisanKind(kind);
    s.deleted = getInt16(p + Deleted);
    s.day = getText(p + Day, DayWidth).trimmed();
    s.date = getText(p + Date, DateWidth).trimmed();
    s.time = getText(p + Time, TimeWidth).trimmed();
    s.amount = getDouble(p + Amount);
    s.reason = getText(p + Reason, ReasonWidth).trimmed();
    ClosingFigures& f = s.figures;
    f.slipCount = getInt32(p + SlipCount);
    f.gross = getDouble(p + Gross);
    f.returns = getDouble(p + Returns);
    f.deletedCount = getInt32(p + DeletedCount);
    f.deletedAmount = getDouble(p + DeletedAmount);
    for (int i = 0; i < 4; ++i)
        f.byMethod[i] = getDouble(p + ByMethod + 8 * i);
    f.standard = {getDouble(p + StandardTotal), getDouble(p + StandardTax), getDouble(p + StandardRate)};
    f.reduced = {getDouble(p + ReducedTotal), getDouble(p + ReducedTax), getDouble(p + ReducedRate)};
    f.cashIn = getDouble(p + CashIn);
    f.cashOut = getDouble(p + CashOut);
    f.changeFund = getDouble(p + ChangeFund);
    s.expected = getDouble(p + Expected);
    s.counted = getDouble(p + Counted);
    s.difference = getDouble(p + Difference);
    for (int i = 0; i < DenominationCount; ++i)
        s.count.counts[i] = getInt32(p + Counts + 4 * i);
    f.firstSlip = getInt32(p + FirstSlip);
    f.lastSlip = getInt32(p + LastSlip);
    return true;
}

qint64 SeisanRecordCount()
{
    const qint64 size = QFileInfo(dataPath(SeisanFileName)).size();
    return (size + SeisanRecordSize - 1) / SeisanRecordSize;
}

Result ReadSeisan(QList<SeisanRecord>& records)
{
    records.clear();
    QFile file(dataPath(SeisanFileName));
    if (!file.exists())
        return Result::success();
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("%1 を開けません。\n%2").arg(SeisanFileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result::failure(QStringLiteral("%1 を読めません。\n%2").arg(SeisanFileName, file.errorString()));
    const QString damaged = QStringLiteral("%1 が壊れています（%2）。ファイルはそのまま残してあります。"
                                           "バックアップから復元してください。");
    if (bytes.size() % SeisanRecordSize != 0)
        return Result::failure(damaged.arg(
            SeisanFileName,
            QStringLiteral("大きさ %1 バイトが %2 バイトの倍数でない").arg(bytes.size()).arg(SeisanRecordSize)));
    const qint64 count = bytes.size() / SeisanRecordSize;
    records.reserve(count);
    qint64 closings = 0;
    for (qint64 n = 1; n <= count; ++n) {
        SeisanRecord r;
        if (!DecodeSeisan(bytes.constData() + (n - 1) * SeisanRecordSize, r)) {
            records.clear();
            return Result::failure(damaged.arg(SeisanFileName, QStringLiteral("レコード %1 が読めない").arg(n)));
        }
        r.recordNo = n;
        // Cash in and out share the file; the number printed on a closing counts closings only.
        if (r.kind == SeisanKind::Closing)
            r.closingNo = ++closings;
        records.append(r);
    }
    return Result::success();
}

namespace {

Result commitSeisan(const QString& what, qint64 n, const QByteArray& bytes, const QList<JournalSetting>& settings)
{
    if (bytes.isEmpty())
        return Result::failure(QStringLiteral("数値でない金額があるため、保存できません。"));
    Transaction t;
    t.description = what;
    t.records.append({SeisanFileName, n, bytes, blankRecord()});
    t.settings = settings;
    const CommitOutcome outcome = CommitTransaction(t);
    if (!outcome.committed)
        return Result::failure(outcome.error);
    // Committed: it takes effect, now or at the next start; a message that comes with it is only told.
    return Result{true, outcome.error};
}

} // namespace

Result AppendSeisan(const SeisanRecord& record, const QList<JournalSetting>& settings, qint64* recordNo)
{
    // A save left for later could also hold a record of this file; it goes first, so the next number is free.
    if (Result done = CompletePendingSave(QStringLiteral("記録")); !done)
        return done;
    QList<SeisanRecord> existing;
    if (Result read = ReadSeisan(existing); !read)
        return read;
    if (const QString problem = SeisanRecordProblem(record); !problem.isEmpty())
        return Result::failure(problem);
    const qint64 n = existing.size() + 1;
    const QString what = record.kind == SeisanKind::Closing  ? QStringLiteral("%1 の精算").arg(record.day)
                         : record.kind == SeisanKind::CashIn ? QStringLiteral("%1 の入金").arg(record.day)
                                                             : QStringLiteral("%1 の出金").arg(record.day);
    const Result r = commitSeisan(what, n, EncodeSeisan(record), settings);
    if (recordNo)
        *recordNo = r ? n : 0;
    return r;
}

Result DeleteSeisan(qint64 n)
{
    if (Result done = CompletePendingSave(QStringLiteral("削除")); !done)
        return done;
    QList<SeisanRecord> existing;
    if (Result read = ReadSeisan(existing); !read)
        return read;
    if (n < 1 || n > existing.size())
        return Result::failure(QStringLiteral("記録 %1 はありません。").arg(n));
    SeisanRecord r = existing[n - 1];
    if (r.kind == SeisanKind::Closing)
        return Result::failure(QStringLiteral("精算の記録は削除できません。"));
    if (r.deleted != 0)
        return Result::failure(QStringLiteral("この記録はすでに削除されています。"));
    r.deleted = 1;
    return commitSeisan(QStringLiteral("記録 %1 の削除").arg(n), n, EncodeSeisan(r), {});
}
