#include "base/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
const char kSavepoint[] = "zelvo_unit";

bool isSqlite(const QSqlDatabase& db)
{
    return db.driverName() == QLatin1String("QSQLITE");
}
} // namespace

Transaction::Transaction(QSqlDatabase& db, Lock lock)
    : m_db(db)
{
    if (!isSqlite(db)) {
        if (db.transaction()) {
            m_mode = Mode::Transaction;
        } else {
            m_beginError = db.lastError().text();
        }
        return;
    }
    QSqlQuery query(db);
    if (query.exec(lock == Lock::Immediate ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"))) {
        m_mode = Mode::Transaction;
        return;
    }
    const QSqlError beginError = query.lastError();
    if (beginError.text().contains(QLatin1String("within a transaction")) &&
        query.exec(QStringLiteral("SAVEPOINT ") + QLatin1String(kSavepoint))) {
        m_mode = Mode::Savepoint;
        return;
    }
    m_beginError = beginError.text();
}

Transaction::~Transaction()
{
    rollback();
}

bool Transaction::commit(QString* error)
{
    bool ok = false;
    QSqlError commitError;
    if (m_mode == Mode::Transaction) {
        if (isSqlite(m_db)) {
            QSqlQuery query(m_db);
            ok = query.exec(QStringLiteral("COMMIT"));
            commitError = query.lastError();
        } else {
            ok = m_db.commit();
            commitError = m_db.lastError();
        }
    } else if (m_mode == Mode::Savepoint) {
        QSqlQuery query(m_db);
        ok = query.exec(QStringLiteral("RELEASE SAVEPOINT ") + QLatin1String(kSavepoint));
        commitError = query.lastError();
    } else {
        commitError = QSqlError(m_beginError);
    }
    if (!ok) {
        if (error) {
            *error = commitError.text();
        }
        rollback();
        return false;
    }
    m_mode = Mode::None;
    return true;
}

void Transaction::rollback()
{
    if (m_mode == Mode::Transaction) {
        if (isSqlite(m_db)) {
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        } else {
            m_db.rollback();
        }
    } else if (m_mode == Mode::Savepoint) {
        QSqlQuery query(m_db);
        query.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + QLatin1String(kSavepoint));
        query.exec(QStringLiteral("RELEASE SAVEPOINT ") + QLatin1String(kSavepoint));
    }
    m_mode = Mode::None;
}
