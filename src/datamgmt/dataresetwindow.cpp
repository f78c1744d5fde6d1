// The data initialisation window: six resets behind one password, each kept as a dated archive first.
#include "datamgmt/dataresetwindow.h"

#include "datamgmt/passwordchangedialog.h"

#include "platform/controls.h"
#include "platform/keepcopy.h"
#include "platform/messagebox.h"
#include "platform/tabstrip.h"
#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/initialise.h"
#include "storage/password.h"
#include "storage/products.h"
#include "storage/seisan.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "widgets/openers.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFont>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <optional>
#include <utility>

namespace {

// The captions of the ten boxes; the last three boxes have none.
const char* const BoxCaptions[10] = {"売上データ件数",
                                     "売上伝票番号",
                                     "仕入データ件数",
                                     "仕入伝票番号",
                                     "仕入商品データ件数",
                                     "商品データ件数",
                                     "仕入先データ件数",
                                     "",
                                     "",
                                     ""};

// The boxes the resets read; the others only show their setting.
bool readBack(int k)
{
    return k == 0 || k == 2 || k == 5;
}

} // namespace

DataResetWindow::DataResetWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("DataResetWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("データ初期化"));
    setAccessibleName(QStringLiteral("データ初期化"));
    setFixedSize(twips(7260), twips(4620));

    for (int k = 0; k < 10; ++k) {
        const int top = 360 + 360 * k;
        const QString caption = QString::fromUtf8(BoxCaptions[k]);
        settingCaptions[k] =
            makeButton(this, QStringLiteral("settingCaptions_%1").arg(k), caption, twipsRect(120, top, 1965, 255));
        settingCaptions[k]->setFocusPolicy(Qt::NoFocus);
        if (caption.isEmpty())
            settingCaptions[k]->setAccessibleName(QStringLiteral("予備 %1").arg(k + 1));
        settingBoxes[k] = makeEdit(this, QStringLiteral("settingBoxes_%1").arg(k),
                                   caption.isEmpty() ? QStringLiteral("予備 %1").arg(k + 1) : caption,
                                   twipsRect(2505, top, 1455, 270));
        settingBoxes[k]->setReadOnly(!readBack(k));
    }

    resetFrame = makeFrame(this, QStringLiteral("resetFrame"), QStringLiteral("初期化"), QStringLiteral("初期化"),
                           twipsRect(4200, 105, 2895, 3735));
    resetSalesButton = makeButton(resetFrame, QStringLiteral("resetSalesButton"),
                                  QStringLiteral("売上伝票データ初期化"), twipsRect(360, 315, 2175, 255));
    resetPurchasesButton = makeButton(resetFrame, QStringLiteral("resetPurchasesButton"),
                                      QStringLiteral("仕入伝票データ初期化"), twipsRect(360, 720, 2175, 255));
    resetPurchaseItemsButton = makeButton(resetFrame, QStringLiteral("resetPurchaseItemsButton"),
                                          QStringLiteral("仕入商品データ初期化"), twipsRect(360, 1680, 2175, 255));
    resetProductsButton = makeButton(resetFrame, QStringLiteral("resetProductsButton"),
                                     QStringLiteral("商品データ初期化"), twipsRect(360, 2040, 2175, 255));
    resetSuppliersButton = makeButton(resetFrame, QStringLiteral("resetSuppliersButton"),
                                      QStringLiteral("仕入先データ初期化"), twipsRect(360, 2400, 2175, 255));
    connect(resetSalesButton, &QPushButton::clicked, this, &DataResetWindow::resetSalesSlips);
    connect(resetPurchasesButton, &QPushButton::clicked, this, &DataResetWindow::resetPurchaseSlips);
    connect(resetPurchaseItemsButton, &QPushButton::clicked, this, &DataResetWindow::resetPurchaseItems);
    connect(resetProductsButton, &QPushButton::clicked, this, &DataResetWindow::resetProducts);
    resetClosingsButton = makeButton(resetFrame, QStringLiteral("resetClosingsButton"),
                                     QStringLiteral("精算データ初期化"), twipsRect(360, 2760, 2175, 255));
    connect(resetSuppliersButton, &QPushButton::clicked, this, &DataResetWindow::resetSuppliers);
    connect(resetClosingsButton, &QPushButton::clicked, this, &DataResetWindow::resetClosings);

    passwordCaption = makeButton(this, QStringLiteral("passwordCaption"), QStringLiteral("password"),
                                 twipsRect(840, 4200, 1095, 315));
    passwordCaption->setFocusPolicy(Qt::NoFocus);
    passwordCaption->setAccessibleName(QStringLiteral("パスワード"));
    passwordBox =
        makeEdit(this, QStringLiteral("passwordBox"), QStringLiteral("パスワード"), twipsRect(2520, 4200, 1695, 315));
    passwordBox->setEchoMode(QLineEdit::Password);
    changePasswordButton = makeButton(this, QStringLiteral("changePasswordButton"), QStringLiteral("パスワード変更"),
                                      twipsRect(4275, 4200, 1560, 315));
    // Between the password box and 閉じる there is room for its caption only in a smaller type.
    QFont small = changePasswordButton->font();
    small.setPointSize(9);
    changePasswordButton->setFont(small);
    connect(changePasswordButton, &QPushButton::clicked, this, [this] {
        auto* dialog = new PasswordChangeDialog(this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
    closeButton =
        makeButton(this, QStringLiteral("closeButton"), QStringLiteral("閉じる"), twipsRect(5880, 4200, 1215, 315));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    load();
}

void DataResetWindow::load()
{
    for (int k = 0; k < 10; ++k)
        settingBoxes[k]->setText(numText(SysNum[k + 1]));
}

bool DataResetWindow::passwordGiven()
{
    const Result r = TryResetPassword(passwordBox->text(), QDeadlineTimer::current().deadline());
    if (!r)
        MessageBox::information(this, r.error);
    return bool(r);
}

bool DataResetWindow::resetConfirmed(const QString& data, const QString& fileName, double records)
{
    return MessageBox::question(this,
                                QStringLiteral("%1（%2）を初期化します。\n%3 件のレコードが空になります。\n\n"
                                               "初期化しますか？")
                                    .arg(data, fileName, numText(records)),
                                true);
}

qint64 DataResetWindow::boxCount(int k, qint64 max, const QString& caption)
{
    if (const std::optional<qint64> count = countFromText(settingBoxes[k]->text(), max))
        return *count;
    MessageBox::information(this,
                            QStringLiteral("%1には 0 から %2 までの整数を入力してください。").arg(caption).arg(max));
    settingBoxes[k]->setFocus();
    return -1;
}

void DataResetWindow::resetSalesSlips()
{
    if (m_busy || !passwordGiven())
        return;
    const qint64 newCount = boxCount(0, MaxSlipCount, QStringLiteral("売上データ件数"));
    if (newCount < 0 ||
        !resetConfirmed(QStringLiteral("売上伝票データ"), QStringLiteral("reg.dat"), SysNum[Sys::SalesRecordCount]))
        return;
    runReset(
        QStringLiteral("reg.dat"), [=](const ResetSteps& steps) { return ResetSalesSlips(newCount, steps); },
        [] { Q_EMIT changes().salesSlipsChanged(); });
}

void DataResetWindow::resetPurchaseSlips()
{
    if (m_busy || !passwordGiven())
        return;
    const qint64 newCount = boxCount(2, MaxSlipCount, QStringLiteral("仕入データ件数"));
    if (newCount < 0 || !resetConfirmed(QStringLiteral("仕入伝票データ"), QStringLiteral("siire.dat"),
                                        SysNum[Sys::PurchaseRecordCount]))
        return;
    runReset(
        QStringLiteral("siire.dat"), [=](const ResetSteps& steps) { return ResetPurchaseSlips(newCount, steps); },
        [] { Q_EMIT changes().purchaseSlipsChanged(); });
}

void DataResetWindow::resetPurchaseItems()
{
    if (m_busy || !passwordGiven() ||
        !resetConfirmed(QStringLiteral("仕入商品データ"), QStringLiteral("zaiko.dat"), SysNum[Sys::PurchaseItemCount]))
        return;
    runReset(QStringLiteral("zaiko.dat"), &ResetPurchaseItems, [] { Q_EMIT changes().stockChanged(); });
}

void DataResetWindow::resetProducts()
{
    if (m_busy || !passwordGiven())
        return;
    const qint64 emptied = boxCount(5, MaxProductEntries, QStringLiteral("商品データ件数"));
    if (emptied < 0 || !resetConfirmed(QStringLiteral("商品データ"), QStringLiteral("syohin.dat"), double(emptied)))
        return;
    runReset(
        QStringLiteral("syohin.dat"), [=](const ResetSteps& steps) { return ResetProducts(int(emptied), steps); },
        [] { Q_EMIT changes().productsChanged(); });
}

void DataResetWindow::resetSuppliers()
{
    if (m_busy || !passwordGiven() ||
        !resetConfirmed(QStringLiteral("仕入先データ"), QStringLiteral("siiresaki.dat"), 100))
        return;
    runReset(QStringLiteral("siiresaki.dat"), &ResetSuppliers, [] { Q_EMIT changes().suppliersChanged(); });
}

void DataResetWindow::resetClosings()
{
    if (m_busy || !passwordGiven() ||
        !resetConfirmed(QStringLiteral("精算データ"), SeisanFileName, double(SeisanRecordCount())))
        return;
    runReset(SeisanFileName, &ResetSeisan, [] { Q_EMIT changes().seisanChanged(); });
}

void DataResetWindow::runReset(const QString& fileName, const std::function<Result(const ResetSteps&)>& reset,
                               const std::function<void()>& announce)
{
    m_busy = true;
    // No sale may be keyed in while its files are rewritten.
    QPointer<QWidget> form = openers().openRegister();
    if (form)
        form->setEnabled(false);

    // Ten years of slips take a while: the progress box keeps every window painted and takes the clicks.
    QProgressDialog progress(this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setCancelButton(nullptr);
    progress.setAutoClose(false);
    progress.setMinimumDuration(300);
    progress.setRange(0, 1000);
    int shown = -1;
    auto show = [&](qint64 done, qint64 total) {
        const int value = total > 0 ? int(done * 1000 / total) : 1000;
        if (value != shown) {
            shown = value;
            progress.setValue(value);
        }
    };
    auto phase = [&](const QString& text) {
        progress.setLabelText(text);
        shown = -1;
        show(0, 1);
    };

    QString archive;
    ResetSteps steps;
    steps.keepOld = [&](const QString& path) {
        phase(QStringLiteral("%1 をバックアップしています…").arg(fileName));
        return keepCopy(path, QDateTime::currentDateTime(), archive, show);
    };
    steps.keepHistory = [&](const QString& path, QString& kept) {
        phase(QStringLiteral("訂正・削除履歴をバックアップしています…"));
        const Result r = keepAlongside(path, QDateTime::currentDateTime(), archive, show);
        kept = archive;
        return r;
    };
    bool writing = false;
    steps.progress = [&](qint64 done, qint64 total) {
        if (!std::exchange(writing, true))
            phase(QStringLiteral("%1 を初期化しています…").arg(fileName));
        show(done, total);
    };
    const Result result = reset(steps);
    progress.reset();
    if (form)
        form->setEnabled(true);
    m_busy = false;

    if (!result) {
        MessageBox::information(this, QStringLiteral("初期化できませんでした。\n") + result.error);
        return;
    }
    load();
    QString message = QStringLiteral("初期化完了！！");
    if (!result.error.isEmpty()) // done, with its last writes left for the next start
        message += u'\n' + result.error;
    if (!archive.isEmpty())
        message += QStringLiteral("\n元のデータは %1 に保存しました。").arg(QDir::toNativeSeparators(archive));
    MessageBox::information(this, message);
    // Everyone showing the reset data or the counters reads them anew; the register, told its slips were
    // reset, starts its entry over.
    announce();
    Q_EMIT changes().settingsChanged();
    if (!openers().openRegister())
        openers().showRegister();
    close();
}

void DataResetWindow::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
