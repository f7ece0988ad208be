#include "store/OdbcStatement.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>

#include <sql.h>
#include <sqlext.h>

#include <vector>

namespace OdbcStatement {
namespace {

void* handleOf(const QVariant& handle)
{
    return handle.metaType() == QMetaType::fromType<void*>() ? handle.value<void*>() : nullptr;
}

// The diagnostics of a handle, every record's words on one line each.
Failure diagnostics(SQLSMALLINT type, SQLHANDLE handle, const QString& fallback)
{
    Failure failure;
    QStringList lines;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN got = SQLGetDiagRec(type, handle, record, state, &native, text, sizeof text, &length);
        if (!SQL_SUCCEEDED(got)) {
            break;
        }
        if (failure.sqlState.isEmpty()) {
            failure.sqlState = QString::fromLatin1(reinterpret_cast<const char*>(state));
        }
        lines << QString::fromUtf8(reinterpret_cast<const char*>(text));
    }
    failure.message = lines.isEmpty() ? fallback : lines.join(QLatin1Char('\n'));
    return failure;
}

// One statement handle for one run; freeing it costs no request once its results are read.
class StatementHandle
{
public:
    explicit StatementHandle(SQLHDBC connection)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &m_handle))) {
            m_handle = SQL_NULL_HSTMT;
        }
    }
    ~StatementHandle()
    {
        if (m_handle != SQL_NULL_HSTMT) {
            SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
        }
    }
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;
    SQLHSTMT get() const { return m_handle; }

private:
    SQLHSTMT m_handle = SQL_NULL_HSTMT;
};

// The bound values stay here until the statement has been sent.
struct Bindings
{
    std::vector<QByteArray> texts;
    std::vector<SQLLEN> lengths;
    std::vector<qint64> whole;
    std::vector<double> real;
};

bool bind(SQLHSTMT statement, const QVariantList& values, Bindings* kept, Failure* failure)
{
    const auto count = size_t(values.size());
    kept->texts.resize(count);
    kept->lengths.resize(count);
    kept->whole.resize(count);
    kept->real.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const QVariant& value = values.at(qsizetype(i));
        const auto number = SQLUSMALLINT(i + 1);
        SQLRETURN done = SQL_ERROR;
        const int type = value.metaType().id();
        if (type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::UInt ||
            type == QMetaType::Bool) {
            kept->whole[i] = value.toLongLong();
            kept->lengths[i] = 0;
            done = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_SBIGINT,
                                    type == QMetaType::LongLong ? SQL_BIGINT : SQL_INTEGER, 0, 0,
                                    &kept->whole[i], 0, &kept->lengths[i]);
        } else if (type == QMetaType::Double) {
            kept->real[i] = value.toDouble();
            kept->lengths[i] = 0;
            done = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                                    &kept->real[i], 0, &kept->lengths[i]);
        } else {
            const bool null = !value.isValid() || (type != QMetaType::QString && value.isNull());
            kept->texts[i] = null ? QByteArray() : value.toString().toUtf8();
            const QByteArray& text = kept->texts[i];
            kept->lengths[i] = null ? SQL_NULL_DATA : SQLLEN(text.size());
            // A VARCHAR of the value's own length, as Qt's driver declares it.
            const auto width = SQLULEN(qMax<qsizetype>(1, text.size()));
            done = SQLBindParameter(
                statement, number, SQL_PARAM_INPUT, SQL_C_CHAR, width > 8000 ? SQL_LONGVARCHAR : SQL_VARCHAR,
                width, 0, const_cast<char*>(text.constData()), SQLLEN(text.size()), &kept->lengths[i]);
        }
        if (!SQL_SUCCEEDED(done)) {
            *failure = diagnostics(SQL_HANDLE_STMT, statement,
                                   QStringLiteral("value %1 could not be bound").arg(i + 1));
            return false;
        }
    }
    return true;
}

