// The grid control over a table model, so that lists of thousands of slips stay cheap to fill and show.
#include "platform/grid.h"

#include "platform/twips.h"
#include "storage/text.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_cells.resize(1);
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows() - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row() + 1;
    const int col = index.column();
    if (!index.isValid() || !valid(row, col))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return shownText(row, col);
    case Qt::EditRole:
        return ::shownText(cells(row)[col]);
    case Qt::TextAlignmentRole: {
        const auto it = m_alignments.constFind(col);
        if (it != m_alignments.cend())
            return int(*it | Qt::AlignVCenter);
        return isFigureText(cells(row)[col]) ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    }
    case Qt::BackgroundRole: {
        const QColor colour = cellBackground(row, col);
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return valid(0, section) ? QVariant(shownText(0, section)) : QVariant();
}

const QStringList& GridModel::cells(int row) const
{
    QStringList& cells = m_cells[row];
    if (cells.isEmpty() && m_cols > 0) {
        const QList<GridTable::Colour> colours = m_maker.makeRows(m_maker.blockOf(row), m_cells);
        for (const GridTable::Colour& c : colours)
            m_madeColours.insert(key(c.row, c.col), c.colour);
        if (cells.isEmpty())
            cells = QStringList(m_cols);
    }
    return cells;
}

void GridModel::makeAllRows()
{
    if (!m_maker.makeBlock)
        return;
    for (int r = 1; r < rows(); ++r)
        cells(r);
    m_maker = GridTable();
}

void GridModel::setRows(int newRows)
{
    newRows = std::max(newRows, 1);
    beginResetModel();
    const int old = rows();
    m_cells.resize(newRows);
    for (int r = old; r < newRows; ++r)
        m_cells[r] = QStringList(m_cols, QString());
    if (newRows < old) {
        m_backgrounds.removeIf([newRows](const auto& it) { return int(it.key() >> 32) >= newRows; });
        m_tableColours.removeIf([newRows](const GridTable::Colour& c) { return c.row >= newRows; });
        m_madeColours.removeIf([newRows](const auto& it) { return int(it.key() >> 32) >= newRows; });
    }
    endResetModel();
}

void GridModel::setCols(int newCols)
{
    newCols = std::max(newCols, 0);
    makeAllRows();
    beginResetModel();
    for (QStringList& row : m_cells)
        row.resize(newCols);
    if (newCols < m_cols) {
        m_backgrounds.removeIf([newCols](const auto& it) { return int(it.key() & 0xffffffffu) >= newCols; });
        m_tableColours.removeIf([newCols](const GridTable::Colour& c) { return c.col >= newCols; });
    }
    m_cols = newCols;
    endResetModel();
}

void GridModel::clearCells()
{
    beginResetModel();
    for (QStringList& row : m_cells)
        row = QStringList(m_cols, QString());
    m_backgrounds.clear();
    m_tableColours.clear();
    m_madeColours.clear();
    m_maker = GridTable();
    endResetModel();
}

void GridModel::setTable(GridTable table)
{
    beginResetModel();
    m_cols = table.cols();
    if (table.rows.isEmpty())
        table.rows.append(QStringList());
    const bool madeLater = table.makeBlock && m_cols > 0;
    for (int r = 0; r < table.rows.size(); ++r)
        if (r == 0 || !madeLater || !table.rows[r].isEmpty())
            table.rows[r].resize(m_cols);
    m_cells = std::move(table.rows);
    m_maker = GridTable();
    m_madeColours.clear();
    if (madeLater) {
        m_maker.widthsTwips = table.widthsTwips;
        m_maker.blockStarts = table.blockStarts;
        m_maker.makeBlock = std::move(table.makeBlock);
    }
    m_backgrounds.clear();
    m_tableColours = std::move(table.colours);
    m_tableColours.removeIf([this](const GridTable::Colour& c) { return !valid(c.row, c.col); });
    const auto before = [](const GridTable::Colour& a, const GridTable::Colour& b) {
        return key(a.row, a.col) < key(b.row, b.col);
    };
    // A builder adds colours row by row, so this is mostly a check.
    if (!std::is_sorted(m_tableColours.cbegin(), m_tableColours.cend(), before))
        std::stable_sort(m_tableColours.begin(), m_tableColours.end(), before);
    endResetModel();
}

QColor GridModel::tableColour(int row, int col) const
{
    const quint64 wanted = key(row, col);
    const auto after = std::upper_bound(m_tableColours.cbegin(), m_tableColours.cend(), wanted,
                                        [](quint64 k, const GridTable::Colour& c) { return k < key(c.row, c.col); });
    if (after == m_tableColours.cbegin())
        return {};
    const GridTable::Colour& c = *(after - 1);
    return key(c.row, c.col) == wanted ? c.colour : QColor();
}

QString GridModel::text(int row, int col) const
{
    return valid(row, col) ? cells(row)[col] : QString();
}

void GridModel::setText(int row, int col, const QString& text)
{
    if (!valid(row, col))
        return;
    cells(row);
    m_cells[row][col] = text;
    notify(row, col, col);
}

void GridModel::setRowTexts(int row, const QStringList& texts)
{
    if (!valid(row, 0))
        return;
    const int n = std::min<int>(int(texts.size()), m_cols);
    cells(row);
    for (int c = 0; c < n; ++c)
        m_cells[row][c] = texts[c];
    if (n > 0)
        notify(row, 0, n - 1);
}

