// Start-up: refuse a second copy, read the settings and the products, show the register window.
#include "app/startup.h"

#include "app/windows.h"
#include "platform/frontrequest.h"
#include "platform/indexprogress.h"
#include "platform/messagebox.h"
#include "platform/placement.h"
#include "register/registerwindow.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/settings.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

Result startTill(const QString& appDir, std::unique_ptr<InstanceLock>& lock, QString* notice)
{
    if (notice)
        notice->clear();
    lock = std::make_unique<InstanceLock>(appDir);
    if (!lock->acquired()) {
        // The running copy comes to the front; the message then shows over it.
        if (lock->heldByOther())
            requestFront(frontRequestName(appDir));
        const QString message = lock->heldByOther() ? QStringLiteral("既に起動されています。") : lock->error();
        lock.reset();
        return Result::failure(message);
    }
    AppDir = appDir;
    if (Result r = LoadSettings(); !r)
        return r;
    QString completed;
    QString dropped;
    if (Result r = RecoverJournal(&completed, &dropped); !r)
        return r;
    RemoveLeftovers();
    if (notice) {
        if (!completed.isEmpty())
            *notice = QStringLiteral("前回中断した%1を完了しました。").arg(completed);
        else
            *notice = dropped;
    }
    return LoadProductTable();
}

void setUpJapanese(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSize(11);
    QApplication::setFont(font);
}

int runTill(QApplication& app)
{
    setUpJapanese(app);
    std::unique_ptr<InstanceLock> lock;
    QString notice;
    if (Result r = startTill(QFileInfo(QApplication::applicationFilePath()).absolutePath(), lock, &notice); !r) {
        MessageBox::information(nullptr, r.error);
        return 1;
    }
    if (!notice.isEmpty())
        MessageBox::information(nullptr, notice);
    Windows::installOpeners();
    Windows::installBackupAfterClosing();
    showSlipIndexProgress();
    const FrontRequestListener listener(frontRequestName(AppDir), [] {
        if (RegisterWindow* form = registerWindow())
            bringToFront(form);
    });
    showRegisterWindow();
    return QApplication::exec();
}
