#pragma once

#include <QString>

// Row 3 of the server table: where the order database is and how to log in to it.
struct ServerSettings
{
    QString serverIp;
    QString dataBase;
    QString userName;
    QString passWord;
};

// ServerIP written "sqlite:" + path names an embedded order database file instead of a server.
inline constexpr char kEmbeddedPrefix[] = "sqlite:";