QColor GridModel::cellBackground(int row, int col) const
{
    if (!valid(row, col))
        return {};
    cells(row);
    const auto it = m_backgrounds.constFind(key(row, col));
    if (it != m_backgrounds.cend())
        return *it;
    const auto made = m_madeColours.constFind(key(row, col));
    return made != m_madeColours.cend() ? *made : tableColour(row, col);
}

void GridModel::setCellBackground(int row, int col, const QColor& colour)
{
    if (!valid(row, col))
        return;
    cells(row);
    if (colour.isValid() || tableColour(row, col).isValid() || m_madeColours.contains(key(row, col)))
        m_backgrounds.insert(key(row, col), colour);
    else
        m_backgrounds.remove(key(row, col));
    notify(row, col, col);
}

void GridModel::setColAlignment(int col, Qt::Alignment alignment)
{
    m_alignments.insert(col, alignment);
    if (rows() > 1 && col >= 0 && col < m_cols)
        Q_EMIT dataChanged(index(0, col), index(rows() - 2, col));
}

void GridModel::setGroupedCols(const QList<int>& cols)
{
    m_groupedCols = cols;
    if (rows() > 1 && m_cols > 0)
        Q_EMIT dataChanged(index(0, 0), index(rows() - 2, m_cols - 1));
}

QString GridModel::shownText(int row, int col) const
{
    if (!valid(row, col))
        return {};
    return row == 0 ? ::shownText(m_cells[row][col]) : shownDataText(col, cells(row)[col]);
}

QString GridModel::shownDataText(int col, const QString& stored) const
{
    QString text = ::shownText(stored);
    if (m_groupedCols.contains(col) && isFigureText(text) && !text.contains(u','))
        text = groupedNumber(val(text));
    return text;
}

void GridModel::notify(int row, int firstCol, int lastCol)
{
    if (row == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, firstCol, lastCol);
    else
        Q_EMIT dataChanged(index(row - 1, firstCol), index(row - 1, lastCol));
}

Grid::Grid(QWidget* parent) : QTableView(parent), m_model(new GridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    // Every row has the same height; fixed sizes keep the view from measuring thousands of rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    connect(this, &QTableView::clicked, this,
            [this](const QModelIndex& index) { Q_EMIT cellClicked(index.row() + 1, index.column()); });
}

void Grid::setCols(int cols)
{
    m_model->setCols(cols);
}

void Grid::setTable(GridTable table)
{
    const QList<int> widths = table.widthsTwips;
    m_model->setTable(std::move(table));
    resizeColumnsAtOnce([&] {
        for (int c = 0; c < widths.size(); ++c)
            setColWidthTwips(c, widths[c]);
    });
}

void Grid::resizeColumnsAtOnce(const std::function<void()>& resize)
{
    {
        const QSignalBlocker quiet(horizontalHeader());
        resize();
    }
    // Lays the rows out now, in place of the view's own deferred layout after a new model.
    doItemsLayout();
}

void Grid::setColWidthTwips(int col, int widthTwips)
{
    setColumnWidth(col, twips(widthTwips));
}

void Grid::fitColumns(const QList<int>& cols)
{
    const QFontMetrics body = fontMetrics();
    resizeColumnsAtOnce([&] {
        for (int c : cols) {
            int widest = 0;
            for (int r = 1; r < rows(); ++r)
                widest = std::max(widest, body.horizontalAdvance(m_model->shownText(r, c)));
            widenColumn(c, widest);
        }
    });
}

void Grid::fitColumns(const QList<int>& cols, const QStringList& widest)
{
    const QFontMetrics body = fontMetrics();
    resizeColumnsAtOnce([&] {
        for (int c : cols)
            widenColumn(c, body.horizontalAdvance(m_model->shownDataText(c, widest.value(c))));
    });
}

void Grid::widenColumn(int col, int bodyWidth)
{
    if (col < 0 || col >= cols())
        return;
    const QFontMetrics head = horizontalHeader()->fontMetrics();
    // The cell's own margins and the header's sort indicator room, as the style draws them.
    const int margin =
        2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + fontMetrics().averageCharWidth();
    const int widest =
        std::max(bodyWidth, head.horizontalAdvance(m_model->shownText(0, col)) + head.averageCharWidth());
    setColumnWidth(col, std::max(columnWidth(col), widest + margin));
}

void Grid::squeezeIntoView(int col, int minimum)
{
    if (col < 0 || col >= cols())
        return;
    // The viewport's width with a vertical scroll bar, known before the grid is first shown.
    int room = width() - 2 * frameWidth() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    for (int c = 0; c < cols(); ++c)
        if (c != col)
            room -= columnWidth(c);
    resizeColumnsAtOnce([&] { setColumnWidth(col, std::min(columnWidth(col), std::max(room, minimum))); });
}

void Grid::setStretchColumn(int col)
{
    if (col >= 0 && col < cols())
        horizontalHeader()->setSectionResizeMode(col, QHeaderView::Stretch);
}

int Grid::currentRow() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() + 1 : 0;
}

void Grid::setCurrentRow(int row)
{
    const QModelIndex index = m_model->index(row - 1, 0);
    if (!index.isValid())
        return;
    setCurrentIndex(index);
    scrollTo(index);
}

void Grid::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
    Q_EMIT keyPressed(event);
    if (event->isAccepted())
        return;
    QTableView::keyPressEvent(event);
}
