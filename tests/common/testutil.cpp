// Shared test fixtures.
#include "testutil.h"

#include <csignal>

#include "offsets.h"
#include "storage/durablefile.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/slipscan.h"
#include "storage/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <tuple>

void setDefaultSettings()
{
    for (int i = 0; i <= 50; ++i) {
        SysNum[i] = 0;
        SysStr[i].clear();
    }
    SysNum[2] = 1;
    SysNum[4] = 1;
    SysNum[5] = 400;
    SysNum[6] = 400;
    SysNum[7] = 100;
    SysNum[11] = 0.1;
    SysNum[16] = 1;
    SysStr[1] = QStringLiteral("食料品");
    SysStr[2] = QStringLiteral("日用品");
    SysStr[3] = QStringLiteral("飲料");
    SysStr[4] = QStringLiteral("その他");
}

TestAppDir::TestAppDir()
{
    AppDir = m_dir.path();
    setDefaultSettings();
    for (int n = 0; n <= MaxProductEntries; ++n)
        ClearProduct(n);
    SaveSettings();
}

QByteArray TestAppDir::bytes(const QString& name) const
{
    return fileBytes(file(name));
}

QList<QByteArray> TestAppDir::snapshot(const QStringList& names) const
{
    QList<QByteArray> all;
    for (const QString& name : names)
        all << bytes(name);
    return all;
}

void TestAppDir::writeBytes(const QString& name, const QByteArray& bytes) const
{
    putFile(file(name), bytes);
}

void TestAppDir::writeStock(const QList<QPair<int, double>>& stock) const
{
    QByteArray zaiko(400 * Off::Item::Size, ' ');
    for (int i = 1; i <= 400; ++i)
        std::memset(zaiko.data() + (i - 1) * Off::Item::Size + Off::Item::StandardCost, 0, 18);
    for (const auto& [item, qty] : stock)
        putDouble(zaiko.data() + (item - 1) * Off::Item::Size + Off::Item::StockQty, qty);
    writeBytes(QStringLiteral("zaiko.dat"), zaiko);
}

double TestAppDir::stockOf(int item) const
{
    const QByteArray zaiko = bytes(QStringLiteral("zaiko.dat"));
    const qsizetype at = (item - 1) * Off::Item::Size + Off::Item::StockQty;
    return zaiko.size() >= at + 8 ? getDouble(zaiko.constData() + at) : 0;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool putFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

SalesSlipRecord saleSlip(qint64 n, const QString& date, const QList<SaleLine>& lines, const QString& time)
{
    SalesSlipRecord slip;
    slip.Date = date;
    slip.Time = time;
    slip.SlipNo = int32_t(n);
    for (int k = 1; k <= lines.size() && k <= SalesSlipLineCount; ++k) {
        const SaleLine& l = lines[k - 1];
        const QString name = l.name.isNull() && l.product >= 0 && l.product <= MaxProductEntries
                                 ? ProductTable[l.product].ProductName
                                 : l.name;
        slip.Line[k] = {int16_t(l.product), name, int16_t(l.price), int16_t(l.qty), l.price * l.qty};
        slip.Total += l.price * l.qty;
    }
    slip.Subtotal = slip.Total;
    return slip;
}

bool storeSalesSlip(qint64 n, const SalesSlipRecord& slip)
{
    return bool(WriteSalesSlip(n, slip));
}

bool storeSale(qint64 n, const QString& date, double total, const QString& time, bool deleted)
{
    SalesSlipRecord slip = saleSlip(n, date, {}, time);
    slip.Subtotal = slip.Total = total;
    slip.Deleted = deleted ? 1 : 0;
    return storeSalesSlip(n, slip);
}

bool storePurchase(qint64 n, const QString& date, double total, bool deleted)
{
    PurchaseSlipRecord slip;
    slip.Date = date;
    slip.SlipNo = int32_t(n);
    slip.Total = total;
    slip.Deleted = deleted ? 1 : 0;
    return bool(WritePurchaseSlip(n, slip));
}

QStringList pdfPages(const QString& path, bool layout)
{
    QProcess p;
    QStringList args;
    if (layout)
        args << QStringLiteral("-layout");
    p.start(QStringLiteral("pdftotext"), args << path << QStringLiteral("-"));
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {QStringLiteral("<pdftotext failed: %1>").arg(QString::fromUtf8(p.readAllStandardError()))};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (pages.size() > 1 && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QStringList barcodesInPdf(const QString& pdf)
{
    QTemporaryDir work;
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"),
                                              QStringLiteral("-png"), pdf, work.filePath(QStringLiteral("page"))});
    if (!render.waitForFinished(120000) || render.exitCode() != 0)
        return {QStringLiteral("<pdftoppm failed>")};
    QStringList images;
    for (const QString& name : QDir(work.path()).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name))
        images << work.filePath(name);
    QProcess read;
    read.start(QStringLiteral("zbarimg"), QStringList{QStringLiteral("--raw"), QStringLiteral("-q")} + images);
    if (!read.waitForFinished(120000))
        return {QStringLiteral("<zbarimg failed>")};
    QStringList codes;
    for (const QByteArray& line : read.readAllStandardOutput().split('\n')) {
        QString code = QString::fromLatin1(line.trimmed());
        if (code.isEmpty())
            continue;
        if (code.size() == 12) // the reader names an EAN-13 that starts with 0 by its UPC-A
            code.prepend(u'0');
        codes << code;
    }
    codes.sort();
    return codes;
}

