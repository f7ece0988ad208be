#pragma once

#include "store/ServerSettings.h"

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A SQL Server stand-in for one test: the TDS server script started on 127.0.0.1 with a free port,
// answering from an embedded order database file, and stopped again by the destructor. Every
// request the program sends is logged and can be read back.
class TdsTestServer
{
public:
    // orderDbPath: the embedded order database the server answers from. arguments: further
    // command-line switches of the script (faults such as "--latin1" or "--answer-delay-ms=20").
    explicit TdsTestServer(const QString& orderDbPath, const QStringList& arguments = {});
    ~TdsTestServer();
    TdsTestServer(const TdsTestServer&) = delete;
    TdsTestServer& operator=(const TdsTestServer&) = delete;

    // False (and error()) when the script did not start or told no port.
    bool isRunning() const { return m_port > 0 && m_process.state() == QProcess::Running; }
    QString error() const { return m_error; }
    int port() const { return m_port; }
    // ServerIP as the server table holds it: "127.0.0.1,port".
    QString address() const;
    ServerSettings settings(const QString& database, const QString& user, const QString& password) const;

    // The requests so far, oldest first: each has "kind" (prelogin, login, batch, rpc, attention,
    // transaction with its "request": 5 begin, 7 commit, 8 rollback),
    // "trip" (one number per request message) and, by kind, "text", "proc", "params" (name, type,
    // value), "user", "password", "app", "host", "database".
    QList<QJsonObject> requests() const;
    // Request messages the server answered or was sent since the last clearRequests().
    int roundTrips() const;
    void clearRequests();

    // Fault switches the server reads before every request, as a JSON object: "silent",
    // "answer_delay_ms", "delay" [{match, ms}], "error" [{match, message, number}], "drop" [regex],
    // "collation" ("chinese" or "latin1", taken at the next login) and "text_type".
    bool setFaults(const QJsonObject& faults);

    // Where the script is, found beside this file's source at build time.
    static QString scriptPath();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};
