#pragma once

#include "store/ServerSettings.h"

#include <QString>

// Who is logged in and where the stores are; filled at login, read by every window until the end.
struct LoginContext
{
    QString programFolder; // with a trailing separator; login.db and Postage.db live here
    ServerSettings server; // read once at start; changed settings count from the next start
    QString operatorName;
    int operatorGroup = -1; // 0 is an administrator
    bool loginWindowClosed = false;

    bool isAdministrator() const { return operatorGroup == 0; }
};
