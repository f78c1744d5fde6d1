// The LHA archiver checked against independent LHA tools (lhasa, bsdtar, jlha) and against damaged archives.
#include "platform/archiver.h"
#include "platform/lhaencoder.h"
#include "platform/lhaformat.h"
#include "storage/text.h"
#include "testutil.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

using namespace Qt::StringLiterals;

// Damage done to an archive's bytes.
using Damage = void (*)(QByteArray&);
Q_DECLARE_METATYPE(Damage)

namespace {

int unlha(const QString& command, QByteArray* output = nullptr)
{
    char buf[256];
    std::memset(buf, 'x', sizeof buf);
    const int rc = Unlha(nullptr, toCp932(command).constData(), buf, int(sizeof buf));
    if (output)
        *output = QByteArray(buf, int(qstrnlen(buf, sizeof buf)));
    return rc;
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
};

Run run(const QString& program, const QStringList& args, const QString& workDir = QString())
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.waitForFinished(300000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput()};
}

// Sales slips as the register writes them, for data that compresses as the real file does: 1024-byte records
// of blank-padded code page 932 texts, small numbers and zero-filled reserves.
QByteArray slipRecords(int count, int first = 1)
{
    static const char16_t* names[] = {u"おにぎり　鮭", u"緑茶　５００ｍｌ", u"コーヒー", u"食パン",
                                      u"牛乳",         u"髙島屋ギフト"};
    static const char16_t* weathers[] = {u"晴れ", u"雨", u"曇り", u"雪", u"台風", u""};
    QRandomGenerator rng(4711 + first);
    QByteArray all;
    all.reserve(qsizetype(count) * 1024);
    for (int n = first; n < first + count; ++n) {
        const int day = (n - 1) / 100;
        QList<SaleLine> lines;
        for (int k = 1 + int(rng.bounded(5)); k > 0; --k) {
            const int product = 1 + int(rng.bounded(400));
            lines << SaleLine(product, 1 + int(rng.bounded(3)), 100 + product * 10,
                              QString::fromUtf16(names[product % 6]));
        }
        const QString time = u"%1:%2:%3"_s.arg(9 + n % 100 / 10, 2, 10, QChar(u'0'))
                                 .arg(rng.bounded(60), 2, 10, QChar(u'0'))
                                 .arg(rng.bounded(60), 2, 10, QChar(u'0'));
        SalesSlipRecord s = saleSlip(n, QDate(2015, 1, 1).addDays(day).toString(u"yyyy/MM/dd"_s), lines, time);
        s.Weather = QString::fromUtf16(weathers[day % 6]);
        s.Tax = std::floor(s.Total * 8 / 108);
        s.Deleted = n % 97 == 0 ? 1 : 0;
        all += EncodeSalesSlip(s);
    }
    return all;
}

QByteArray randomBytes(int size)
{
    QByteArray b(size, '\0');
    QRandomGenerator rng(99);
    for (auto& c : b)
        c = char(rng.bounded(256));
    return b;
}

void put16(QByteArray& b, int at, uint32_t v)
{
    b[at] = char(v);
    b[at + 1] = char(v >> 8);
}

// One stored level-2 entry built by hand, for entries a careful writer would never make.
QByteArray craftedEntry(const QByteArray& name, const QByteArray& dir, const QByteArray& data,
                        const QByteArray& method = "-lh0-", int unixMode = 0)
{
    QByteArray exts;
    auto ext = [&](char type, const QByteArray& body) {
        QByteArray e(3 + body.size(), '\0');
        put16(e, 0, uint32_t(e.size()));
        e[2] = type;
        e.replace(3, body.size(), body);
        exts += e;
    };
    ext(0x00, QByteArray(2, '\0'));
    ext(0x01, name);
    if (!dir.isEmpty())
        ext(0x02, dir);
    if (unixMode) {
        QByteArray m(2, '\0');
        put16(m, 0, uint32_t(unixMode));
        ext(0x50, m);
    }
    // Each extension written size first: chained, that reads as type, data, size of the next.
    QByteArray h(24, '\0');
    h.replace(2, 5, method);
    const uint32_t size = uint32_t(data.size());
    for (int i = 0; i < 4; ++i) {
        h[7 + i] = char(size >> (8 * i));
        h[11 + i] = char(size >> (8 * i));
    }
    h[19] = 0x20;
    h[20] = 2;
    put16(h, 21, lhaCrc16(data.constData(), size_t(data.size())));
    h[23] = unixMode ? 'U' : 'M';
    h += exts;
    h += QByteArray(2, '\0');
    put16(h, 0, uint32_t(h.size()));
    put16(h, 27, lhaCrc16(h.constData(), size_t(h.size())));
    return h + data;
}

} // namespace

