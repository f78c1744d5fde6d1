// Fuzzing entry points shared by the libFuzzer targets and the regression test that replays their findings.
#include "entries.h"

#include "platform/archiver.h"
#include "platform/lhaformat.h"
#include "storage/datafiles.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/settings.h"
#include "storage/supplier.h"
#include "storage/text.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A record image of `size` bytes from the input: cut, or padded with zero bytes.
QByteArray recordFrom(QByteArrayView input, int size)
{
    QByteArray r = input.first(std::min<qsizetype>(input.size(), size)).toByteArray();
    r.append(size - r.size(), '\0');
    return r;
}

// A number shown to the user must be a number.
QString shownNumberProblem(double value, const char* what)
{
    const QString shown = numText(value);
    for (QChar c : shown)
        if (!(c.isDigit() || c == u'-' || c == u'.'))
            return QStringLiteral("%1 shown as \"%2\"").arg(QString::fromLatin1(what), shown);
    return {};
}

QString settings(QByteArrayView input)
{
    if (!ReadSettingsText(input.toByteArray()))
        return {};
    double read[51];
    std::copy(SysNum, SysNum + 51, read);
    for (int i = 1; i <= 50; ++i)
        if (!std::isfinite(read[i]))
            return QStringLiteral("line %1 read as a number that is not finite").arg(i);
    // What we write we must read back, as the same numbers.
    const QByteArray written = SettingsFileBytes();
    if (Result r = ReadSettingsText(written); !r)
        return QStringLiteral("own settings file refused: ") + r.error;
    for (int i = 1; i <= 50; ++i)
        if (SysNum[i] != read[i])
            return QStringLiteral("line %1 changed from %2 to %3 on writing")
                .arg(i)
                .arg(read[i], 0, 'g', 17)
                .arg(SysNum[i], 0, 'g', 17);
    return {};
}

QString salesSlip(QByteArrayView input)
{
    const QByteArray image = recordFrom(input, SalesSlipRecordSize);
    SalesSlipRecord slip;
    DecodeSalesSlip(image.constData(), slip);
    const SlipView view(image.constData());
    volatile qint64 sink = qint64(view.year()) + view.month() + view.day() + view.hour() + view.deleted();
    (void)sink;
    for (int k = 1; k <= SalesSlipLineCount; ++k)
        if (QString p = shownNumberProblem(view.amount(k), "amount"); !p.isEmpty())
            return p;
    if (QString p = shownNumberProblem(view.total(), "total"); !p.isEmpty())
        return p;
    // The numbers survive a write back bit for bit; texts may be normalised.
    const QByteArray again = EncodeSalesSlip(slip);
    auto same = [&](int offset, int size) {
        return std::memcmp(image.constData() + offset, again.constData() + offset, size) == 0;
    };
    if (!same(60, 4) || !same(704, 26))
        return QStringLiteral("slip number or totals changed on writing");
    for (int k = 0; k < SalesSlipLineCount; ++k) {
        const int l = 64 + 64 * k;
        if (!same(l, 2) || !same(l + 52, 12))
            return QStringLiteral("line %1 numbers changed on writing").arg(k + 1);
    }
    return {};
}

QString product(QByteArrayView input)
{
    const QByteArray image = recordFrom(input, ProductRecordSize);
    ProductEntry entry;
    DecodeProduct(image.constData(), entry);
    if (QString p = shownNumberProblem(entry.SalePrice, "sale price"); !p.isEmpty())
        return p;
    if (QString p = shownNumberProblem(val(entry.CostPrice), "cost price"); !p.isEmpty())
        return p;
    return {};
}

QString purchaseItem(QByteArrayView input)
{
    const QByteArray image = recordFrom(input, PurchaseItemRecordSize);
    const PurchaseItem item = DecodePurchaseItem(image.constData());
    if (QString p = shownNumberProblem(item.StockQty, "stock"); !p.isEmpty())
        return p;
    return shownNumberProblem(item.StandardCost, "standard cost");
}

QString supplier(QByteArrayView input)
{
    const QByteArray image = recordFrom(input, SupplierRecordSize);
    const Supplier s = DecodeSupplier(image.constData());
    return shownNumberProblem(s.Reserved2, "reserved number");
}

