// Every seed and every input that once broke a fuzz target, replayed through the same entry points.
#include "entries.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestFuzzCases : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replay_data();
    void replay();
};

void TestFuzzCases::replay_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("file");
    const QString root = qEnvironmentVariable("TILL_SOURCE_DIR") + QStringLiteral("/fuzz");
    int regressions = 0;
    for (const FuzzEntry& entry : fuzzEntries()) {
        const QString target = QString::fromLatin1(entry.name);
        for (const char* kindName : {"regressions", "corpus"}) {
            const QString kind = QString::fromLatin1(kindName);
            const QDir dir(root + u'/' + kind + u'/' + target);
            for (const QString& name : dir.entryList(QDir::Files)) {
                QTest::addRow("%s/%s/%s", qPrintable(kind), qPrintable(target), qPrintable(name))
                    << target << dir.filePath(name);
                regressions += kind == u"regressions";
            }
        }
    }
    QVERIFY2(regressions > 0, qPrintable(root));
}

void TestFuzzCases::replay()
{
    QFETCH(QString, target);
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray input = f.readAll();
    const FuzzEntry* entry = findFuzzEntry(target);
    QVERIFY(entry);
    const QString problem = entry->run(input);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_GUILESS_MAIN(TestFuzzCases)
#include "tst_fuzzcases.moc"