class TestArchiver : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString path(const QString& name) const { return m_tmp.path() + u'/' + name; }
    QString freshDir(const QString& name) const
    {
        QDir(path(name)).removeRecursively();
        QDir().mkpath(path(name));
        return path(name);
    }
    // The bytes of a new archive of `data` as reg.dat, as the archiver writes it.
    QByteArray archiveOf(const QByteArray& data) const
    {
        const QString dir = freshDir(u"archive"_s);
        if (!putFile(dir + u"/reg.dat", data) || unlha(u"a "_s + dir + u"/reg.lzh " + dir + u"/reg.dat") != 0)
            return {};
        return fileBytes(dir + u"/reg.lzh");
    }

private Q_SLOTS:
    void tillArchivesReadByOtherTools_data();
    void tillArchivesReadByOtherTools();
    void otherWritersArchivesExtract_data();
    void otherWritersArchivesExtract();
    void addReplacesOnlyItsEntry_data();
    void addReplacesOnlyItsEntry();
    void pathsWithBlanks_data();
    void pathsWithBlanks();
    void rejectedCommands_data();
    void rejectedCommands();
    void refusedArchives_data();
    void refusedArchives();
    void damagedArchiveIsNotExtended();
    void shortOldHeaderRefused_data();
    void shortOldHeaderRefused();
    void largeRecordFile();
};

void TestArchiver::tillArchivesReadByOtherTools_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("method");
    QTest::newRow("empty") << u"reg.dat"_s << QByteArray() << u"-lh0-"_s;
    QTest::newRow("one byte") << u"sys.ini"_s << QByteArray("7") << u"-lh0-"_s;
    QTest::newRow("random") << u"zaiko.dat"_s << randomBytes(300000) << u"-lh0-"_s;
    QTest::newRow("text") << u"sys.ini"_s << QByteArray("0.08\r\n1\r\n").repeated(400) << u"-lh5-"_s;
    QTest::newRow("zeros") << u"siire.dat"_s << QByteArray(3 << 20, '\0') << u"-lh5-"_s;
    QTest::newRow("records") << u"reg.dat"_s << slipRecords(6000) << u"-lh5-"_s;
    QTest::newRow("japanese name") << u"売上 データ.dat"_s << slipRecords(20) << u"-lh5-"_s;
    // 222 name bytes make a 256-byte header, whose first byte would read as the end of the archive unless padded.
    QTest::newRow("header of 256 bytes") << QString(218, u'n') + u".dat" << QByteArray("abc") << u"-lh0-"_s;
}

void TestArchiver::tillArchivesReadByOtherTools()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(QString, method);
    const QString src = freshDir(u"src"_s), arc = path(u"t.lzh"_s);
    QFile::remove(arc);
    QVERIFY(putFile(src + u'/' + name, data));
    QCOMPARE(unlha(u"a "_s + arc + u' ' + src + u'/' + name), 0);

    // lhasa checks the CRCs and writes the file under the stored code page 932 bytes as they are.
    QCOMPARE(run(u"lhasa"_s, {u"tq"_s, arc}).exitCode, 0);
    const Run list = run(u"lhasa"_s, {u"v"_s, arc});
    QVERIFY2(list.out.contains(method.toLatin1()), list.out.constData());
    const QString raw = freshDir(u"raw"_s);
    QCOMPARE(run(u"lhasa"_s, {u"xqw=" + raw, arc}).exitCode, 0);
    const QByteArray rawPath = QFile::encodeName(raw + u'/') + toCp932(name);
    QFile rawFile;
    std::FILE* fp = std::fopen(rawPath.constData(), "rb");
    QVERIFY(fp);
    QVERIFY(rawFile.open(fp, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    QVERIFY(rawFile.readAll() == data);
    rawFile.close();
    std::remove(rawPath.constData()); // a name that is not UTF-8 would stop the temporary directory's clean-up

    // bsdtar decodes the name from code page 932 when told the archive's charset.
    const QStringList cp932{u"--options"_s, u"lha:hdrcharset=CP932"_s};
    QCOMPARE(run(u"bsdtar"_s, cp932 + QStringList{u"-tf"_s, arc}).out, (name + u'\n').toUtf8());
    const Run bsdtar = run(u"bsdtar"_s, cp932 + QStringList{u"-xOf"_s, arc});
    QCOMPARE(bsdtar.exitCode, 0);
    QVERIFY(bsdtar.out == data);

    // And back through our own extraction.
    const QString out = freshDir(u"out"_s);
    QCOMPARE(unlha(u"e -c -m "_s + arc + u' ' + out + u'/'), 0);
    QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{name});
    QVERIFY(fileBytes(out + u'/' + name) == data);
}

