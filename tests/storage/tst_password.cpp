// The data initialisation password: the hash against published PBKDF2 vectors, the default, a change kept
// in sys.ini and refused when it should be, and the wait after wrong tries.
#include "../common/testutil.h"

#include "storage/password.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QtTest>

class TestPassword : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pbkdf2_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QByteArray>("salt");
        QTest::addColumn<int>("iterations");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("hex");
        // clang-format off
        QTest::newRow("1") << QByteArray("password") << QByteArray("salt") << 1 << 32
            << QByteArray("120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b");
        QTest::newRow("2") << QByteArray("password") << QByteArray("salt") << 2 << 32
            << QByteArray("ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43");
        QTest::newRow("4096") << QByteArray("password") << QByteArray("salt") << 4096 << 32
            << QByteArray("c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
        QTest::newRow("two blocks") << QByteArray("passwordPASSWORDpassword")
            << QByteArray("saltSALTsaltSALTsaltSALTsaltSALTsalt") << 4096 << 40
            << QByteArray("348c89dbcbd32b2f32d814b8116e84cf2b17347ebc1800181c4e2a1fb8dd53e1c635518c7dac47e9");
        QTest::newRow("Japanese") << QStringLiteral("パスワード").toUtf8() << QByteArray::fromHex("000102030405060708090a0b0c0d0e0f")
            << 1000 << 32 << QByteArray("958e4a77f08fff298b6beb323df58c2741fa48fb0275fc4df98bc4d3632630eb");
        // clang-format on
    }
    void pbkdf2()
    {
        QFETCH(QByteArray, password);
        QFETCH(QByteArray, salt);
        QFETCH(int, iterations);
        QFETCH(int, length);
        QFETCH(QByteArray, hex);
        QCOMPARE(Pbkdf2Sha256(password, salt, iterations, length).toHex(), hex);
    }

    // Without a stored hash the default holds; a change is checked, stored as a salted hash in sys.ini and read
    // back from there; the old password and the default then fail.
    void changeAndCheck()
    {
        TestAppDir dir;
        QVERIFY(CheckResetPassword(DefaultResetPassword));
        QCOMPARE(CheckResetPassword(QStringLiteral("480214")).error, QStringLiteral("パスワードを入力してください。"));
        QVERIFY(!CheckResetPassword(QString()));

        QCOMPARE(ChangeResetPassword(QStringLiteral("000000"), QStringLiteral("pan-ya")).error,
                 QStringLiteral("今のパスワードが違います。"));
        for (const QString& tooShortOrLong : {QStringLiteral("abc"), QString(33, u'x')})
            QVERIFY(ChangeResetPassword(DefaultResetPassword, tooShortOrLong).error.contains(u"4～32"));
        QVERIFY(SysStr[Sys::ResetPasswordHash].isEmpty());

        QVERIFY(ChangeResetPassword(DefaultResetPassword, QStringLiteral("abcd"))); // four is enough
        QVERIFY(ChangeResetPassword(QStringLiteral("abcd"), QStringLiteral("パン屋1234")));
        const QString stored = SysStr[Sys::ResetPasswordHash];
        QVERIFY(stored.startsWith(QStringLiteral("pbkdf2-sha256$100000$")));
        QVERIFY(!dir.bytes(QStringLiteral("sys.ini")).contains("1234"));
        SysStr[Sys::ResetPasswordHash].clear();
        QVERIFY(LoadSettings());
        QCOMPARE(SysStr[Sys::ResetPasswordHash], stored);
        QVERIFY(CheckResetPassword(QStringLiteral("パン屋1234")));
        QVERIFY(!CheckResetPassword(DefaultResetPassword));
        QVERIFY(!CheckResetPassword(QStringLiteral("パン屋123")));

        // The same password hashed again has another salt.
        QVERIFY(HashResetPassword(QStringLiteral("パン屋1234")) != stored);
    }

    // A stored line that is not a hash of ours lets no password through, and says which line to mend.
    void unreadableHash_data()
    {
        QTest::addColumn<QString>("stored");
        const QString good = HashResetPassword(DefaultResetPassword);
        QStringList parts = good.split(u'$');
        QTest::newRow("other scheme") << QString(good).replace(QStringLiteral("sha256"), QStringLiteral("sha1"));
        QTest::newRow("no iterations") << QStringList{parts[0], QStringLiteral("x"), parts[2], parts[3]}.join(u'$');
        QTest::newRow("zero iterations") << QStringList{parts[0], QStringLiteral("0"), parts[2], parts[3]}.join(u'$');
        QTest::newRow("short hash") << QStringList{parts[0], parts[1], parts[2], QStringLiteral("AAAA")}.join(u'$');
        QTest::newRow("no salt") << QStringList{parts[0], parts[1], QString(), parts[3]}.join(u'$');
        QTest::newRow("extra part") << good + QStringLiteral("$x");
        QTest::newRow("the password itself") << DefaultResetPassword;
    }
    void unreadableHash()
    {
        QFETCH(QString, stored);
        TestAppDir dir;
        SysStr[Sys::ResetPasswordHash] = stored;
        const Result r = CheckResetPassword(DefaultResetPassword);
        QVERIFY(!r);
        QVERIFY2(r.error.contains(QStringLiteral("sys.ini の 60 行目")), qPrintable(r.error));
    }

    // A change that cannot be written leaves the old password in force, in memory as on disk.
    void changeNotWritten()
    {
        TestAppDir dir;
        {
            FullDisk full(0);
            QVERIFY(!ChangeResetPassword(DefaultResetPassword, QStringLiteral("newpass")));
        }
        QVERIFY(SysStr[Sys::ResetPasswordHash].isEmpty());
        QVERIFY(CheckResetPassword(DefaultResetPassword));
    }

    // Two wrong tries cost nothing; the third waits 30 s, each further one twice as long up to 15 minutes; a
    // right one starts over.
    void waitAfterWrongTries()
    {
        PasswordAttempts a;
        a.failed(1000);
        a.failed(2000);
        QCOMPARE(a.waitMs(2000), 0);
        a.failed(3000);
        QCOMPARE(a.waitMs(3000), 30000);
        QCOMPARE(a.waitMs(33000), 0);
        a.failed(33000);
        QCOMPARE(a.waitMs(33000), 60000);
        for (int i = 0; i < 10; ++i)
            a.failed(100000);
        QCOMPARE(a.waitMs(100000), 15 * 60 * 1000);
        a.succeeded();
        QCOMPARE(a.waitMs(100000), 0);
        a.failed(200000);
        a.failed(200000);
        QCOMPARE(a.waitMs(200000), 0);
    }

    // The program-wide count behind the window's box: the right password is refused unchecked while a wait
    // runs, and an unreadable stored hash is not counted as a guess.
    void triesWait()
    {
        TestAppDir dir;
        ResetPasswordAttempts().succeeded();
        for (int i = 0; i < 3; ++i)
            QVERIFY(!TryResetPassword(QStringLiteral("000000"), 1000));
        const Result waiting = TryResetPassword(DefaultResetPassword, 30999);
        QVERIFY(!waiting);
        QVERIFY2(waiting.error.contains(QStringLiteral("あと 1 秒")), qPrintable(waiting.error));
        QVERIFY(TryResetPassword(DefaultResetPassword, 31000));
        QVERIFY(!TryResetPassword(QStringLiteral("000000"), 31000)); // the right one started the count over
        QCOMPARE(ResetPasswordAttempts().waitMs(31000), 0);

        SysStr[Sys::ResetPasswordHash] = QStringLiteral("pbkdf2-sha256$x");
        for (int i = 0; i < 3; ++i)
            QVERIFY(!TryResetPassword(DefaultResetPassword, 40000));
        QCOMPARE(ResetPasswordAttempts().waitMs(40000), 0);
    }
};

QTEST_MAIN(TestPassword)
#include "tst_password.moc"