// One column's text as the driver gives it; a null column gives a null value.
bool columnText(SQLHSTMT statement, SQLUSMALLINT column, QVariant* value, Failure* failure)
{
    QByteArray text;
    char chunk[4096];
    for (;;) {
        SQLLEN length = 0;
        const SQLRETURN got = SQLGetData(statement, column, SQL_C_CHAR, chunk, sizeof chunk, &length);
        if (got == SQL_NO_DATA) {
            break;
        }
        if (!SQL_SUCCEEDED(got)) {
            *failure =
                diagnostics(SQL_HANDLE_STMT, statement, QStringLiteral("column %1 unreadable").arg(column));
            return false;
        }
        if (length == SQL_NULL_DATA) {
            *value = QVariant();
            return true;
        }
        // A long value comes in pieces, each but the last filling the buffer save its terminator.
        const qsizetype piece = (length == SQL_NO_TOTAL || length >= SQLLEN(sizeof chunk))
                                    ? qsizetype(sizeof chunk) - 1
                                    : qsizetype(length);
        text.append(chunk, piece);
        if (got == SQL_SUCCESS) {
            break;
        }
    }
    *value = QString::fromUtf8(text);
    return true;
}

// A fixed-size value: numbers as Qt's ODBC driver reads them, so that they print the same.
template <typename T>
bool columnNumber(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType, QVariant* value,
                  Failure* failure)
{
    T number{};
    SQLLEN length = 0;
    if (!SQL_SUCCEEDED(SQLGetData(statement, column, cType, &number, sizeof number, &length))) {
        *failure =
            diagnostics(SQL_HANDLE_STMT, statement, QStringLiteral("column %1 unreadable").arg(column));
        return false;
    }
    *value = length == SQL_NULL_DATA ? QVariant() : QVariant::fromValue(number);
    return true;
}

// One column's value of the type the column has: numbers as numbers, times as times, the rest as
// text in the client's character set.
bool columnValue(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT type, QVariant* value, Failure* failure)
{
    switch (type) {
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return columnNumber<double>(statement, column, SQL_C_DOUBLE, value, failure);
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIT:
        return columnNumber<qint32>(statement, column, SQL_C_SLONG, value, failure);
    case SQL_BIGINT:
        return columnNumber<qint64>(statement, column, SQL_C_SBIGINT, value, failure);
    default:
        break;
    }
    if (!columnText(statement, column, value, failure)) {
        return false;
    }
    if (value->isNull()) {
        return true;
    }
    const QString text = value->toString();
    if (type == SQL_TYPE_TIMESTAMP || type == SQL_TIMESTAMP) {
        QDateTime time = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        *value = time.isValid() ? time : QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    } else if (type == SQL_TYPE_DATE || type == SQL_DATE) {
        *value = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    }
    return true;
}

bool readRows(SQLHSTMT statement, SQLSMALLINT columns, bool keep, QList<QSqlRecord>* rows, Failure* failure)
{
    QSqlRecord shape;
    std::vector<SQLSMALLINT> types;
    for (SQLSMALLINT c = 1; c <= columns; ++c) {
        SQLCHAR name[256] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLDescribeCol(statement, SQLUSMALLINT(c), name, sizeof name, &nameLength, &type, &size, &digits,
                       &nullable);
        types.push_back(type);
        shape.append(QSqlField(QString::fromUtf8(reinterpret_cast<const char*>(name)),
                               QMetaType::fromType<QString>()));
    }
    for (;;) {
        const SQLRETURN fetched = SQLFetch(statement);
        if (fetched == SQL_NO_DATA) {
            return true;
        }
        if (!SQL_SUCCEEDED(fetched)) {
            *failure = diagnostics(SQL_HANDLE_STMT, statement, QStringLiteral("row unreadable"));
            return false;
        }
        if (!keep) {
            continue;
        }
        QSqlRecord row = shape;
        for (SQLSMALLINT c = 1; c <= columns; ++c) {
            QVariant value;
            if (!columnValue(statement, SQLUSMALLINT(c), types[size_t(c - 1)], &value, failure)) {
                return false;
            }
            row.setValue(c - 1, value);
        }
        rows->append(row);
    }
}

