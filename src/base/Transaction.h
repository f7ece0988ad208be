#pragma once

#include <QSqlDatabase>
#include <QString>

// One unit of work on a database: rolled back unless committed, so that statements that belong
// together are written together or not at all. Opened with Lock::Immediate on an SQLite file, the
// write lock is taken before the first read, so two stations writing at once queue up instead of
// failing when both turn a read into a write. Inside a transaction somebody else opened, a
// savepoint stands in for it.
class Transaction
{
public:
    enum class Lock
    {
        Deferred,
        Immediate
    };

    explicit Transaction(QSqlDatabase& db, Lock lock = Lock::Deferred);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False, with the reason in *error, when the unit of work could not begin.
    bool isOpen() const { return m_mode != Mode::None; }
    const QString& beginError() const { return m_beginError; }

    // False, with the reason in *error (when given), when the work could not be kept; it is then
    // rolled back.
    bool commit(QString* error = nullptr);

private:
    void rollback();

    enum class Mode
    {
        None,
        Transaction,
        Savepoint
    };
    QSqlDatabase& m_db;
    Mode m_mode = Mode::None;
    QString m_beginError;
};
