// The progress dialog of a month index rebuild: shown only once the rebuild has taken longer than its delay, and
// gone when the rebuild is done.
#include "platform/indexprogress.h"
#include "storage/slipindex.h"
#include "testutil.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

QProgressDialog* shownDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->objectName() == u"IndexProgress" && d->isVisible())
            return d;
    return nullptr;
}

} // namespace

class TestIndexProgress : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shownOnlyWhenSlow_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("shown");
        QTest::addRow("slower than the delay") << 0 << true;
        QTest::addRow("faster than the delay") << 60000 << false;
    }

    void shownOnlyWhenSlow()
    {
        QFETCH(int, delayMs);
        QFETCH(bool, shown);
        TestAppDir dir;
        // 40000 slips: the rebuild reports its progress several times on the way.
        QByteArray slips;
        for (int n = 1; n <= 40000; ++n) {
            QByteArray record(1024, ' ');
            record.replace(0, 10, QStringLiteral("2025/%1/01").arg(1 + n % 12, 2, 10, QLatin1Char('0')).toLatin1());
            slips += record;
        }
        dir.writeBytes(QStringLiteral("reg.dat"), slips);
        showSlipIndexProgress(delayMs);
        // Looked at from inside the rebuild, while it lets the dialog paint.
        int seen = 0, value = -1;
        QString label, title;
        bool modal = false, cancel = true;
        QTimer probe;
        probe.setInterval(0);
        connect(&probe, &QTimer::timeout, this, [&] {
            if (QProgressDialog* d = shownDialog()) {
                ++seen;
                value = d->value();
                label = d->labelText();
                title = d->windowTitle();
                modal = d->windowModality() == Qt::ApplicationModal;
                // Nothing to press: a rebuild cannot be stopped half way.
                cancel = !d->findChildren<QPushButton*>().isEmpty();
            }
        });
        probe.start();
        QVERIFY(RebuildSlipIndex(SlipFile::Sales).ok);
        probe.stop();
        QCOMPARE(seen > 0, shown);
        if (shown) {
            QVERIFY2(value > 0 && value < 1000, qPrintable(QString::number(value)));
            QVERIFY(label.startsWith(QStringLiteral("伝票の索引を作り直しています")));
            QCOMPARE(title, QStringLiteral("till"));
            QVERIFY(modal);
            QVERIFY(!cancel);
        }
        QVERIFY(!shownDialog()); // gone once the index is built
        QCOMPARE(CheckSlipIndex(SlipFile::Sales), SlipIndexState::Usable);
        SetSlipIndexProgress({});
    }
};

QTEST_MAIN(TestIndexProgress)
#include "tst_indexprogress.moc"
