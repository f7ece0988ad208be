#pragma once

#include <QSqlDatabase>
#include <QString>

// Owns one named Qt SQL connection for its lifetime and removes it from Qt's registry when it goes.
class SqlConnection
{
public:
    SqlConnection(const QString& driver, const QString& purpose);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    QSqlDatabase& db() { return m_db; }
    const QSqlDatabase& db() const { return m_db; }
    bool isOpen() const { return m_db.isOpen(); }
    QString name() const { return m_name; }

private:
    QString m_name;
    QSqlDatabase m_db;
};

// Opens an SQLite file; foreign keys on and a busy timeout so a second reader does not fail at once.
bool openSqliteFile(SqlConnection& connection, const QString& path, QString* error);
