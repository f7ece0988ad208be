#pragma once

#include "RecordingPrompter.h"
#include "RecordingSoundPlayer.h"
#include "TempDataFolder.h"

#include "app/StationSession.h"
#include "store/DemoOrderData.h"

#include <QtTest>

#include <functional>

// A data folder as a first start leaves it (login.db, Postage.db and the demo shop) and a started
// session on it. prepare, when given, changes login.db before the session starts, as an earlier
// run of the program or an administrator would have left it.
struct DemoFolder
{
    TempDataFolder folder;
    RecordingPrompter prompter;
    RecordingSoundPlayer sounds;
    std::unique_ptr<StationSession> session;

    explicit DemoFolder(const std::function<void(QSqlDatabase&)>& prepare = {})
    {
        if (prepare) {
            StationStores first(folder.path());
            QString error;
            if (!first.openLogin(&error) || !first.openPostage(&error)) {
                qFatal("demo data folder: %s", qPrintable(error));
            }
            prepare(first.loginDb());
        }
        session = std::make_unique<StationSession>(folder.path(), prompter, sounds);
        QString error;
        if (!session->start(&error)) {
            qFatal("demo data folder: %s", qPrintable(error));
        }
    }

    StationStores& stores() { return session->stores(); }
    QSqlDatabase& loginDb() { return session->stores().loginDb(); }
    QSqlDatabase& postageDb() { return session->stores().postageDb(); }
    OrderDatabase& orderDb() { return session->orderDb(); }

    void logIn(const char* user = DemoLogins::kOperatorName,
               const char* password = DemoLogins::kOperatorPassword)
    {
        const auto login = session->logIn(QString::fromLatin1(user), QString::fromLatin1(password));
        if (login.outcome != LoginService::Outcome::LoggedIn) {
            qFatal("demo login failed: %s", qPrintable(login.message));
        }
    }
};
