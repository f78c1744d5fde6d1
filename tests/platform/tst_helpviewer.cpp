// The help viewer against the help file the build compiles: topics, links, images, contents, bad files.
#include "platform/helpviewer.h"
#include "platform/messagebox.h"
#include "testutil.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>
#include <memory>

class TestHelpViewer : public QObject
{
    Q_OBJECT

private:
    QString m_chmPath;
    std::unique_ptr<QWidget> m_owner;

    HelpWindow* openHelp()
    {
        HelpWindow* window = HtmlHelp(m_owner.get(), m_chmPath);
        if (window != nullptr)
            window->browser()->clearHistory();
        return window;
    }

private Q_SLOTS:
    void initTestCase()
    {
        MessageBox::enableTestMode();
        m_chmPath = qEnvironmentVariable("TILL_BINARY_DIR") + QStringLiteral("/tillhelp.chm");
        QVERIFY2(QFile::exists(m_chmPath), qPrintable(m_chmPath));
        m_owner = std::make_unique<QWidget>();
        m_owner->show();
    }

    void cleanup() { MessageBox::takeShown(); }

    // The default topic in Japanese; a second call reuses the owner's window, back at the default topic.
    void opensOnceAtTheDefaultTopic()
    {
        HelpWindow* first = openHelp();
        QVERIFY(first != nullptr);
        QCOMPARE(first->parentWidget(), m_owner.get());
        QVERIFY(first->isVisible());
        QCOMPARE(first->windowTitle(), QStringLiteral("till ヘルプ"));
        QCOMPARE(first->browser()->currentPath(), QStringLiteral("/index.html"));
        const QString text = first->browser()->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("till ヘルプ")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("売上伝票を登録")));
        QVERIFY(MessageBox::takeShown().isEmpty());

        first->showTopic(QStringLiteral("/backup.html"));
        HelpWindow* second = HtmlHelp(m_owner.get(), m_chmPath, 0, 0);
        QCOMPARE(second, first);
        QCOMPARE(second->browser()->currentPath(), QStringLiteral("/index.html"));

        // Another owner gets a window of its own.
        QWidget other;
        HelpWindow* third = HtmlHelp(&other, m_chmPath);
        QVERIFY(third != nullptr && third != first);
    }

    void clickedLinkOpensPage_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("linkText");
        QTest::addColumn<QString>("expectedPath");
        QTest::addColumn<QString>("expectedText");
        // clang-format off
        QTest::newRow("index to keys") << "/index.html" << QStringLiteral("レジ画面のキー操作") << "/keys.html" << "Page Up / Page Down";
        QTest::newRow("keys to sale anchor") << "/keys.html" << QStringLiteral("売上の登録") << "/sale.html" << QStringLiteral("返品はマイナスの数量");
        QTest::newRow("back to first page") << "/recall.html" << QStringLiteral("最初のページへ") << "/index.html" << QStringLiteral("till ヘルプ");
        // clang-format on
    }

    void clickedLinkOpensPage()
    {
        QFETCH(QString, page);
        QFETCH(QString, linkText);
        QFETCH(QString, expectedPath);
        QFETCH(QString, expectedText);

        HelpWindow* window = openHelp();
        HelpBrowser* browser = window->browser();
        window->showTopic(page);
        QCOMPARE(browser->currentPath(), page);
        QVERIFY(QTest::qWaitForWindowExposed(window));

        const QTextCursor found = browser->document()->find(linkText);
        QVERIFY2(!found.isNull(), qPrintable(linkText));
        QTextCursor inside(browser->document());
        inside.setPosition(found.selectionStart() + 1);
        browser->setTextCursor(inside);
        browser->ensureCursorVisible();
        const QPoint at = browser->cursorRect(inside).center();
        QVERIFY(!browser->anchorAt(at).isEmpty());
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);

        QTRY_COMPARE(browser->currentPath(), expectedPath);
        QVERIFY2(browser->toPlainText().contains(expectedText), qPrintable(browser->toPlainText()));
        QVERIFY(browser->isBackwardAvailable());
    }

    void imageInsideFileLoads()
    {
        HelpWindow* window = openHelp();
        HelpBrowser* browser = window->browser();
        window->showTopic(QStringLiteral("/index.html"));

        // The page names the image relative to itself; the document asks for it that way.
        const QVariant resource =
            browser->document()->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/register.png")));
        // Once drawn the document keeps the decoded picture instead of the bytes.
        QSize size;
        if (resource.userType() == QMetaType::QPixmap)
            size = resource.value<QPixmap>().size();
        else if (resource.userType() == QMetaType::QImage)
            size = resource.value<QImage>().size();
        else
            size = QImage::fromData(resource.toByteArray()).size();
        QCOMPARE(size, QSize(480, 350));

        QVERIFY(
            browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/missing.png"))).isNull());
    }

    void contentsListsThePages()
    {
        ChmFile chm(m_chmPath);
        QVERIFY(chm.isOpen());
        QCOMPARE(chm.defaultTopic(), QStringLiteral("/index.html"));
        const QList<HelpTopic> topics = chm.contents();
        // Every window adds its page, so the count only grows.
        QVERIFY(topics.size() >= 6);
        QCOMPARE(topics[0].title, QStringLiteral("till ヘルプ"));
        QCOMPARE(topics[0].path, QStringLiteral("/index.html"));
        QCOMPARE(topics[0].depth, 0);
        QCOMPARE(topics[5].path, QStringLiteral("/backup.html"));
        QCOMPARE(topics[5].depth, 1);
        for (const HelpTopic& topic : topics)
            QVERIFY2(chm.read(topic.path).has_value(), qPrintable(topic.path));

        // Choosing an entry in the window's contents list opens its page.
        HelpWindow* window = openHelp();
        auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("HelpContents"));
        QVERIFY(tree != nullptr);
        tree->setCurrentItem(tree->topLevelItem(0)->child(1));
        QCOMPARE(window->browser()->currentPath(), QStringLiteral("/sale.html"));
    }

    void unopenableFileGivesMessage_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("not a help file") << QByteArray("<html>not compiled</html>\n").repeated(50);
    }

    void unopenableFileGivesMessage()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tillhelp.chm"));
        if (!content.isNull())
            QVERIFY(putFile(path, content));
        QCOMPARE(HtmlHelp(m_owner.get(), path), nullptr);
        QCOMPARE(MessageBox::takeShown(), QStringList{QStringLiteral("ヘルプファイル（%1）を開けません。").arg(path)});
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
