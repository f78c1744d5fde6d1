// Key tables typed into a real box: which keys run their action and which still reach the box.
#include "widgets/keytable.h"

#include <QLineEdit>
#include <QtTest>

class TestKeyTable : public QObject
{
    Q_OBJECT

private:
    QStringList m_ran;
    KeyTable table()
    {
        return {{Qt::Key_Return, [this] { m_ran << "enter"; }},
                {Qt::Key_S, Qt::ControlModifier, [this] { m_ran << "save"; }},
                {Qt::Key_F1, [this] { m_ran << "f1"; }},
                {Qt::Key_Escape, [this] { m_ran << "first"; }},
                {Qt::Key_Escape, [this] { m_ran << "second"; }}};
    }

private Q_SLOTS:
    void init() { m_ran.clear(); }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("ran");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("Return") << int(Qt::Key_Return) << 0 << "enter" << "";
        QTest::newRow("keypad Enter is Return") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "enter" << "";
        QTest::newRow("Ctrl+S bound") << int(Qt::Key_S) << int(Qt::ControlModifier) << "save" << "";
        QTest::newRow("plain s types") << int(Qt::Key_S) << 0 << "" << "s";
        QTest::newRow("F1 with Shift still F1") << int(Qt::Key_F1) << int(Qt::ShiftModifier) << "f1" << "";
        QTest::newRow("first row wins") << int(Qt::Key_Escape) << 0 << "first" << "";
        QTest::newRow("unbound key types") << int(Qt::Key_A) << 0 << "" << "a";
        // clang-format on
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, ran);
        QFETCH(QString, text);
        QLineEdit box;
        installKeys(&box, table());
        QTest::keyClick(&box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_ran.join(','), ran);
        QCOMPARE(box.text(), text);
    }

    void installingAgainReplacesTheTable()
    {
        QLineEdit box;
        installKeys(&box, table());
        installKeys(&box, {{Qt::Key_F2, [this] { m_ran << "f2"; }}});
        QTest::keyClick(&box, Qt::Key_F1);
        QTest::keyClick(&box, Qt::Key_F2);
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(m_ran, QStringList{"f2"});
        QCOMPARE(box.findChildren<KeyDispatcher*>().size(), 1);
    }

    // A window's own key handler reads the same table.
    void dispatchFromKeyPressEvent()
    {
        const KeyTable t = table() + KeyTable{{Qt::Key_F9, [this] { m_ran << "f9"; }}};
        const QKeyEvent f9(QEvent::KeyPress, Qt::Key_F9, Qt::NoModifier);
        const QKeyEvent f8(QEvent::KeyPress, Qt::Key_F8, Qt::NoModifier);
        QVERIFY(dispatchKey(t, &f9));
        QVERIFY(!dispatchKey(t, &f8));
        QCOMPARE(m_ran, QStringList{"f9"});
    }
};

QTEST_MAIN(TestKeyTable)
#include "tst_keytable.moc"