QString purchaseSlip(QByteArrayView input)
{
    const QByteArray image = recordFrom(input, PurchaseSlipRecordSize);
    PurchaseSlipRecord slip;
    DecodePurchaseSlip(image.constData(), slip);
    if (std::memcmp(slip.Raw.data(), image.constData(), PurchaseSlipRecordSize) != 0)
        return QStringLiteral("record image not kept");
    for (int k = 1; k <= PurchaseSlipLineCount; ++k)
        if (QString p = shownNumberProblem(slip.Line[k].Amount, "amount"); !p.isEmpty())
            return p;
    return shownNumberProblem(slip.Total, "total");
}

QString lhaScan(QByteArrayView input)
{
    QByteArray bytes = input.toByteArray();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    std::vector<LhaRawEntry> entries;
    QString error;
    if (!scanLhaArchive(buffer, entries, error))
        return error.isEmpty() ? QStringLiteral("refused without a reason") : QString();
    qint64 end = 0;
    for (const LhaRawEntry& e : entries) {
        if (e.offset != end || e.length <= 0 || e.offset + e.length > bytes.size())
            return QStringLiteral("entry at %1 lies outside the archive").arg(e.offset);
        end = e.offset + e.length;
    }
    return {};
}

// A fresh, empty folder for one run, in memory where the system offers it.
QString workFolder()
{
    static QTemporaryDir base(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                  ? QStringLiteral("/dev/shm/till-fuzz-XXXXXX")
                                  : QDir::tempPath() + QStringLiteral("/till-fuzz-XXXXXX"));
    const QString path = base.path() + QStringLiteral("/run");
    QDir(path).removeRecursively();
    QDir().mkpath(path + QStringLiteral("/out"));
    return path;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int unlha(const QString& commandLine)
{
    char output[256] = {};
    return Unlha(nullptr, toCp932(commandLine).constData(), output, int(sizeof output));
}

// Nothing but the expected names in `folder`, and only plain files in its "out" folder.
QString strayFiles(const QString& folder, const QStringList& expected)
{
    const QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (names != expected)
        return QStringLiteral("files beside the archive: ") + names.join(u',');
    const QFileInfoList out = QDir(folder + QStringLiteral("/out"))
                                  .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& f : out)
        if (!f.isFile() || f.isSymLink())
            return QStringLiteral("extracted something other than a file: ") + f.fileName();
    return {};
}

QString lhaExtract(QByteArrayView input)
{
    const QString folder = workFolder();
    if (!writeFile(folder + QStringLiteral("/in.lzh"), input.toByteArray()))
        return {};
    unlha(QStringLiteral("e -c -m ") + folder + QStringLiteral("/in.lzh ") + folder + QStringLiteral("/out"));
    return strayFiles(folder, {QStringLiteral("in.lzh"), QStringLiteral("out")});
}

QString lhaAdd(QByteArrayView input)
{
    const QString folder = workFolder();
    const QString archive = folder + QStringLiteral("/reg.lzh");
    const QByteArray data = QByteArray("record ").repeated(300);
    if (!writeFile(archive, input.toByteArray()) || !writeFile(folder + QStringLiteral("/reg.dat"), data))
        return {};
    const bool extractable =
        unlha(QStringLiteral("e -c -m ") + archive + QStringLiteral(" ") + folder + QStringLiteral("/out")) == 0;
    QDir(folder + QStringLiteral("/out")).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/out"));
    const int added = unlha(QStringLiteral("a ") + archive + QStringLiteral(" ") + folder + QStringLiteral("/reg.dat"));
    if (added != 0) {
        if (readFile(archive) != input.toByteArray())
            return QStringLiteral("a refused add changed the archive");
        return strayFiles(folder, {QStringLiteral("out"), QStringLiteral("reg.dat"), QStringLiteral("reg.lzh")});
    }
    // What was added comes out again whole, as long as the rest of the archive did before.
    if (extractable) {
        QFile::remove(folder + QStringLiteral("/reg.dat"));
        if (unlha(QStringLiteral("e -c -m ") + archive + QStringLiteral(" ") + folder + QStringLiteral("/out")) != 0)
            return QStringLiteral("the archive no longer extracts after an add");
        if (readFile(folder + QStringLiteral("/out/reg.dat")) != data)
            return QStringLiteral("the added file does not come out as it went in");
        return strayFiles(folder, {QStringLiteral("out"), QStringLiteral("reg.lzh")});
    }
    return strayFiles(folder, {QStringLiteral("out"), QStringLiteral("reg.dat"), QStringLiteral("reg.lzh")});
}

