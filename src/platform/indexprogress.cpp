// A dialog that appears only when the index rebuild is slow, as on an old disk.
#include "platform/indexprogress.h"

#include "storage/slipindex.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <memory>

void showSlipIndexProgress(int delayMs)
{
    struct State
    {
        QElapsedTimer since;
        std::unique_ptr<QProgressDialog> dialog;
    };
    auto state = std::make_shared<State>();
    SetSlipIndexProgress([state, delayMs](qint64 done, qint64 total) {
        if (done == 0) {
            state->since.start();
        } else if (done >= total) {
            state->dialog.reset();
        } else {
            if (!state->dialog && state->since.elapsed() >= delayMs) {
                // Modal, so that setValue lets it paint while the rebuild holds the event loop.
                state->dialog = std::make_unique<QProgressDialog>(
                    QStringLiteral("伝票の索引を作り直しています…\n（索引が無いか、伝票ファイルと合わないため）"),
                    QString(), 0, 1000, QApplication::activeWindow()); // no cancel text: no cancel button
                state->dialog->setObjectName(QStringLiteral("IndexProgress"));
                state->dialog->setWindowTitle(QStringLiteral("till"));
                state->dialog->setWindowModality(Qt::ApplicationModal);
                state->dialog->setMinimumDuration(0);
            }
            if (state->dialog)
                state->dialog->setValue(int(done * 1000 / total));
        }
    });
}
