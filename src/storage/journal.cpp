// The redo journal: written and flushed before the first data write, applied, removed; replayed at start.
#include "storage/journal.h"

#include "storage/datafiles.h"
#include "storage/durablefile.h"
#include "storage/instancelock.h"
#include "storage/purchaseitem.h"
#include "storage/recordfile.h"
#include "storage/seisan.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/text.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace {

JournalHook g_hook = nullptr;

// Version 2 adds the replaced files; a journal of version 1 left by an earlier build is read as well.
constexpr char Magic[] = "TILLJRN2";
constexpr char MagicVersion1[] = "TILLJRN1";
constexpr int MagicSize = 8;
constexpr int HashSize = 32; // SHA-256
constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_0;

void reached(JournalStep step)
{
    if (g_hook)
        g_hook(step);
}

// The last slip of slip file `file` the next slip number must stay above: the last the transaction writes and,
// when the number is lowered, the last the file holds. Only a reset lowers it, and it replaces the file in the same
// transaction: what the new file holds is the reset's to decide (it keeps records beyond those it blanks). -1 when
// the file cannot be read.
qint64 lastSlipAfter(const Transaction& t, const DataFileInfo& file, bool lowered)
{
    const QString name = QString::fromLatin1(file.name);
    qint64 last = 0;
    for (const JournalRecord& r : t.records)
        if (r.fileName == name && SlipNumberOf(r.bytes) != 0)
            last = std::max(last, r.recordNo);
    for (const JournalReplace& r : t.replacements)
        if (r.fileName == name)
            return last;
    if (!lowered)
        return last;
    const qint64 stored = LastStoredSlip(dataPath(name), file.recordSize);
    return stored < 0 ? stored : std::max(last, stored);
}

// Settings no window stores: a tax rate outside 0 to under 1 (the settings window), a change fund that is no whole
// yen of up to eight digits (the closing window), and a next slip number lowered onto a slip still stored, which
// the next save would overwrite (only a reset lowers it, together with the file it empties).
Result settingValueCheck(const Transaction& t, const JournalSetting& s)
{
    const QString line =
        QStringLiteral("設定の %1 行目の値 %2 は範囲外です（%3）。").arg(s.index).arg(numText(s.value));
    if ((s.index == Sys::TaxRate || s.index == Sys::ReducedTaxRate) && !(s.value >= 0 && s.value < 1))
        return Result::failure(line.arg(QStringLiteral("税率は 0 以上 1 未満")));
    if (s.index == Sys::ChangeFund && !(s.value >= 0 && s.value <= HighestCashAmount && s.value == std::floor(s.value)))
        return Result::failure(line.arg(QStringLiteral("釣銭準備金は 0～99,999,999 円の整数")));
    for (const DataFileInfo& f : dataFiles()) {
        if (f.nextSetting != s.index)
            continue;
        const qint64 last = lastSlipAfter(t, f, s.value < SysNum[s.index]);
        if (last < 0)
            return Result::failure(QStringLiteral("%1 を読めません。").arg(QString::fromLatin1(f.name)));
        if (s.value <= double(last))
            return Result::failure(line.arg(
                QStringLiteral("%1 には伝票 %2 まで保存されています").arg(QString::fromLatin1(f.name)).arg(last)));
    }
    return Result::success();
}

// Records no window stores: stock or a standard cost that is no number, a closing or cash in or out the closing
// and cash windows refuse, or a record of seisan.dat past the one appended next (the gap would read as damage).
Result recordValueCheck(const JournalRecord& r)
{
    if (r.fileName == u"zaiko.dat") {
        const PurchaseItem item = DecodePurchaseItem(r.bytes.constData());
        if (!std::isfinite(item.StockQty))
            return Result::failure(
                QStringLiteral("仕入商品 %1 の在庫数量が数値でなくなるため、保存できません。").arg(r.recordNo));
        if (!std::isfinite(item.StandardCost))
            return Result::failure(
                QStringLiteral("仕入商品 %1 の標準仕入単価が数値でなくなるため、保存できません。").arg(r.recordNo));
    }
    if (r.fileName == SeisanFileName) {
        if (r.recordNo > SeisanRecordCount() + 1)
            return Result::failure(
                QStringLiteral("%1 のレコード番号 %2 は範囲外です。").arg(r.fileName).arg(r.recordNo));
        SeisanRecord record;
        if (!DecodeSeisan(r.bytes.constData(), record))
            return Result::failure(QStringLiteral("%1 のレコード %2 は精算・入出金の記録ではありません。")
                                       .arg(r.fileName)
                                       .arg(r.recordNo));
        if (const QString problem = SeisanRecordProblem(record); !problem.isEmpty())
            return Result::failure(
                QStringLiteral("%1 のレコード %2 は範囲外です（%3）。").arg(r.fileName).arg(r.recordNo).arg(problem));
    }
    return Result::success();
}

