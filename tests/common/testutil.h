// Shared test fixtures: a fresh program directory with settings, and file byte access.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A temporary program directory: AppDir points at it, the tables hold the shipped defaults and
// sys.ini is written from them.
class TestAppDir
{
public:
    TestAppDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QByteArray bytes(const QString& name) const;
    void writeBytes(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
};

// Resets SysNum/SysStr to the values a fresh installation ships with.
void setDefaultSettings();
