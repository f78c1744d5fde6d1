// The sales slips in SQLite with their date indexed, beside the benchmark data: the measure a month's list is
// held against.
#pragma once

#include "storage/salesslip.h"
#include "storage/settings.h"
#include "storage/sliplist.h"

#include <QFile>
#include <QList>
#include <cstdio>
#include <sqlite3.h>

// Opens slips.sqlite beside the data, writing the slips of reg.dat into it the first time; nullptr on failure.
inline sqlite3* openSqliteSlips()
{
    const QString path = dataPath(QStringLiteral("slips.sqlite"));
    const bool exists = QFile::exists(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    if (exists)
        return db;
    std::printf("writing the slips into %s for the side-by-side measure...\n", qPrintable(path));
    sqlite3_exec(db,
                 "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;"
                 "CREATE TABLE slips(no INTEGER PRIMARY KEY, date TEXT, time TEXT, total REAL, deleted INTEGER, "
                 "record BLOB);",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO slips VALUES(?1, ?2, ?3, ?4, ?5, ?6)", -1, &insert, nullptr);
    ScanSalesSlips(1, LastSalesSlipNo(), [&](qint64 n, const SlipView& v) {
        const QByteArray date = v.date().toLatin1(), time = v.time().toLatin1();
        sqlite3_bind_int64(insert, 1, n);
        sqlite3_bind_text(insert, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, time.constData(), int(time.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 4, v.total());
        sqlite3_bind_int(insert, 5, v.deleted() ? 1 : 0);
        sqlite3_bind_blob(insert, 6, v.data(), SalesSlipRecordSize, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        return true;
    });
    sqlite3_finalize(insert);
    sqlite3_exec(db, "CREATE INDEX slips_date ON slips(date); COMMIT;", nullptr, nullptr, nullptr);
    return db;
}

// The month's slips through the date index, each with its whole record, as the list rows they make.
class SqliteMonthQuery
{
public:
    SqliteMonthQuery(sqlite3* db, int year, int month)
    {
        sqlite3_prepare_v2(db,
                           "SELECT no, date, time, total, deleted, record FROM slips WHERE date >= ?1 AND date < ?2 "
                           "ORDER BY no",
                           -1, &m_query, nullptr);
        const QString prefix = QStringLiteral("%1/%2/").arg(year).arg(month, 2, 10, QChar(u'0'));
        m_from = prefix.toLatin1();
        m_to = (prefix + u'~').toLatin1();
    }
    ~SqliteMonthQuery() { sqlite3_finalize(m_query); }
    SqliteMonthQuery(const SqliteMonthQuery&) = delete;
    SqliteMonthQuery& operator=(const SqliteMonthQuery&) = delete;

    QList<SlipListRow> run()
    {
        sqlite3_bind_text(m_query, 1, m_from.constData(), int(m_from.size()), SQLITE_STATIC);
        sqlite3_bind_text(m_query, 2, m_to.constData(), int(m_to.size()), SQLITE_STATIC);
        QList<SlipListRow> list;
        while (sqlite3_step(m_query) == SQLITE_ROW)
            list.append(SlipListRow{sqlite3_column_int64(m_query, 0), text(1), text(2),
                                    sqlite3_column_double(m_query, 3), sqlite3_column_int(m_query, 4) != 0});
        sqlite3_reset(m_query);
        return list;
    }

private:
    QString text(int col) const
    {
        return QString::fromLatin1(reinterpret_cast<const char*>(sqlite3_column_text(m_query, col)));
    }

    sqlite3_stmt* m_query = nullptr;
    QByteArray m_from;
    QByteArray m_to;
};
