// Every window the register opens lies wholly on a 1024×768 screen, centred on the register, and comes to the
// front where it is when opened again.
#include "app/windows.h"
#include "platform/messagebox.h"
#include "platform/placement.h"
#include "register/registerwindow.h"
#include "testutil.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using Opener = QWidget* (*)();
Q_DECLARE_METATYPE(Opener)

class TestWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void keptInside_data();
    void keptInside();
    void opensOnTheScreen_data();
    void opensOnTheScreen();
    void registerOpensOnTheScreen();
};

void TestWindows::initTestCase()
{
    MessageBox::enableTestMode();
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1024, 768));
}

void TestWindows::keptInside_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("placed");
    const QRect report(0, 0, 1012, 760);
    QTest::newRow("inside stays") << QRect(10, 20, 300, 200) << QRect(10, 20, 300, 200);
    QTest::newRow("off the right") << QRect(900, 20, 300, 200) << QRect(724, 20, 300, 200);
    QTest::newRow("off the bottom") << QRect(10, 700, 300, 200) << QRect(10, 568, 300, 200);
    QTest::newRow("off the top left") << QRect(-40, -5, 300, 200) << QRect(0, 0, 300, 200);
    // A picker put beside a window that already reaches the right edge.
    QTest::newRow("picker beside a wide window") << QRect(1016, 100, 400, 500) << QRect(624, 100, 400, 500);
    QTest::newRow("report window centred low") << report.translated(6, 30) << report.translated(6, 8);
    // Larger than the screen: the title bar and the top left controls stay on it.
    QTest::newRow("larger than the screen") << QRect(50, 50, 1100, 800) << QRect(0, 0, 1100, 800);
}

void TestWindows::keptInside()
{
    QFETCH(QRect, frame);
    QFETCH(QRect, placed);
    QCOMPARE(::keptInside(frame, QRect(0, 0, 1024, 768)), placed);
}

void TestWindows::opensOnTheScreen_data()
{
    QTest::addColumn<Opener>("open");
    QTest::newRow("商品設定") << Opener(&Windows::productSettings);
    QTest::newRow("グラフ") << Opener(&Windows::graphs);
    QTest::newRow("仕入処理") << Opener(&Windows::purchasing);
    QTest::newRow("仕入商品設定") << Opener(&Windows::purchaseItems);
    QTest::newRow("仕入先登録") << Opener(&Windows::suppliers);
    QTest::newRow("日報・月報") << Opener(&Windows::reports);
    QTest::newRow("データ管理") << Opener(&Windows::dataManagement);
    QTest::newRow("システム設定") << Opener(&Windows::systemSettings);
    QTest::newRow("データ初期化") << Opener(&Windows::dataInitialisation);
}

void TestWindows::opensOnTheScreen()
{
    QFETCH(Opener, open);
    TestAppDir dir;
    RegisterWindow* form = showRegisterWindow();
    QApplication::setActiveWindow(form);
    QVERIFY(QTest::qWaitForWindowActive(form));
    const QRect available = form->screen()->availableGeometry();

    QPointer<QWidget> window = open();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QRect frame = window->frameGeometry();
    QVERIFY2(
        available.contains(frame),
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
    // Centred on the register as far as the screen allows.
    const QRect centred = centredOn(frame.size(), form->frameGeometry());
    const QPoint off = frame.topLeft() - ::keptInside(centred, available).topLeft();
    QVERIFY2(off.manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(off.x()).arg(off.y())));

    // Moved by the shopkeeper, hidden behind the register and opened again: it stays where it is.
    window->move(window->pos() + QPoint(-3, -2));
    const QPoint moved = window->pos();
    QApplication::setActiveWindow(form);
    QVERIFY(QTest::qWaitForWindowActive(form));
    QCOMPARE(open(), window.data());
    QCOMPARE(window->pos(), moved);
    QVERIFY(QTest::qWaitForWindowActive(window));
    // Minimised, it comes back as it was.
    window->showMinimized();
    QTRY_VERIFY(window->isMinimized());
    QCOMPARE(open(), window.data());
    QTRY_VERIFY(!window->isMinimized());
    QCOMPARE(window->pos(), moved);

    window->close();
    delete window;
    delete form;
}

void TestWindows::registerOpensOnTheScreen()
{
    TestAppDir dir;
    RegisterWindow* form = showRegisterWindow();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QVERIFY(form->screen()->availableGeometry().contains(form->frameGeometry()));
    delete form;
}

// The screen of a register laid out for 1024×768, with window frames, before the application starts.
int main(int argc, char** argv)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"windowFrameMargins": true, "screens": [{"name": "register", "x": 0, "y": 0, "width": 1024,
                       "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return 1;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    QApplication app(argc, argv);
    TestWindows test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windows.moc"