// Exactly what a commit can produce: whole records of a data file up to its plausible end, holding values the
// windows take, settings the loader accepts at the next start and the windows would store, finite stock of items
// 1 to 400. A journal asking for anything else is refused before its first write, so no journal can create other
// files, fill the disk, leave sys.ini unreadable or set figures no window would.
Result check(const Transaction& t)
{
    for (const JournalRecord& r : t.records) {
        const DataFileInfo* file = findDataFile(r.fileName);
        if (!file || file->recordSize <= 0)
            return Result::failure(QStringLiteral("「%1」はレコードのデータファイルではありません。").arg(r.fileName));
        if (r.bytes.size() != file->recordSize || r.blank.size() != file->recordSize)
            return Result::failure(QStringLiteral("%1 のレコード %2 の長さ %3 バイトは %4 バイトと違います。")
                                       .arg(r.fileName)
                                       .arg(r.recordNo)
                                       .arg(r.bytes.size())
                                       .arg(file->recordSize));
        if (r.recordNo < 1 || r.recordNo > plausibleRecordEnd(*file))
            return Result::failure(
                QStringLiteral("%1 のレコード番号 %2 は範囲外です。").arg(r.fileName).arg(r.recordNo));
        if (Result values = recordValueCheck(r); !values)
            return values;
    }
    for (const JournalReplace& r : t.replacements) {
        const DataFileInfo* file = findDataFile(r.fileName);
        if (!file || file->recordSize <= 0)
            return Result::failure(QStringLiteral("「%1」はレコードのデータファイルではありません。").arg(r.fileName));
    }
    for (const JournalSetting& s : t.settings) {
        if (s.index < 1 || s.index > 50)
            return Result::failure(QStringLiteral("設定の番号 %1 は範囲外です。").arg(s.index));
        if (const QString problem = SettingProblem(s.index, s.value); !problem.isEmpty())
            return Result::failure(problem);
        if (Result values = settingValueCheck(t, s); !values)
            return values;
    }
    for (const JournalStock& s : t.stock) {
        if (s.item < 1 || s.item > PurchaseItemCount)
            return Result::failure(QStringLiteral("仕入商品番号 %1 は範囲外です。").arg(s.item));
        if (!std::isfinite(s.stockQty))
            return Result::failure(
                QStringLiteral("仕入商品 %1 の在庫数量が数値でなくなるため、保存できません。").arg(s.item));
    }
    return Result::success();
}

QByteArray payloadOf(const Transaction& t)
{
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out.setVersion(StreamVersion);
        out << t.description << qint32(t.records.size());
        for (const JournalRecord& r : t.records)
            out << r.fileName << r.recordNo << r.bytes << r.blank;
        out << qint32(t.settings.size());
        for (const JournalSetting& s : t.settings)
            out << qint32(s.index) << s.value;
        out << qint32(t.stock.size());
        for (const JournalStock& s : t.stock)
            out << qint32(s.item) << s.stockQty;
        out << qint32(t.replacements.size());
        for (const JournalReplace& r : t.replacements)
            out << r.fileName;
    }
    return payload;
}

} // namespace

QByteArray FramedJournal(const QByteArray& payload)
{
    QByteArray bytes(Magic, MagicSize);
    QByteArray size(4, '\0');
    putInt32(size.data(), int32_t(payload.size()));
    bytes += size + payload + QCryptographicHash::hash(payload, QCryptographicHash::Sha256);
    return bytes;
}

QByteArray JournalBytes(const Transaction& t)
{
    return FramedJournal(payloadOf(t));
}

