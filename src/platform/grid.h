// The grid control: rows and columns of text with a fixed header row 0, column widths in twips, cell colours.
#pragma once

#include "platform/gridtable.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <functional>

// The cells behind a Grid. Row 0 is the header and is shown by the view's header, so that it stays in place
// while the data rows scroll; model row r holds grid row r + 1.
// A cell holds its text as stored; what the view, the printed page and the CSV file get drops the blanks
// that pad a stored field (DisplayRole, EditRole). A cell that holds a figure is right-aligned unless its
// column has an alignment of its own; in a column of money (setGroupedCols) the view and the printed page
// show figures with their thousands grouped, while EditRole, which the CSV file takes, keeps plain digits.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit GridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Grid rows including the header row; at least 1. Changing either count keeps what still fits.
    int rows() const { return int(m_cells.size()); }
    int cols() const { return m_cols; }
    void setRows(int rows);
    void setCols(int cols);
    // Empties every cell and colour; the counts stay.
    void clearCells();
    // Every row and colour at once, with one reset however many rows there are. Rows the table left to be
    // made are made a block at a time when first read, by the view or by anyone else.
    void setTable(GridTable table);

    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    // Sets the cells of one row from column 0 on, with a single change notification.
    void setRowTexts(int row, const QStringList& texts);
    QColor cellBackground(int row, int col) const;
    void setCellBackground(int row, int col, const QColor& colour);
    void setColAlignment(int col, Qt::Alignment alignment);
    // The columns whose figures group their thousands when shown; replaces the columns set before.
    void setGroupedCols(const QList<int>& cols);
    // The text of a cell as shown: without its padding, and grouped in a column of money.
    QString shownText(int row, int col) const;
    // A stored text as a data cell of column `col` would show it.
    QString shownDataText(int col, const QString& stored) const;

private:
    bool valid(int row, int col) const { return row >= 0 && row < rows() && col >= 0 && col < m_cols; }
    static quint64 key(int row, int col) { return (quint64(quint32(row)) << 32) | quint32(col); }
    void notify(int row, int firstCol, int lastCol);
    // The cells of `row`, made first when the table left them to be made.
    const QStringList& cells(int row) const;
    // Makes every row still to be made; no row is left to be made afterwards.
    void makeAllRows();
    // The colour setTable gave the cell; the last one given when it was given twice.
    QColor tableColour(int row, int col) const;

    // One list per grid row, m_cols long; an empty list is a row still to be made by m_maker, which holds the
    // table's blocks and its makeBlock (no rows).
    mutable QList<QStringList> m_cells;
    GridTable m_maker;
    mutable QHash<quint64, QColor> m_madeColours;
    // A list's colours as setTable gave them, sorted by row and column: tens of thousands of cells are kept
    // without building a hash of them. Cells coloured one by one go into m_backgrounds, which wins; an invalid
    // colour there takes a table colour away.
    QList<GridTable::Colour> m_tableColours;
    QHash<quint64, QColor> m_backgrounds;
    QHash<int, Qt::Alignment> m_alignments;
    QList<int> m_groupedCols;
    int m_cols = 0;
};

class Grid : public QTableView
{
    Q_OBJECT

public:
    explicit Grid(QWidget* parent = nullptr);

    int rows() const { return m_model->rows(); }
    int cols() const { return m_model->cols(); }
    void setRows(int rows) { m_model->setRows(rows); }
    void setCols(int cols);
    // Empties every cell, the header row included.
    void clear() { m_model->clearCells(); }
    // Column count, widths, cells and colours at once.
    void setTable(GridTable table);

    QString text(int row, int col) const { return m_model->text(row, col); }
    void setText(int row, int col, const QString& text) { m_model->setText(row, col, text); }
    void setRowTexts(int row, const QStringList& texts) { m_model->setRowTexts(row, texts); }
    void setColWidthTwips(int col, int widthTwips);
    QColor cellBackground(int row, int col) const { return m_model->cellBackground(row, col); }
    void setCellBackground(int row, int col, const QColor& colour) { m_model->setCellBackground(row, col, colour); }
    // Alignment of a column's data cells (the header stays centred).
    void setColAlignment(int col, Qt::Alignment alignment) { m_model->setColAlignment(col, alignment); }
    // Columns of money: their figures group their thousands on screen and on paper, as amounts that are only
    // read do; replaces the columns set before.
    void setGroupedCols(const QList<int>& cols) { m_model->setGroupedCols(cols); }
    // Widens each of `cols` to its widest cell, header included, in the grid's font; never narrows one.
    void fitColumns(const QList<int>& cols);
    // The same for a long list whose widest texts are known (GridTable::widest, one per column): the header and
    // that text are measured, not every row.
    void fitColumns(const QList<int>& cols, const QStringList& widest);
    // Narrows `col` so that every column fits beside a vertical scroll bar, but never below `minimum` pixels
    // nor wider than it was: the column of names gives up room to figures and dates that must show whole.
    void squeezeIntoView(int col, int minimum);
    // The column takes the width the others leave in view (its own width setting is then ignored).
    void setStretchColumn(int col);

    // The data row (1 ..) that has the keyboard's current cell, or 0 when there is none.
    int currentRow() const;
    // Makes `row` (1 ..) current and scrolls it into view.
    void setCurrentRow(int row);

    GridModel* model() const { return m_model; }

Q_SIGNALS:
    // A data row was clicked with the mouse; row is the grid row (1 ..), col the column.
    void cellClicked(int row, int col);
    // Every key typed while the grid has the focus, before the grid moves its current cell. Set
    // `event->accept()` in a slot to keep the grid from acting on it.
    void keyPressed(QKeyEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Runs `resize`, which sets column widths, without the view's deferred update of each column it resizes;
    // the view is laid out and updated once afterwards, so a list shown at once is painted once rather than
    // once before its widths and again after.
    void resizeColumnsAtOnce(const std::function<void()>& resize);
    // Widens `col` to `bodyWidth` and its header, with the margins the style draws round a cell.
    void widenColumn(int col, int bodyWidth);

    GridModel* m_model;
};
