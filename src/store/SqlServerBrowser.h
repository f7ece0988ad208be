#pragma once

#include <QString>

#include <optional>

// The SQL Server Browser service tells on UDP port 1434 which TCP port a named instance listens
// on. Asked here, within a deadline, so that a host without the service cannot hold a login for
// longer than the login may take.
namespace SqlServerBrowser {

inline constexpr quint16 kBrowserPort = 1434;

// The TCP port of host\instance; nullopt, with the reason, when the service gives none in time.
std::optional<quint16> instancePort(const QString& host, const QString& instance, int timeoutMs,
                                    QString* error, quint16 browserPort = kBrowserPort);

// The TCP port named in one answer of the service for the instance; nullopt when it names none.
std::optional<quint16> portInAnswer(const QByteArray& answer, const QString& instance);

} // namespace SqlServerBrowser
