#include "store/SqlConnection.h"

#include <QAtomicInteger>
#include <QSqlError>
#include <QSqlQuery>

namespace {
QAtomicInteger<quint64> g_connectionSerial;
}

SqlConnection::SqlConnection(const QString& driver, const QString& purpose)
    : m_name(QStringLiteral("%1-%2").arg(purpose).arg(g_connectionSerial.fetchAndAddRelaxed(1)))
    , m_db(QSqlDatabase::addDatabase(driver, m_name))
{
}

SqlConnection::~SqlConnection()
{
    if (m_db.isOpen()) {
        m_db.close();
    }
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

bool openSqliteFile(SqlConnection& connection, const QString& path, QString* error)
{
    QSqlDatabase& db = connection.db();
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        if (error) {
            *error = db.lastError().text();
        }
        return false;
    }
    QSqlQuery pragma(db);
    pragma.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    return true;
}