bool runCrashChild(const QStringList& args)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--crash")} + args);
    if (!child.waitForFinished(60000))
        qFatal("crash child hangs");
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() != 0)
        qFatal("crash child failed with %d: %s", child.exitCode(), child.readAllStandardError().constData());
    return child.exitStatus() == QProcess::CrashExit;
}

namespace {
int g_killAt = 0;
int g_steps = 0;
} // namespace

void killAtJournalStep(int step)
{
    g_killAt = step;
    g_steps = 0;
    SetJournalHook([](JournalStep) {
        if (++g_steps == g_killAt)
            std::raise(SIGKILL);
    });
}

FullDisk::FullDisk(qint64 room) : m_room(room)
{
    DurableSteps& steps = durableSteps();
    steps.write = [this](QFileDevice& file, const QByteArray& bytes, QString& error) {
        const qint64 fits = std::min<qint64>(m_room, bytes.size());
        m_room -= fits;
        if (!systemDurableSteps().write(file, bytes.left(fits), error))
            return false;
        if (fits == bytes.size())
            return true;
        error = reason();
        return false;
    };
    steps.sync = [this](QFileDevice& file, QString& error) {
        if (m_room > 0)
            return systemDurableSteps().sync(file, error);
        error = reason();
        return false;
    };
}

FullDisk::~FullDisk()
{
    durableSteps() = systemDurableSteps();
}

QString FullDisk::reason()
{
    return QString::fromLocal8Bit(std::strerror(ENOSPC));
}

QString slipIndexDisagreement(SlipFile file, qint64 last)
{
    // The plain answer: every record's date as the readers see it.
    struct Found
    {
        qint64 n;
        QByteArray key;
    };
    QList<Found> all;
    const int size = file == SlipFile::Sales ? SalesSlipRecordSize : PurchaseSlipRecordSize;
    if (Result r = ScanRecords(SlipFileName(file), size, 1, last,
                               [&](qint64 n, const char* record) {
                                   all.append({n, EncodeSlipKey(SlipKeyOf(file, record))});
                                   return true;
                               });
        !r)
        return r.error;
    // Every month and every day the slips carry, and a month and a day no slip has.
    using Period = std::tuple<int, int, std::optional<int>>;
    QMap<Period, QList<qint64>> periods{{{1999, 12, std::nullopt}, {}}, {{1999, 12, 31}, {}}};
    for (const Found& f : all) {
        const SlipKey k = DecodeSlipKey(f.key.constData());
        periods[{k.year, k.month, std::nullopt}].append(f.n);
        periods[{k.year, k.month, k.day}].append(f.n);
    }
    for (auto it = periods.cbegin(); it != periods.cend(); ++it) {
        const auto& [y, m, d] = it.key();
        QList<qint64> got;
        if (Result r = ScanSlipMonth(file, y, m, d, last,
                                     [&](qint64 n, const char*) {
                                         got.append(n);
                                         return true;
                                     });
            !r)
            return r.error;
        if (got != it.value())
            return QStringLiteral("%1/%2%3: %4 slips through the index, %5 in the file")
                .arg(y)
                .arg(m)
                .arg(d ? QStringLiteral("/%1").arg(*d) : QString())
                .arg(got.size())
                .arg(it.value().size());
    }
    qsizetype at = 0;
    QString keys;
    if (Result r = ScanSlipKeys(file, last,
                                [&](qint64 n, const SlipKey& k) {
                                    if (at >= all.size() || all[at].n != n || all[at].key != EncodeSlipKey(k))
                                        keys = QStringLiteral("the key of record %1 differs").arg(n);
                                    ++at;
                                    return keys.isEmpty();
                                });
        !r)
        return r.error;
    if (keys.isEmpty() && at != all.size())
        keys = QStringLiteral("%1 keys for %2 records").arg(at).arg(all.size());
    return keys;
}
