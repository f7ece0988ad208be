#pragma once

#include "app/LoginContext.h"
#include "app/LoginService.h"
#include "app/StationStores.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleSettingsApply.h"
#include "station/ReaderScale.h"
#include "store/StationSettings.h"

#include <QObject>
#include <QString>

class Prompter;
class SoundPlayer;

// One station from start to end: the local files and their settings, the login, the order
// database and the scale reader. The windows, the headless station and the tools all start
// through it, so the start-up happens the same way everywhere.
class StationSession : public QObject
{
    Q_OBJECT

public:
    StationSession(const QString& dataFolder, Prompter& prompter, SoundPlayer& sounds,
                   QObject* parent = nullptr);
    ~StationSession() override;
    StationSession(const StationSession&) = delete;
    StationSession& operator=(const StationSession&) = delete;

    // Opens login.db (a folder without one gets the first start's defaults, demo shop included),
    // reads where the order database is, brings older files up to date, opens Postage.db and reads
    // the scale settings. False, with "程序配置文件访问失败!" and the reason, when a local file cannot
    // be used; what does not need that file still works. Files that other users could read are made
    // private, and the prompter is told which.
    bool start(QString* error);
    // Logs the operator in against the order database's users; on success the login context holds
    // the operator and the login becomes the login window's preset.
    LoginService::Result logIn(const QString& userName, const QString& password);

    StationStores& stores() { return m_stores; }
    StationSettings& settings() { return m_settings; }
    LoginContext& context() { return m_context; }
    const LoginContext& context() const { return m_context; }
    OrderDatabase& orderDb() { return m_stores.orderDb(); }
    // Null while Postage.db is not open.
    QSqlDatabase* postageDb() { return m_stores.postageOpen() ? &m_stores.postageDb() : nullptr; }
    Prompter& prompter() { return m_prompter; }
    SoundPlayer& sounds() { return m_sounds; }

    // The scale as configured; the scale settings dialog changes it while the program runs.
    ScaleState& scale() { return m_scale; }
    ScaleReaderHost& scaleReader() { return m_reader; }
    StationScale& stationScale() { return m_stationScale; }

private:
    bool openStores(QString* error);
    bool loadScale(QString* error);

    Prompter& m_prompter;
    SoundPlayer& m_sounds;
    StationStores m_stores;
    StationSettings m_settings;
    LoginContext m_context;
    ScaleState m_scale;
    ScaleReaderHost m_reader;
    ReaderScale m_stationScale;
};
