#pragma once

#include "store/OrderDatabase.h"
#include "store/ServerSettings.h"

#include <QObject>
#include <QString>

#include <functional>

class QThread;

// Runs the query tab's database work and workbook writing on a thread of its own, so the window
// stays responsive through a long search or export. Each job gets a connection of its own to the
// order database (a connection serves only the thread that opened it). Progress and the end of a
// job come back queued to the thread this object lives on.
class QueryWorker : public QObject
{
    Q_OBJECT

public:
    // report(written) may be called from the job as often as it likes; it arrives as progressed().
    using Job = std::function<void(OrderDatabase& db, const std::function<void(qint64)>& report)>;
    // Runs after the job on this object's thread; openError is not empty when the order database
    // could not be opened, and the job did not run.
    using Done = std::function<void(const QString& openError)>;

    QueryWorker(const ServerSettings& server, const QString& dataFolder, QObject* parent = nullptr);
    // Waits for a running job: it holds a connection and may be writing a file.
    ~QueryWorker() override;

    bool busy() const { return m_thread != nullptr; }
    // False when a job is still running. A job that reads no trades (the export of the list's
    // page) runs withDatabase false and gets a closed order database.
    bool run(Job job, Done done, bool withDatabase = true);
    // Blocks until the running job has ended and its Done has run.
    void wait();

signals:
    void busyChanged(bool busy);
    void progressed(qint64 written);

private:
    void ended(const QString& openError, const Done& done);

    ServerSettings m_server;
    QString m_dataFolder;
    QThread* m_thread = nullptr;
};