void TestArchiver::otherWritersArchivesExtract_data()
{
    QTest::addColumn<QString>("level");
    QTest::addColumn<QByteArray>("data");
    for (const char* level : {"0", "1", "2"}) {
        QTest::addRow("level %s records", level) << QString::fromLatin1(level) << slipRecords(3000);
        QTest::addRow("level %s random", level) << QString::fromLatin1(level) << randomBytes(70000);
        QTest::addRow("level %s empty", level) << QString::fromLatin1(level) << QByteArray();
    }
}

void TestArchiver::otherWritersArchivesExtract()
{
    QFETCH(QString, level);
    QFETCH(QByteArray, data);
    const QString src = freshDir(u"src"_s), arc = path(u"j.lzh"_s);
    QFile::remove(arc);
    QVERIFY(putFile(src + u"/reg.dat", data));
    QCOMPARE(run(u"jlha"_s, {u"a"_s + level, arc, u"reg.dat"_s}, src).exitCode, 0);
    const QString out = freshDir(u"out"_s);
    QVERIFY(putFile(out + u"/reg.dat", "old contents"));
    QByteArray message;
    QCOMPARE(unlha(u"e -c -m "_s + arc + u' ' + out, &message), 0);
    QVERIFY2(fileBytes(out + u"/reg.dat") == data, message.constData());
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{u"reg.dat"_s});
}

void TestArchiver::addReplacesOnlyItsEntry_data()
{
    QTest::addColumn<QString>("writer"); // who made the two-entry archive
    QTest::newRow("till") << u"till"_s;
    QTest::newRow("jlha level 0") << u"a0"_s;
    QTest::newRow("jlha level 1") << u"a1"_s;
    QTest::newRow("jlha level 2") << u"a2"_s;
}

void TestArchiver::addReplacesOnlyItsEntry()
{
    QFETCH(QString, writer);
    const QString src = freshDir(u"src"_s), arc = path(u"two.lzh"_s);
    QFile::remove(arc);
    const QByteArray first = slipRecords(40), second = QByteArray("settings\r\n").repeated(50);
    QVERIFY(putFile(src + u"/reg.dat", first));
    QVERIFY(putFile(src + u"/sys.ini", second));
    if (writer == u"till") {
        QCOMPARE(unlha(u"a "_s + arc + u' ' + src + u"/reg.dat"), 0);
        QCOMPARE(unlha(u"a "_s + arc + u' ' + src + u"/sys.ini"), 0);
    } else {
        QCOMPARE(run(u"jlha"_s, {writer, arc, u"reg.dat"_s, u"sys.ini"_s}, src).exitCode, 0);
    }

    const QByteArray changed = slipRecords(55);
    QVERIFY(putFile(src + u"/reg.dat", changed));
    QCOMPARE(unlha(u"a "_s + arc + u' ' + src + u"/reg.dat"), 0);

    QCOMPARE(run(u"lhasa"_s, {u"tq"_s, arc}).exitCode, 0);
    const QString out = freshDir(u"out"_s);
    QCOMPARE(run(u"lhasa"_s, {u"xqw=" + out, arc}).exitCode, 0);
    QCOMPARE(QDir(out).entryList(QDir::Files), (QStringList{u"reg.dat"_s, u"sys.ini"_s}));
    QVERIFY(fileBytes(out + u"/reg.dat") == changed);
    QVERIFY(fileBytes(out + u"/sys.ini") == second);
    // The replaced entry keeps its place in front of the other.
    const QByteArray listing = run(u"bsdtar"_s, {u"-tf"_s, arc}).out;
    QCOMPARE(listing, QByteArray("reg.dat\nsys.ini\n"));
}