namespace {

// False for a torn or foreign file: a journal whose writing did not finish was never acted upon.
bool deserialise(const QByteArray& bytes, Transaction& t)
{
    const bool version1 = bytes.startsWith(QByteArrayView(MagicVersion1, MagicSize));
    if (bytes.size() < MagicSize + 4 + HashSize || !(version1 || bytes.startsWith(QByteArrayView(Magic, MagicSize))))
        return false;
    const qint64 size = getInt32(bytes.constData() + MagicSize);
    if (size < 0 || MagicSize + 4 + size + HashSize != bytes.size())
        return false;
    const QByteArray payload = bytes.mid(MagicSize + 4, size);
    if (QCryptographicHash::hash(payload, QCryptographicHash::Sha256) != bytes.right(HashSize))
        return false;
    QDataStream in(payload);
    in.setVersion(StreamVersion);
    qint32 count = 0;
    in >> t.description >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        JournalRecord r;
        in >> r.fileName >> r.recordNo >> r.bytes >> r.blank;
        t.records << r;
    }
    in >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        qint32 index = 0;
        JournalSetting s;
        in >> index >> s.value;
        s.index = index;
        t.settings << s;
    }
    in >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        qint32 item = 0;
        JournalStock s;
        in >> item >> s.stockQty;
        s.item = item;
        t.stock << s;
    }
    if (!version1) {
        in >> count;
        for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
            JournalReplace r;
            in >> r.fileName;
            t.replacements << r;
        }
    }
    return in.status() == QDataStream::Ok && in.atEnd();
}

