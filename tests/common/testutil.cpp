// Shared test fixtures.
#include "testutil.h"

#include "storage/products.h"
#include "storage/settings.h"

#include <QFile>

void setDefaultSettings()
{
    for (int i = 0; i <= 50; ++i) {
        SysNum[i] = 0;
        SysStr[i].clear();
    }
    SysNum[2] = 1;
    SysNum[4] = 1;
    SysNum[5] = 400;
    SysNum[6] = 400;
    SysNum[7] = 100;
    SysNum[11] = 0.1;
    SysNum[16] = 1;
    SysStr[1] = QStringLiteral("食料品");
    SysStr[2] = QStringLiteral("日用品");
    SysStr[3] = QStringLiteral("飲料");
    SysStr[4] = QStringLiteral("その他");
}

TestAppDir::TestAppDir()
{
    AppDir = m_dir.path();
    setDefaultSettings();
    for (int n = 0; n <= MaxProductEntries; ++n)
        ClearProduct(n);
    SaveSettings();
}

QByteArray TestAppDir::bytes(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestAppDir::writeBytes(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}
