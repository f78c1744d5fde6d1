// The grid control: header row 0 apart from the data rows, resizing, colours, clicks and keys.
#include "platform/grid.h"

#include <QHeaderView>
#include <QtTest>

using Edit = void (*)(Grid&);
Q_DECLARE_METATYPE(Edit)

// Seven blank rows of two columns, nothing left to be made.
GridTable blankTable()
{
    GridTable t;
    t.setShape({1000, 1000}, 7);
    return t;
}

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

    // What a cell shows, what the CSV file takes from it and where it stands: padding never shows, figures
    // stand right unless the column says otherwise, and group their thousands only in a column of money.
    void cellsAsShown_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<int>("columnAlignment"); // 0: none of its own
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("csv");
        QTest::addColumn<int>("alignment"); // horizontal part; 0: the view's default (left)
        const int right = int(Qt::AlignRight);
        QTest::newRow("padded name") << "さくら養鶏場          " << false << 0 << "さくら養鶏場" << "さくら養鶏場" << 0;
        QTest::newRow("figure") << "1050" << false << 0 << "1050" << "1050" << right;
        QTest::newRow("money") << "1050" << true << 0 << "1,050" << "1050" << right;
        QTest::newRow("negative money") << "-1234567.5" << true << 0 << "-1,234,567.5" << "-1234567.5" << right;
        QTest::newRow("small money") << "999" << true << 0 << "999" << "999" << right;
        QTest::newRow("label in a money column") << "合計" << true << 0 << "合計" << "合計" << 0;
        QTest::newRow("date stays left") << "2006/03/07" << false << 0 << "2006/03/07" << "2006/03/07" << 0;
        QTest::newRow("padded figure") << "120   " << false << 0 << "120" << "120" << right;
        QTest::newRow("column alignment wins") << "12" << false << int(Qt::AlignCenter) << "12" << "12"
                                               << int(Qt::AlignHCenter);
        QTest::newRow("empty") << "" << true << 0 << "" << "" << 0;
    }
    void cellsAsShown()
    {
        QFETCH(QString, stored);
        QFETCH(bool, grouped);
        QFETCH(int, columnAlignment);
        QFETCH(QString, shown);
        QFETCH(QString, csv);
        QFETCH(int, alignment);
        Grid grid;
        grid.setCols(2);
        grid.setRows(2);
        grid.setRowTexts(0, {"番号", stored});
        grid.setText(1, 1, stored);
        if (grouped)
            grid.setGroupedCols({1});
        if (columnAlignment)
            grid.setColAlignment(1, Qt::Alignment(columnAlignment));
        const QModelIndex cell = grid.model()->index(0, 1);
        QCOMPARE(grid.text(1, 1), stored); // kept as stored
        QCOMPARE(cell.data(Qt::DisplayRole).toString(), shown);
        QCOMPARE(cell.data(Qt::AccessibleTextRole).toString(), shown);
        QCOMPARE(cell.data(Qt::EditRole).toString(), csv);
        QCOMPARE(cell.data(Qt::TextAlignmentRole).toInt() & int(Qt::AlignHorizontal_Mask), alignment);
        // The header is never grouped, only unpadded.
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 stored.trimmed());
    }

    // A fitted column is as wide as its widest text, header included, and is never made narrower.
    void fitColumns()
    {
        Grid grid;
        grid.setCols(3);
        grid.setRows(3);
        grid.setRowTexts(0, {"日付", "時間", "天気"});
        grid.setRowTexts(1, {"2006/03/07", "10:00:00", "晴れ"});
        grid.setRowTexts(2, {"2006/12/31", "23:59:59", "くもりのち雨          "});
        for (int c = 0; c < 3; ++c)
            grid.setColumnWidth(c, 10);
        grid.setColumnWidth(2, 1000);
        grid.fitColumns({0, 1, 2, 7});
        const QFontMetrics m = grid.fontMetrics();
        QVERIFY(grid.columnWidth(0) > m.horizontalAdvance("2006/12/31"));
        QVERIFY(grid.columnWidth(1) > m.horizontalAdvance("23:59:59"));
        QVERIFY(grid.columnWidth(0) < m.horizontalAdvance("2006/12/31") * 2);
        QCOMPARE(grid.columnWidth(2), 1000);
        grid.setColumnWidth(2, 10);
        grid.fitColumns({2});
        QVERIFY(grid.columnWidth(2) > m.horizontalAdvance("くもりのち雨"));
        QVERIFY(grid.columnWidth(2) < m.horizontalAdvance("くもりのち雨") * 2);
    }

    // A long list is fitted to its noted widest texts, as its money column shows them, and to its headers.
    void fitToNotedWidest()
    {
        Grid grid;
        grid.setCols(3);
        grid.setRows(2);
        grid.setRowTexts(0, {"日付", "金額", "天気"});
        grid.setGroupedCols({1});
        for (int c = 0; c < 3; ++c)
            grid.setColumnWidth(c, 10);
        grid.fitColumns({0, 1, 2}, {"2006/12/31", "1234567890123"});
        const QFontMetrics m = grid.fontMetrics();
        QVERIFY(grid.columnWidth(0) > m.horizontalAdvance("2006/12/31"));
        QVERIFY(grid.columnWidth(1) > m.horizontalAdvance("1,234,567,890,123"));
        QVERIFY(grid.columnWidth(2) > grid.horizontalHeader()->fontMetrics().horizontalAdvance("天気"));
        QVERIFY(grid.columnWidth(2) < m.horizontalAdvance("2006/12/31"));
    }

    // A table's colours, given by the thousand, give way to a cell coloured or cleared one by one and go with
    // the rows and columns they were in; a cell given two keeps the later.
    void tableColours_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("shades"); // cells (1, 0), (1, 1), (2, 1), (3, 0): red, green, blue or none
        // clang-format off
        QTest::newRow("as given") << Edit(+[](Grid&) {}) << "rgb.";
        QTest::newRow("one recoloured") << Edit(+[](Grid& g) { g.setCellBackground(1, 1, Qt::blue); }) << "rbb.";
        QTest::newRow("one cleared") << Edit(+[](Grid& g) { g.setCellBackground(1, 0, QColor()); }) << ".gb.";
        QTest::newRow("one added") << Edit(+[](Grid& g) { g.setCellBackground(3, 0, Qt::green); }) << "rgbg";
        QTest::newRow("rows cut") << Edit(+[](Grid& g) { g.setRows(2); g.setRows(4); }) << "rg..";
        QTest::newRow("columns cut") << Edit(+[](Grid& g) { g.setCols(1); g.setCols(2); }) << "r...";
        QTest::newRow("cleared") << Edit(+[](Grid& g) { g.clear(); }) << "....";
        // clang-format on
    }
    void tableColours()
    {
        QFETCH(Edit, edit);
        GridTable t;
        t.setShape({1000, 1000}, 4);
        // Out of order and out of range, as a builder may give them.
        t.colours = {{2, 1, Qt::blue},  {1, 0, Qt::red}, {1, 1, Qt::red},
                     {1, 1, Qt::green}, {9, 0, Qt::red}, {3, 5, Qt::red}};
        Grid grid;
        grid.setTable(t);
        edit(grid);
        const QHash<QRgb, QChar> marks{
            {QColor(Qt::red).rgb(), u'r'}, {QColor(Qt::green).rgb(), u'g'}, {QColor(Qt::blue).rgb(), u'b'}};
        QString shades;
        for (const auto& [row, col] : {std::pair{1, 0}, {1, 1}, {2, 1}, {3, 0}}) {
            const QVariant colour = grid.model()->index(row - 1, col).data(Qt::BackgroundRole);
            shades += colour.isValid() ? marks.value(colour.value<QColor>().rgb(), u'?') : u'.';
        }
        QTEST(shades, "shades");
    }

    // A table whose blocks are made when first read: rows 1-2, 3-5 and 6 (made already, as a list's totals
    // are, and shorter than the others). A block's rows read "<block>.<row>", its first cell red; block 0 makes
    // one row too many, green, which must land nowhere. After the edit, `made` lists the blocks made so far;
    // then every row is read as "cells shade" (r red, g green, . none).
    void rowsMadeWhenRead_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("made");
        QTest::addColumn<QStringList>("rows");
        const QStringList all{"0.0,0.0r", "0.1,0.1.", "1.0,r", "1.1,.", "1.2,.", "total,r"};
        QStringList typed = all, set = all, coloured = all;
        typed[3] = "1.1,x.";
        set[3] = "y,z.";
        coloured[2] = "1.0,g";
        // clang-format off
        QTest::newRow("nothing read") << Edit(+[](Grid&) {}) << "" << all;
        QTest::newRow("a cell read") << Edit(+[](Grid& g) { g.text(4, 0); }) << "1" << all;
        QTest::newRow("a cell typed") << Edit(+[](Grid& g) { g.setText(4, 1, "x"); }) << "1" << typed;
        QTest::newRow("a row set") << Edit(+[](Grid& g) { g.setRowTexts(4, {"y", "z"}); }) << "1" << set;
        QTest::newRow("a colour set") << Edit(+[](Grid& g) { g.setCellBackground(3, 0, Qt::green); }) << "1" << coloured;
        QTest::newRow("columns changed") << Edit(+[](Grid& g) { g.setCols(2); }) << "01" << all;
        QTest::newRow("rows cut") << Edit(+[](Grid& g) { g.setRows(3); }) << "" << all.mid(0, 2);
        QTest::newRow("a new table") << Edit(+[](Grid& g) { g.text(3, 0); g.setTable(blankTable()); }) << "1" << QStringList(6, ",.");
        QTest::newRow("cut and grown") << Edit(+[](Grid& g) { g.text(3, 0); g.setRows(3); g.setRows(4); }) << "1" << (all.mid(0, 2) << ",.");
        // clang-format on
    }
    void rowsMadeWhenRead()
    {
        QFETCH(Edit, edit);
        auto made = std::make_shared<QString>();
        GridTable t;
        t.setShape({1000, 1000}, 7);
        for (int r = 1; r < 6; ++r)
            t.rows[r].clear();
        t.rows[6] = QStringList{"total"};
        t.colours = {{6, 0, Qt::red}};
        t.blockStarts = {1, 3, 6};
        t.makeBlock = [made](int block, QList<QStringList>& rows, QList<GridTable::Colour>& colours) {
            *made += QString::number(block);
            for (int r = 0; r < 3; ++r)
                rows << QStringList(2 - block, QStringLiteral("%1.%2").arg(block).arg(r));
            colours << GridTable::Colour{0, 0, Qt::red};
            if (block == 0)
                colours << GridTable::Colour{2, 0, Qt::green};
        };
        Grid grid;
        grid.setTable(t);
        edit(grid);
        QTEST(*made, "made");
        QStringList shown;
        for (int r = 1; r < grid.rows(); ++r) {
            const QColor c = grid.model()->index(r - 1, 0).data(Qt::BackgroundRole).value<QColor>();
            shown << grid.model()->index(r - 1, 0).data().toString() + u',' +
                         grid.model()->index(r - 1, 1).data().toString() +
                         (!c.isValid()             ? u'.'
                          : c == QColor(Qt::red)   ? u'r'
                          : c == QColor(Qt::green) ? u'g'
                                                   : u'?');
        }
        QTEST(shown, "rows");
        QVERIFY(made->size() <= 2); // each block made once, the made one never
        QVERIFY(!grid.cellBackground(99, 0).isValid());
        // Made all at once, as for a builder's own test, the rows and colours are the same.
        t.makeAllRows();
        QStringList whole;
        for (const QStringList& row : t.rows.mid(1))
            whole << row.join(u',');
        QCOMPARE(whole, (QStringList{"0.0,0.0", "0.1,0.1", "1.0,", "1.1,", "1.2,", "total"}));
        QList<QPoint> colours;
        for (const GridTable::Colour& c : t.colours)
            colours << QPoint(c.col, c.row);
        QCOMPARE(colours, (QList<QPoint>{{0, 1}, {0, 3}, {0, 6}}));
        QVERIFY(!t.makeBlock);
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
