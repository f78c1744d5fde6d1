// CSV export of a table model with a progress dialog for long tables.
#include "platform/tableexport.h"

#include "platform/filedialog.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/printing.h"
#include "storage/csv.h"

#include <QAbstractItemModel>
#include <QProgressDialog>

QStringList tableRowTexts(const QAbstractItemModel& model, int row)
{
    QStringList cells;
    const int cols = model.columnCount();
    cells.reserve(cols);
    for (int c = 0; c < cols; ++c)
        cells << (row < 0 ? model.headerData(c, Qt::Horizontal, Qt::DisplayRole)
                          : model.data(model.index(row, c), Qt::EditRole))
                     .toString();
    return cells;
}

Result exportTableCsv(QWidget* parent, const QAbstractItemModel& model, const QString& path)
{
    const qsizetype rows = model.rowCount() + 1;
    QProgressDialog progress(QStringLiteral("CSV ファイルを書き出しています…"), QStringLiteral("中止"), 0, int(rows),
                             parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(1000);
    const Result r = writeCsvFile(
        path, rows, [&](qsizetype i) { return tableRowTexts(model, int(i) - 1); },
        [&](qsizetype done) {
            progress.setValue(int(done));
            return !progress.wasCanceled();
        });
    progress.setValue(int(rows));
    return r;
}

void saveGridCsv(QWidget* parent, const Grid& grid, const QString& proposedName)
{
    const QString path = FileDialog::saveFileName(parent, QStringLiteral("CSV出力"), proposedName,
                                                  QStringLiteral("CSV ファイル (*.csv)"));
    if (path.isEmpty())
        return;
    if (const Result r = exportTableCsv(parent, *grid.model(), path); !r && !r.error.isEmpty())
        MessageBox::information(parent, r.error);
}

void printGrid(QWidget* parent, const Grid& grid, const TableHeading& heading, const QList<int>& blockStarts)
{
    QList<int> widths;
    for (int c = 0; c < grid.model()->columnCount(); ++c)
        widths << std::max(1, grid.columnWidth(c));
    // The grid counts its header as row 0, the model does not.
    QList<int> modelRows;
    for (int row : blockStarts)
        modelRows << row - 1;
    if (const Result r = previewTable(parent, *grid.model(), widths, heading, modelRows); !r && !r.error.isEmpty())
        MessageBox::information(parent, r.error);
}