void TestArchiver::pathsWithBlanks_data()
{
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("dirEnd");
    QTest::addColumn<QString>("name"); // of the data file
    QTest::addColumn<bool>("cLocale"); // run in the plain C locale
    // clang-format off
    QTest::newRow("slashes") << u"/"_s << u".lzh"_s << u"/"_s << u"reg.dat"_s << false;
    QTest::newRow("backslashes") << u"\\"_s << u".lzh"_s << u"\\"_s << u"reg.dat"_s << false;
    QTest::newRow("upper case, no trailing separator") << u"/"_s << u".LZH"_s << u""_s << u"reg.dat"_s << false;
    QTest::newRow("japanese name in the C locale") << u"/"_s << u".lzh"_s << u"/"_s << u"仕入れ.dat"_s << true;
    // clang-format on
}

// Japanese folder names with blanks, through RunArchiver, which hands Unlha the command line in code page 932.
void TestArchiver::pathsWithBlanks()
{
    QFETCH(QString, separator);
    QFETCH(QString, extension);
    QFETCH(QString, dirEnd);
    QFETCH(QString, name);
    QFETCH(bool, cLocale);
    const QString app = freshDir(u"my shop/レジ 店"_s), drive = freshDir(u"usb ドライブ"_s);
    const QByteArray data = slipRecords(30);
    QVERIFY(putFile(app + u'/' + name, data));
    auto native = [&](QString p) { return p.replace(u'/', separator); };
    const QString archive = native(drive + u"/back up" + extension);

    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (cLocale)
        std::setlocale(LC_ALL, "C");
    const bool added = RunArchiver(nullptr, u"a "_s + archive + u' ' + native(app + u'/' + name));
    const bool changed = putFile(app + u'/' + name, "changed since");
    const bool extracted = RunArchiver(nullptr, u"e -c -m "_s + archive + u' ' + native(app) + dirEnd);
    const bool missing = RunArchiver(nullptr, u"e -c -m "_s + native(drive + u"/missing.lzh ") + native(app) + dirEnd);
    std::setlocale(LC_ALL, saved.c_str());
    QVERIFY(added && changed && extracted && !missing);
    QVERIFY(QFile::exists(drive + u"/back up" + extension));
    QVERIFY(fileBytes(app + u'/' + name) == data);
}

void TestArchiver::rejectedCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("empty") << u""_s;
    QTest::newRow("unknown verb") << u"x {d}/a.lzh {d}/reg.dat"_s;
    QTest::newRow("list") << u"l {d}/a.lzh"_s;
    QTest::newRow("no file") << u"a {d}/a.lzh"_s;
    QTest::newRow("no blank after .lzh") << u"a {d}/a.lzh{d}/reg.dat"_s;
    QTest::newRow("other extension") << u"a {d}/a.zip {d}/reg.dat"_s;
    QTest::newRow("extract without options") << u"e {d}/a.lzh {d}/"_s;
    QTest::newRow("extract with one option") << u"e -c {d}/a.lzh {d}/"_s;
    QTest::newRow("add with an option") << u"a -r {d}/a.lzh {d}/reg.dat"_s;
    QTest::newRow("missing file") << u"a {d}/a.lzh {d}/nothing.dat"_s;
    QTest::newRow("directory as file") << u"a {d}/a.lzh {d}"_s;
    QTest::newRow("missing archive") << u"e -c -m {d}/none.lzh {d}/"_s;
    QTest::newRow("missing directory") << u"e -c -m {d}/a.lzh {d}/nowhere/"_s;
}

