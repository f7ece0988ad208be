#include "query/QueryWorker.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>

QueryWorker::QueryWorker(const ServerSettings& server, const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_server(server)
    , m_dataFolder(dataFolder)
{
}

QueryWorker::~QueryWorker()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

bool QueryWorker::run(Job job, Done done, bool withDatabase)
{
    if (m_thread) {
        return false;
    }
    auto openError = std::make_shared<QString>();
    const QPointer<QueryWorker> self(this);
    m_thread = QThread::create([this, self, job = std::move(job), openError, withDatabase] {
        OrderDatabase db;
        if (withDatabase && !db.open(m_server, m_dataFolder, openError.get())) {
            if (openError->isEmpty()) {
                *openError = db.lastError();
            }
            return;
        }
        job(db, [self](qint64 written) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, written] {
                    if (self) {
                        emit self->progressed(written);
                    }
                },
                Qt::QueuedConnection);
        });
    });
    connect(m_thread, &QThread::finished, this,
            [this, openError, done = std::move(done)] { ended(*openError, done); });
    m_thread->start();
    emit busyChanged(true);
    return true;
}

void QueryWorker::ended(const QString& openError, const Done& done)
{
    // Progress the job reported arrives before its end.
    QCoreApplication::sendPostedEvents(this);
    m_thread->deleteLater();
    m_thread = nullptr;
    if (done) {
        done(openError);
    }
    emit busyChanged(false);
}

void QueryWorker::wait()
{
    while (m_thread) {
        QEventLoop loop;
        connect(this, &QueryWorker::busyChanged, &loop, &QEventLoop::quit);
        if (m_thread) {
            loop.exec();
        }
    }
}
