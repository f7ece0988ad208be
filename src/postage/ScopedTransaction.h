#pragma once

#include <QSqlDatabase>

// A transaction on the rule database that is rolled back unless committed, so that a rule's
// brackets and its binding are written together or not at all.
class ScopedTransaction
{
public:
    explicit ScopedTransaction(QSqlDatabase& db)
        : m_db(db)
        , m_open(db.transaction())
    {
    }
    ~ScopedTransaction()
    {
        if (m_open) {
            m_db.rollback();
        }
    }
    ScopedTransaction(const ScopedTransaction&) = delete;
    ScopedTransaction& operator=(const ScopedTransaction&) = delete;

    bool isOpen() const { return m_open; }
    bool commit()
    {
        if (!m_open) {
            return false;
        }
        m_open = false;
        if (m_db.commit()) {
            return true;
        }
        m_db.rollback();
        return false;
    }

private:
    QSqlDatabase& m_db;
    bool m_open;
};
