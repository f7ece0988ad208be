#include "TdsTestServer.h"

#include <QFile>
#include <QJsonDocument>
#include <QSet>

namespace {

constexpr int kStartMs = 15000;
constexpr int kStopMs = 5000;

} // namespace

QString TdsTestServer::scriptPath()
{
    return QStringLiteral(ZELVO_TDS_SERVER_SCRIPT);
}

TdsTestServer::TdsTestServer(const QString& orderDbPath, const QStringList& arguments)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder for the server's files");
        return;
    }
    QStringList all = {scriptPath(),
                       QStringLiteral("--db"),
                       orderDbPath,
                       QStringLiteral("--log"),
                       m_dir.filePath(QStringLiteral("requests.jsonl")),
                       QStringLiteral("--control"),
                       m_dir.filePath(QStringLiteral("faults.json"))};
    all += arguments;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral("python3"), all);
    if (!m_process.waitForStarted(kStartMs)) {
        m_error = QStringLiteral("python3 did not start: ") + m_process.errorString();
        return;
    }
    // The script prints "PORT <n>" once it listens.
    QByteArray out;
    while (!out.contains('\n') && m_process.waitForReadyRead(kStartMs)) {
        out += m_process.readAllStandardOutput();
    }
    const QByteArray line = out.left(out.indexOf('\n')).trimmed();
    if (line.startsWith("PORT ")) {
        m_port = line.mid(5).toInt();
    }
    if (m_port <= 0) {
        m_error = QStringLiteral("the server told no port: ") + QString::fromUtf8(out) +
                  QString::fromUtf8(m_process.readAllStandardError());
        m_process.kill();
        m_process.waitForFinished(kStopMs);
    }
}

TdsTestServer::~TdsTestServer()
{
    if (m_process.state() == QProcess::NotRunning) {
        return;
    }
    // Closing its input ends the script; a server stuck on a connection is killed.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(kStopMs)) {
        m_process.kill();
        m_process.waitForFinished(kStopMs);
    }
}

QString TdsTestServer::address() const
{
    return QStringLiteral("127.0.0.1,%1").arg(m_port);
}

ServerSettings TdsTestServer::settings(const QString& database, const QString& user,
                                       const QString& password) const
{
    return ServerSettings{address(), database, user, password};
}

QList<QJsonObject> TdsTestServer::requests() const
{
    QList<QJsonObject> entries;
    QFile file(m_dir.filePath(QStringLiteral("requests.jsonl")));
    if (!file.open(QIODevice::ReadOnly)) {
        return entries;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonDocument entry = QJsonDocument::fromJson(line);
        if (entry.isObject()) {
            entries << entry.object();
        }
    }
    return entries;
}

int TdsTestServer::roundTrips() const
{
    QSet<int> trips;
    for (const QJsonObject& entry : requests()) {
        trips.insert(entry.value(QStringLiteral("trip")).toInt());
    }
    return int(trips.size());
}

void TdsTestServer::clearRequests()
{
    QFile file(m_dir.filePath(QStringLiteral("requests.jsonl")));
    if (file.exists()) {
        file.resize(0);
    }
}

bool TdsTestServer::setFaults(const QJsonObject& faults)
{
    // Written beside and renamed, so that the server never reads half a file.
    const QString path = m_dir.filePath(QStringLiteral("faults.json"));
    QFile file(path + QStringLiteral(".new"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(QJsonDocument(faults).toJson()) < 0) {
        return false;
    }
    file.close();
    QFile::remove(path);
    return QFile::rename(path + QStringLiteral(".new"), path);
}