void TestArchiver::rejectedCommands()
{
    QFETCH(QString, command);
    const QString dir = freshDir(u"cmd"_s);
    QVERIFY(putFile(dir + u"/reg.dat", "data"));
    QVERIFY(RunArchiver(nullptr, u"a "_s + dir + u"/a.lzh " + dir + u"/reg.dat"));
    const QByteArray before = fileBytes(dir + u"/a.lzh");
    QByteArray message;
    QVERIFY(unlha(command.replace(u"{d}"_s, dir), &message) != 0);
    QVERIFY(!message.isEmpty());
    QVERIFY(fileBytes(dir + u"/a.lzh") == before);

    // The message is cut to the buffer and always terminated.
    char small[6];
    std::memset(small, 'x', sizeof small);
    QVERIFY(Unlha(nullptr, toCp932(command).constData(), small, int(sizeof small)) != 0);
    QVERIFY(qstrnlen(small, sizeof small) < sizeof small);
    QCOMPARE(QByteArray(small), message.left(5));
    QVERIFY(Unlha(nullptr, toCp932(command).constData(), nullptr, 0) != 0);
}

void TestArchiver::refusedArchives_data()
{
    QTest::addColumn<QByteArray>("archive");
    const QByteArray data("new contents");
    const QByteArray good = craftedEntry("reg.dat", {}, data);
    QTest::newRow("directory part") << craftedEntry("reg.dat", "sub\xFF", data) + '\0';
    QTest::newRow("parent directory") << craftedEntry("reg.dat", "..\xFF", data) + '\0';
    QTest::newRow("dot dot name") << craftedEntry("..", {}, data) + '\0';
    // clang-format off
    QTest::newRow("absolute path") << craftedEntry("reg.dat", "\xFF" "tmp\xFF", data) + '\0';
    // clang-format on
    QTest::newRow("backslash in name") << craftedEntry("..\\reg.dat", {}, data) + '\0';
    QTest::newRow("directory entry") << craftedEntry({}, "reg.dat\xFF", {}, "-lhd-") + '\0';
    QTest::newRow("symbolic link") << craftedEntry("reg.dat|/etc/passwd", {}, {}, "-lhd-", 0120777) + '\0';
    QTest::newRow("device") << craftedEntry("reg.dat", {}, {}, "-lh0-", 0020644) + '\0';
    QTest::newRow("good entry then bad one") << good + craftedEntry("sys.ini", "..\xFF", data) + '\0';
    QTest::newRow("no entries") << QByteArray(1, '\0');

    // Archives the archiver wrote, damaged afterwards.
    const QByteArray compressed = archiveOf(slipRecords(200)), stored = archiveOf(randomBytes(200000));
    QVERIFY(compressed.contains("-lh5-") && stored.contains("-lh0-"));
    const auto damaged = [](QByteArray a, Damage damage) {
        damage(a);
        return a;
    };
    const Damage flip = [](QByteArray& a) { a[a.size() / 2] = char(a[a.size() / 2] ^ 0x10); };
    const Damage cut = [](QByteArray& a) { a.truncate(a.size() * 2 / 3); };
    QTest::newRow("compressed data byte") << damaged(compressed, flip);
    QTest::newRow("stored data byte") << damaged(stored, flip);
    QTest::newRow("cut in compressed data") << damaged(compressed, cut);
    QTest::newRow("cut in stored data") << damaged(stored, cut);
    QTest::newRow("cut in header") << compressed.first(20);
    // Inside the stored name, caught by the header CRC.
    QTest::newRow("header byte") << damaged(compressed, [](QByteArray& a) { a[33] = char(a[33] ^ 0x01); });
}

void TestArchiver::refusedArchives()
{
    QFETCH(QByteArray, archive);
    const QString base = freshDir(u"refuse"_s);
    const QString app = freshDir(u"refuse/app"_s);
    QVERIFY(putFile(app + u"/reg.dat", "old contents"));
    QVERIFY(putFile(base + u"/r.lzh", archive));
    QByteArray message;
    QVERIFY(unlha(u"e -c -m "_s + base + u"/r.lzh " + app + u'/', &message) != 0);
    QCOMPARE(fileBytes(app + u"/reg.dat"), QByteArray("old contents"));
    QCOMPARE(QDir(app).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{u"reg.dat"_s});
    QCOMPARE(QDir(base).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{u"app"_s, u"r.lzh"_s}));
}

