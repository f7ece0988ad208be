#include "store/SqlServerBrowser.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace SqlServerBrowser {
namespace {

constexpr char kAskInstance = 0x04; // one instance, asked of one host
constexpr char kAnswer = 0x05;

bool fail(QString* error, const QString& reason)
{
    if (error) {
        *error = reason;
    }
    return false;
}

std::optional<QHostAddress> address(const QString& host, QString* error)
{
    QHostAddress direct;
    if (direct.setAddress(host)) {
        return direct;
    }
    const QHostInfo info = QHostInfo::fromName(host);
    if (info.addresses().isEmpty()) {
        fail(error, QStringLiteral("host %1 not found: %2").arg(host, info.errorString()));
        return std::nullopt;
    }
    return info.addresses().constFirst();
}

} // namespace

std::optional<quint16> portInAnswer(const QByteArray& answer, const QString& instance)
{
    if (answer.size() < 3 || answer.at(0) != kAnswer) {
        return std::nullopt;
    }
    // Pairs of name and value separated by ';', one instance after the other, each ending in ";;".
    const QList<QByteArray> fields = answer.mid(3).split(';');
    bool ours = false;
    qsizetype i = 0;
    while (i + 1 < fields.size()) {
        const QByteArray name = fields.at(i).trimmed();
        if (name.isEmpty()) {
            // The empty field that closes one instance.
            ours = false;
            ++i;
            continue;
        }
        const QString value = QString::fromLocal8Bit(fields.at(i + 1));
        i += 2;
        if (name.compare("InstanceName", Qt::CaseInsensitive) == 0) {
            ours = value.compare(instance, Qt::CaseInsensitive) == 0;
        } else if (ours && name.compare("tcp", Qt::CaseInsensitive) == 0) {
            bool number = false;
            const uint port = value.toUInt(&number);
            if (number && port > 0 && port <= 65535) {
                return quint16(port);
            }
        }
    }
    return std::nullopt;
}

std::optional<quint16> instancePort(const QString& host, const QString& instance, int timeoutMs,
                                    QString* error, quint16 browserPort)
{
    const QDeadlineTimer deadline(timeoutMs);
    const std::optional<QHostAddress> server = address(host, error);
    if (!server) {
        return std::nullopt;
    }
    QUdpSocket socket;
    const QByteArray ask = QByteArray(1, kAskInstance) + instance.toLocal8Bit() + QByteArray(1, '\0');
    if (socket.writeDatagram(ask, *server, browserPort) != ask.size()) {
        fail(error,
             QStringLiteral("SQL Server Browser on %1 not reachable: %2").arg(host, socket.errorString()));
        return std::nullopt;
    }
    while (!deadline.hasExpired()) {
        if (!socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            if (socket.error() != QAbstractSocket::SocketTimeoutError) {
                fail(error, QStringLiteral("SQL Server Browser on %1 not reachable: %2")
                                .arg(host, socket.errorString()));
                return std::nullopt;
            }
            continue;
        }
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket.receiveDatagram();
            if (const auto port = portInAnswer(datagram.data(), instance)) {
                return port;
            }
        }
    }
    fail(error, QStringLiteral("SQL Server Browser on %1 gave no TCP port of instance %2 within %3 ms")
                    .arg(host, instance)
                    .arg(timeoutMs));
    return std::nullopt;
}

} // namespace SqlServerBrowser
