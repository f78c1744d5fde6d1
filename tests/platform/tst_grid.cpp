// The grid control: header row 0 apart from the data rows, resizing, colours, clicks and keys.
#include "platform/grid.h"

#include <QtTest>

class TestGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headerRowIsNotADataRow()
    {
        Grid grid;
        grid.setCols(3);
        grid.setRows(4);
        grid.setRowTexts(0, {"A", "B", "C"});
        grid.setText(1, 2, "x");
        QCOMPARE(grid.model()->rowCount(), 3);
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("B"));
        QCOMPARE(grid.model()->index(0, 2).data().toString(), QStringLiteral("x"));
        QCOMPARE(grid.text(0, 0), QStringLiteral("A"));
    }

    void resizeKeepsWhatFits_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QString>("kept");
        QTest::newRow("grow") << 10 << 5 << "x";
        QTest::newRow("shrink rows") << 2 << 3 << "";
        QTest::newRow("shrink cols") << 4 << 2 << "";
    }
    void resizeKeepsWhatFits()
    {
        QFETCH(int, rows);
        QFETCH(int, cols);
        Grid grid;
        grid.setCols(3);
        grid.setRows(4);
        grid.setText(3, 2, "x");
        grid.setCellBackground(3, 2, Qt::red);
        grid.setRows(rows);
        grid.setCols(cols);
        QTEST(grid.text(3, 2), "kept");
        QCOMPARE(grid.cellBackground(3, 2).isValid(), rows > 3 && cols > 2);
        QVERIFY(grid.text(rows + 5, 0).isEmpty()); // outside the grid reads empty, never crashes
    }

    void colourAndClear()
    {
        Grid grid;
        grid.setCols(2);
        grid.setRows(3);
        grid.setCellBackground(2, 1, QColor(0, 255, 0));
        QCOMPARE(grid.model()->index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 0));
        grid.setText(2, 1, "y");
        grid.clear();
        QVERIFY(grid.text(2, 1).isEmpty());
        QVERIFY(!grid.cellBackground(2, 1).isValid());
        QCOMPARE(grid.rows(), 3);
    }

    void clicksAndKeys()
    {
        Grid grid;
        grid.setCols(2);
        grid.setRows(5);
        grid.resize(300, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy clicked(&grid, &Grid::cellClicked);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(2, 1)).center());
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked[0][0].toInt(), 3);
        QCOMPARE(clicked[0][1].toInt(), 1);

        // A key taken by the window does not move the current row; others do.
        grid.setCurrentRow(2);
        connect(&grid, &Grid::keyPressed, &grid, [](QKeyEvent* e) {
            if (e->key() == Qt::Key_Up)
                e->accept();
        });
        QTest::keyClick(&grid, Qt::Key_Up);
        QCOMPARE(grid.currentRow(), 2);
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(grid.currentRow(), 3);
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