// A journal with a right checksum around the input (or the input itself when it is a whole journal file),
// recovered in a folder of small data files. Whatever it asks, recovery writes only the data files, within
// their plausible end, leaves settings the next start reads and stock that is a number, and is done once.
QString journal(QByteArrayView input)
{
    const QString folder = workFolder();
    AppDir = folder;
    for (int i = 1; i <= 50; ++i) {
        SysNum[i] = 0;
        SysStr[i].clear();
    }
    SysNum[1] = 3;
    SysNum[2] = 6;
    SysNum[3] = 0;
    SysNum[4] = 2;
    SysNum[5] = 400;
    SysNum[6] = 400;
    SysNum[7] = 100;
    SysNum[11] = 0.1;
    if (!SaveSettings())
        return QStringLiteral("fixture settings not written");
    writeFile(dataPath(QStringLiteral("reg.dat")), QByteArray(5 * 1024, ' '));
    writeFile(dataPath(QStringLiteral("siire.dat")), QByteArray(1024, ' '));
    writeFile(dataPath(QStringLiteral("zaiko.dat")), QByteArray(400 * 128, '\0'));
    const QByteArray raw = input.toByteArray();
    writeFile(JournalPath(), raw.startsWith("TILLJRN") ? raw : FramedJournal(raw));
    const auto files = dataFiles();
    std::vector<qint64> end(files.size());
    for (size_t f = 0; f < files.size(); ++f)
        end[f] = files[f].recordSize * plausibleRecordEnd(files[f]);

    QString completed, dropped;
    const bool recovered = bool(RecoverJournal(&completed, &dropped));
    if (recovered && QFileInfo::exists(JournalPath()))
        return QStringLiteral("journal left after a recovery that succeeded");
    if (!completed.isEmpty() && !dropped.isEmpty())
        return QStringLiteral("journal both applied and dropped");
    QStringList allowed{QStringLiteral("till.journal"), QStringLiteral("out")};
    for (const DataFileInfo& f : files)
        allowed << QString::fromLatin1(f.name);
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (!allowed.contains(f.fileName()))
            return QStringLiteral("recovery created ") + f.fileName();
        for (size_t i = 0; i < files.size(); ++i)
            if (f.fileName() == QLatin1StringView(files[i].name) && files[i].recordSize > 0) {
                if (f.size() > end[i])
                    return QStringLiteral("%1 grew to %2 bytes").arg(f.fileName()).arg(f.size());
                if (f.size() % files[i].recordSize != 0)
                    return QStringLiteral("%1 holds a part record").arg(f.fileName());
            }
    }
    if (Result r = LoadSettings(); !r)
        return QStringLiteral("settings no longer load: ") + r.error;
    const QByteArray zaiko = readFile(dataPath(QStringLiteral("zaiko.dat")));
    for (qsizetype at = 44; at + 8 <= zaiko.size(); at += 128)
        if (!std::isfinite(getDouble(zaiko.constData() + at)))
            return QStringLiteral("stock not a number");
    // Done once: a second start finds nothing more.
    if (recovered) {
        QString again;
        if (!RecoverJournal(&again) || !again.isEmpty())
            return QStringLiteral("a second recovery did more");
    }
    return {};
}

const FuzzEntry Entries[] = {
    {"settings", &settings},         {"salesslip", &salesSlip},   {"product", &product},
    {"purchaseitem", &purchaseItem}, {"supplier", &supplier},     {"purchaseslip", &purchaseSlip},
    {"lhascan", &lhaScan},           {"lhaextract", &lhaExtract}, {"lhaadd", &lhaAdd},
    {"journal", &journal},
};

} // namespace

std::span<const FuzzEntry> fuzzEntries()
{
    return Entries;
}

const FuzzEntry* findFuzzEntry(const QString& name)
{
    for (const FuzzEntry& e : Entries)
        if (name == QLatin1StringView(e.name))
            return &e;
    return nullptr;
}