void syncDirectory()
{
    const int dir = ::open(QFile::encodeName(AppDir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

Result removeJournal()
{
    QFile journal(JournalPath());
    if (journal.exists() && !journal.remove())
        return Result::failure(QStringLiteral("till.journal を削除できません（%1）。").arg(journal.errorString()));
    syncDirectory();
    return Result::success();
}

Result apply(const Transaction& t)
{
    for (const JournalReplace& r : t.replacements) {
        const QString path = dataPath(r.fileName);
        // A replaced slip file is indexed anew by its next reader.
        DropSlipIndex(r.fileName);
        if (QFileInfo::exists(replacementPath(path))) {
            QString error;
            if (!durableSteps().rename(replacementPath(path), path, error))
                return Result::failure(QStringLiteral("%1 を置き換えられません（%2）。").arg(r.fileName, error));
            syncDirectory();
        }
        reached(JournalStep::FileReplaced);
    }
    // Records of one file that follow each other (an index's header and months) are flushed to disk together.
    for (qsizetype i = 0; i < t.records.size();) {
        const JournalRecord& first = t.records[i];
        RecordFile file(dataPath(first.fileName), int(first.bytes.size()), first.blank.constData());
        if (Result o = file.open(); !o)
            return o;
        do {
            const JournalRecord& r = t.records[i];
            if (!file.write(r.recordNo, r.bytes.constData()))
                return Result::failure(file.errorMessage());
            reached(JournalStep::RecordWritten);
            ++i;
        } while (i < t.records.size() && t.records[i].fileName == first.fileName &&
                 t.records[i].bytes.size() == first.bytes.size());
        if (Result c = file.close(); !c)
            return c;
    }
    if (!t.settings.isEmpty()) {
        for (const JournalSetting& s : t.settings)
            SysNum[s.index] = s.value;
        if (Result r = SaveSettings(); !r)
            return r;
        reached(JournalStep::SettingsWritten);
    }
    if (!t.stock.isEmpty()) {
        RecordFile file = PurchaseItemFile();
        if (Result o = file.open(); !o)
            return o;
        char record[PurchaseItemRecordSize];
        for (const JournalStock& s : t.stock) {
            if (!file.read(s.item, record))
                return Result::failure(file.errorMessage());
            putDouble(record + StockQtyOffset, s.stockQty);
            if (!file.write(s.item, record))
                return Result::failure(file.errorMessage());
            // Each item reaches the disk before the next, so a test can stop between any two.
            if (Result c = file.close(); !c)
                return c;
            reached(JournalStep::StockWritten);
            if (Result o = file.open(); !o)
                return o;
        }
        if (Result c = file.close(); !c)
            return c;
    }
    return Result::success();
}

// Every file the transaction writes can be opened for writing: a directory or a file without permission in
// the place of a data file stops it before the first write, not half way.
Result filesUsable(const Transaction& t)
{
    for (const JournalReplace& r : t.replacements) {
        const QFileInfo target(dataPath(r.fileName));
        if (target.isDir())
            return Result::failure(
                QStringLiteral("%1 はフォルダーのため置き換えられません。").arg(target.fileName()));
    }
    for (const JournalRecord& r : t.records) {
        RecordFile file(dataPath(r.fileName), int(r.bytes.size()), r.blank.constData());
        if (Result o = file.open(); !o)
            return o;
    }
    if (!t.stock.isEmpty()) {
        // A missing stock file would be created with blank items and only the changed stock figures.
        if (!QFileInfo::exists(dataPath(QStringLiteral("zaiko.dat"))))
            return Result::failure(MissingStockFileMessage());
        RecordFile file = PurchaseItemFile();
        if (Result o = file.open(); !o)
            return o;
    }
    return Result::success();
}

QString unfinishedMessage(const QString& reason)
{
    return QStringLiteral("保存を最後まで書き込めませんでした。次の保存か次回の起動のときに完了します。\n%1")
        .arg(reason);
}

} // namespace

QString JournalPath()
{
    return dataPath(QStringLiteral("till.journal"));
}

void SetJournalHook(JournalHook hook)
{
    g_hook = hook;
}

CommitOutcome CommitTransaction(const Transaction& t)
{
    CommitOutcome outcome;
    // Another copy may be writing the same files since till.lock was deleted: nothing is written.
    if (Result r = CheckInstanceLock(); !r) {
        outcome.error = r.error;
        return outcome;
    }
    // The transaction holds final figures read from the files; read while an earlier save was still pending,
    // they would undo that save. Callers complete it first; one found now is completed and this save refused,
    // so that it is built again on the completed files.
    if (QFileInfo::exists(JournalPath())) {
        const Result r = CompletePendingSave(QStringLiteral("保存"));
        outcome.error = r ? QStringLiteral("前回中断した保存を先に完了しました。この保存は行っていません。もう一度保存して"
                                           "ください。")
                          : r.error;
        return outcome;
    }
    if (Result r = check(t); !r) {
        outcome.error = r.error;
        return outcome;
    }
    // The month index of the slip files changes with them; an index that cannot follow is dropped rather than
    // stand in the way of the save.
    Transaction indexed = t;
    AddSlipIndexRecords(indexed);
    if (indexed.records.size() != t.records.size() && (!check(indexed) || !filesUsable(indexed))) {
        for (const JournalRecord& r : t.records)
            DropSlipIndex(r.fileName);
        indexed = t;
    }
    // Files that cannot be opened refuse the operation now rather than after it was journalled.
    if (Result r = filesUsable(indexed); !r) {
        outcome.error = r.error;
        return outcome;
    }
    if (Result r = replaceFile(JournalPath(), JournalBytes(indexed)); !r) {
        outcome.error = r.error;
        return outcome;
    }
    outcome.committed = true;
    reached(JournalStep::JournalWritten);
    if (Result r = apply(indexed); !r) {
        outcome.error = unfinishedMessage(r.error);
        return outcome;
    }
    StampSlipIndex(indexed);
    if (Result r = removeJournal(); !r) {
        outcome.error = unfinishedMessage(r.error);
        return outcome;
    }
    reached(JournalStep::JournalRemoved);
    return outcome;
}

Result CompletePendingSave(const QString& operation)
{
    if (!QFileInfo::exists(JournalPath()))
        return Result::success();
    if (Result r = CheckInstanceLock(); !r)
        return r;
    if (Result r = RecoverJournal(nullptr); !r)
        return Result::failure(
            QStringLiteral("前回中断した保存を完了できないため、%1を中止しました。\n%2").arg(operation, r.error));
    return Result::success();
}

Result RecoverJournal(QString* completed, QString* dropped)
{
    if (completed)
        completed->clear();
    if (dropped)
        dropped->clear();
    QFile file(JournalPath());
    if (!file.exists())
        return Result::success();
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("till.journal を読めません（%1）。").arg(file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();
    Transaction t;
    // Torn while it was written: nothing of it reached the data files, and there is nothing to tell.
    if (!deserialise(bytes, t))
        return removeJournal();
    if (Result r = check(t); !r) {
        if (dropped)
            *dropped = QStringLiteral("till.journal は保存で作られる内容ではないため、適用せずに削除しました。\n%1")
                           .arg(r.error);
        return removeJournal();
    }
    if (Result r = filesUsable(t); !r)
        return Result::failure(QStringLiteral("前回中断した%1を完了できません。\n%2").arg(t.description, r.error));
    if (Result r = apply(t); !r)
        return Result::failure(QStringLiteral("前回中断した%1を完了できません。\n%2").arg(t.description, r.error));
    if (Result r = removeJournal(); !r)
        return r;
    reached(JournalStep::JournalRemoved);
    if (completed)
        *completed = t.description;
    return Result::success();
}

void RemoveLeftovers()
{
    if (QFileInfo::exists(JournalPath()))
        return;
    QFile::remove(replacementPath(JournalPath()));
    for (const DataFileInfo& f : dataFiles())
        QFile::remove(replacementPath(dataPath(QString::fromLatin1(f.name))));
    // An archive of a reset or a backup stopped before it was renamed into place (its writer's temporary file).
    const QDir backup(dataPath(QStringLiteral("backup")));
    for (const QString& name : backup.entryList({QStringLiteral("*.lzh.??????")}, QDir::Files | QDir::Hidden))
        QFile::remove(backup.filePath(name));
}