void TestArchiver::damagedArchiveIsNotExtended()
{
    const QString dir = freshDir(u"extend"_s);
    QVERIFY(putFile(dir + u"/reg.dat", slipRecords(100)));
    QVERIFY(putFile(dir + u"/sys.ini", "settings"));
    QCOMPARE(unlha(u"a "_s + dir + u"/both.lzh " + dir + u"/reg.dat"), 0);
    QCOMPARE(unlha(u"a "_s + dir + u"/both.lzh " + dir + u"/sys.ini"), 0);
    const QByteArray good = fileBytes(dir + u"/both.lzh");
    // Cut short, and a byte of the first entry's data changed, which would be copied over as it is.
    for (Damage damage : {Damage([](QByteArray& a) { a.chop(10); }), Damage([](QByteArray& a) { a[60] ^= 0x40; })}) {
        QByteArray arc = good;
        damage(arc);
        QVERIFY(putFile(dir + u"/both.lzh", arc));
        QVERIFY(unlha(u"a "_s + dir + u"/both.lzh " + dir + u"/sys.ini") != 0);
        QVERIFY(fileBytes(dir + u"/both.lzh") == arc);
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{u"both.lzh"_s, u"reg.dat"_s, u"sys.ini"_s}));
    }
}

void TestArchiver::shortOldHeaderRefused_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("size");
    for (int level : {0, 1})
        for (int size : {0 + 1, 10, 19})
            QTest::addRow("level %d, size byte %d", level, size) << level << size;
}

// A level-0 or level-1 header names its own size in its first byte; one too short for the fixed fields
// (which run to byte 21) is damaged, whatever follows it.
void TestArchiver::shortOldHeaderRefused()
{
    QFETCH(int, level);
    QFETCH(int, size);
    QByteArray h(22, '\0');
    h[0] = char(size);
    h.replace(2, 5, "-lh0-");
    h[20] = char(level);
    h[21] = 4; // a name length, beyond the header's own end
    uint8_t sum = 0;
    for (int i = 2; i < size + 2; ++i)
        sum = uint8_t(sum + uchar(h[i]));
    h[1] = char(sum);

    QBuffer buffer(&h);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    std::vector<LhaRawEntry> entries;
    QString error;
    QVERIFY(!scanLhaArchive(buffer, entries, error));
    QVERIFY2(error.startsWith(u"damaged header"_s), qPrintable(error));

    // Restore and backup into such an archive both refuse it and leave every file as it was.
    const QString dir = freshDir(u"short"_s);
    QVERIFY(putFile(dir + u"/reg.lzh", h));
    QVERIFY(putFile(dir + u"/reg.dat", "data"));
    const QString app = freshDir(u"short/app"_s);
    QVERIFY(unlha(u"e -c -m "_s + dir + u"/reg.lzh " + app) != 0);
    QVERIFY(unlha(u"a "_s + dir + u"/reg.lzh " + dir + u"/reg.dat") != 0);
    QCOMPARE(fileBytes(dir + u"/reg.lzh"), h);
    QVERIFY(QDir(app).isEmpty());
}

// Ten years of slips.
void TestArchiver::largeRecordFile()
{
    const int records = 365000;
    const QString dir = freshDir(u"large"_s);
    {
        QFile f(dir + u"/reg.dat");
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (int done = 0; done < records; done += 5000) {
            const QByteArray chunk = slipRecords(std::min(5000, records - done), done + 1);
            QCOMPARE(f.write(chunk), chunk.size());
        }
    }
    QCOMPARE(unlha(u"a "_s + dir + u"/reg.lzh " + dir + u"/reg.dat"), 0);
    QVERIFY(QFileInfo(dir + u"/reg.lzh").size() < qint64(records) * 1024 / 8);
    const QString out = freshDir(u"large/out"_s);
    QCOMPARE(run(u"lhasa"_s, {u"xqw=" + out, dir + u"/reg.lzh"}).exitCode, 0);
    auto digest = [](const QString& p) {
        QFile f(p);
        QCryptographicHash h(QCryptographicHash::Sha256);
        return f.open(QIODevice::ReadOnly) && h.addData(&f) ? h.result() : QByteArray();
    };
    const QByteArray original = digest(dir + u"/reg.dat");
    QVERIFY(!original.isEmpty());
    QCOMPARE(digest(out + u"/reg.dat"), original);
    QFile::remove(out + u"/reg.dat");
    QCOMPARE(unlha(u"e -c -m "_s + dir + u"/reg.lzh " + out), 0);
    QCOMPARE(digest(out + u"/reg.dat"), original);
    QDir(dir).removeRecursively();
}

QTEST_MAIN(TestArchiver)
#include "tst_archiver.moc"