bool hasColumn(SQLHSTMT statement, SQLSMALLINT columns, const QString& wanted)
{
    for (SQLSMALLINT c = 1; c <= columns; ++c) {
        SQLCHAR name[256] = {};
        SQLSMALLINT length = 0;
        SQLColAttribute(statement, SQLUSMALLINT(c), SQL_DESC_NAME, name, sizeof name, &length, nullptr);
        if (QString::fromUtf8(reinterpret_cast<const char*>(name)).compare(wanted, Qt::CaseInsensitive) ==
            0) {
            return true;
        }
    }
    return false;
}

} // namespace

bool run(QSqlDatabase& db, const QString& sql, const QVariantList& values, int timeoutSeconds,
         const QString& resultColumn, Result* result, Failure* failure)
{
    *result = Result();
    const auto connection = static_cast<SQLHDBC>(db.driver() ? handleOf(db.driver()->handle()) : nullptr);
    if (!db.isOpen() || !connection) {
        *failure = {QStringLiteral("08003"), QStringLiteral("order database not connected")};
        return false;
    }
    const StatementHandle statement(connection);
    if (statement.get() == SQL_NULL_HSTMT) {
        *failure = diagnostics(SQL_HANDLE_DBC, connection, QStringLiteral("no statement handle"));
        return false;
    }
    if (timeoutSeconds > 0 &&
        !SQL_SUCCEEDED(SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT,
                                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds)),
                                      SQL_IS_UINTEGER))) {
        *failure = diagnostics(SQL_HANDLE_STMT, statement.get(), QStringLiteral("time-out refused"));
        return false;
    }
    Bindings kept;
    if (!bind(statement.get(), values, &kept, failure)) {
        return false;
    }
    QByteArray text = sql.toUtf8();
    SQLRETURN done =
        SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(text.data()), SQLINTEGER(text.size()));
    if (!SQL_SUCCEEDED(done) && done != SQL_NO_DATA) {
        *failure = diagnostics(SQL_HANDLE_STMT, statement.get(), QStringLiteral("statement failed"));
        return false;
    }
    // Every result in turn: rows are read to the end, counts taken, until none is left.
    while (done != SQL_NO_DATA) {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(statement.get(), &columns);
        if (columns > 0) {
            const bool keep = !result->found &&
                              (resultColumn.isEmpty() || hasColumn(statement.get(), columns, resultColumn));
            if (!readRows(statement.get(), columns, keep, &result->rows, failure)) {
                return false;
            }
            result->found = result->found || keep;
        } else if (result->rowsAffected < 0) {
            SQLLEN count = -1;
            if (SQL_SUCCEEDED(SQLRowCount(statement.get(), &count))) {
                result->rowsAffected = count;
            }
        }
        done = SQLMoreResults(statement.get());
        if (!SQL_SUCCEEDED(done) && done != SQL_NO_DATA) {
            *failure = diagnostics(SQL_HANDLE_STMT, statement.get(), QStringLiteral("statement failed"));
            return false;
        }
    }
    if (result->rowsAffected < 0) {
        result->rowsAffected = 0;
    }
    return true;
}

bool setTimeout(const QSqlQuery& query, int seconds, QString* error)
{
    void* handle = query.result() ? handleOf(query.result()->handle()) : nullptr;
    if (!handle) {
        if (error) {
            *error = QStringLiteral("the query has no ODBC statement handle");
        }
        return false;
    }
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(static_cast<SQLHSTMT>(handle), SQL_ATTR_QUERY_TIMEOUT,
                                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)),
                                      SQL_IS_UINTEGER))) {
        if (error) {
            *error = QStringLiteral("the ODBC driver refused a statement time-out of %1 s").arg(seconds);
        }
        return false;
    }
    return true;
}

} // namespace OdbcStatement
