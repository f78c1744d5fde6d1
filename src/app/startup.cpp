// Start-up: refuse a second copy, read the settings and the products, show the register window.
#include "app/startup.h"

#include "platform/messagebox.h"
#include "register/form1.h"
#include "storage/products.h"
#include "storage/settings.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLockFile>
#include <QTranslator>

InstanceLock::InstanceLock(const QString& appDir)
    : m_lock(std::make_unique<QLockFile>(appDir + QStringLiteral("/till.lock")))
{
    m_lock->setStaleLockTime(0); // a copy that crashed leaves a lock whose process is gone: taken over
    m_acquired = m_lock->tryLock(0);
}

InstanceLock::~InstanceLock() = default;

Result startTill(const QString& appDir, std::unique_ptr<InstanceLock>& lock)
{
    lock = std::make_unique<InstanceLock>(appDir);
    if (!lock->acquired()) {
        lock.reset();
        return Result::failure(QStringLiteral("既に起動されています。"));
    }
    AppDir = appDir;
    if (Result r = LoadSettings(); !r)
        return r;
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
    if (Result r = startTill(QFileInfo(QApplication::applicationFilePath()).absolutePath(), lock); !r) {
        MessageBox::information(nullptr, r.error);
        return 1;
    }
    showRegisterWindow();
    return QApplication::exec();
}
