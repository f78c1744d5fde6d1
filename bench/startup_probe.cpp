// Runs the program's normal start-up on a program directory and exits as soon as the register window has been
// painted, so that a benchmark can time start-up from outside, in a fresh process each time.
// With "windows" after the directory it then opens the report and graph windows, builds every report for
// the busiest month and every view, and prints the peak memory in kilobytes.
#include "app/startup.h"
#include "app/windows.h"
#include "benchdata.h"
#include "platform/grid.h"
#include "register/registerwindow.h"
#include "reports/graphwindow.h"
#include "reports/reportwindow.h"
#include "storage/salesslip.h"
#include "storage/settings.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QRadioButton>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

// Ends a local event loop at the first paint; quitting the application would close the register window.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QEventLoop& loop) : m_loop(loop) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(&m_loop, &QEventLoop::quit, Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& m_loop;
};

void openEveryView()
{
    const auto [year, month, slips] = busiestMonth();
    auto* reports = static_cast<ReportWindow*>(Windows::reports());
    reports->findChild<QComboBox*>(QStringLiteral("yearBox"))->setEditText(QString::number(year));
    reports->findChild<QComboBox*>(QStringLiteral("monthBox"))->setEditText(QString::number(month));
    reports->findChild<QRadioButton*>(QStringLiteral("monthlyButton"))->setChecked(true);
    for (int kind = 4; kind >= 1; --kind)
        reports->buildReportGrid(kind);
    auto* graphs = static_cast<GraphWindow*>(Windows::graphs());
    graphs->findChild<QComboBox*>(QStringLiteral("yearBox"))->setEditText(QString::number(year));
    for (int mode = 0; mode <= 4; ++mode)
        graphs->drawView(mode);
    QApplication::processEvents();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_probe <program directory> [windows]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpJapanese(app);
    std::unique_ptr<InstanceLock> lock;
    if (Result r = startTill(QString::fromLocal8Bit(argv[1]), lock); !r) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error));
        return 1;
    }
    QEventLoop loop;
    FirstPaint painted(loop);
    RegisterWindow* form = showRegisterWindow();
    form->installEventFilter(&painted);
    loop.exec();
    form->removeEventFilter(&painted);
    if (argc > 2 && QByteArray(argv[2]) == "windows")
        openEveryView();
    return 0;
}
