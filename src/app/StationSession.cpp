#include "app/StationSession.h"

#include "app/ServerRow.h"
#include "base/Prompter.h"
#include "base/Texts.h"
#include "scale/ScaleSettingsStore.h"
#include "store/LoginDbUpgrades.h"

namespace {

bool failWith(QString* error, const QString& reason)
{
    if (error && error->isEmpty()) {
        *error = QString::fromUtf8(Texts::kConfigAccessFailed) + QLatin1Char(' ') + reason;
    }
    return false;
}

} // namespace

StationSession::StationSession(const QString& dataFolder, Prompter& prompter, SoundPlayer& sounds,
                               QObject* parent)
    : QObject(parent)
    , m_prompter(prompter)
    , m_sounds(sounds)
    , m_stores(dataFolder)
    , m_reader(prompter)
    , m_stationScale(m_scale, m_reader)
{
    m_context.programFolder = m_stores.dataFolder();
    m_scale.scaleTypeIndex = -1;
    // A changed time-out holds from the next statement on.
    connect(&m_settings, &StationSettings::changed, this, [this] {
        StationSettings::Options options;
        if (m_settings.read(&options, nullptr)) {
            orderDb().setStatementTimeout(options.statementTimeout);
        }
    });
}

StationSession::~StationSession() = default;

bool StationSession::start(QString* error)
{
    if (error) {
        error->clear();
    }
    const bool ok = openStores(error);
    const QStringList tightened = m_stores.takeTightenedFiles();
    if (!tightened.isEmpty()) {
        m_prompter.tell(
            QStringLiteral("以下文件原先其他用户也能读取，其中存有密码，已改为仅本用户可读写:\n") +
            tightened.join(QLatin1Char('\n')));
    }
    return ok;
}

bool StationSession::openStores(QString* error)
{
    bool ok = true;
    QString reason;
    if (m_stores.openLogin(&reason)) {
        QSqlDatabase& loginDb = m_stores.loginDb();
        m_settings.setDatabase(loginDb);
        if (const auto server = ServerRow::read(loginDb, &reason)) {
            m_context.server = *server;
        } else {
            ok = failWith(error, reason);
        }
        LoginDbUpgrades::addMultiWaybillColumns(loginDb);
        LoginDbUpgrades::addWeightGuardColumns(loginDb);
        LoginDbUpgrades::addStatementTimeoutColumn(loginDb);
        if (!m_stores.provideDemoShop(&reason)) {
            ok = failWith(error, reason);
        }
    } else {
        ok = failWith(error, reason);
    }
    // Postage.db opens even without login.db: its rules stay reachable for the postage dialogs.
    if (!m_stores.openPostage(&reason)) {
        return failWith(error, reason);
    }
    return loadScale(error) && ok;
}

bool StationSession::loadScale(QString* error)
{
    StationSettings::Options options;
    QString reason;
    if (!m_settings.read(&options, &reason)) {
        return failWith(error, reason);
    }
    m_scale.portNumber = options.portNumber;
    m_scale.scaleTypeIndex = options.scaleTypeId - 1;
    QSqlDatabase& loginDb = m_stores.loginDb();
    LoginDbUpgrades::addBaudRates(loginDb);
    const auto type = ScaleSettingsStore::typeValues(loginDb, options.scaleTypeId);
    if (type) {
        m_scale.scaleRange = type->range;
        m_scale.baudRate = type->baudRate;
    }
    // Without a range every weight would read as over it; the operator learns the real cause once
    // here, and the scan tab refuses to ship until the scale settings are chosen again.
    if (!type || !(type->range > 0)) {
        m_prompter.inform(!type ? QStringLiteral("电子秤设置已损坏:找不到所选的电子秤类型,"
                                                 "请在电子秤设置中重新选择电子秤类型并填写量程!")
                                : QStringLiteral("电子秤设置已损坏:所选电子秤类型的量程不是大于0的数,"
                                                 "请在电子秤设置中重新填写量程!"));
    }
    return true;
}

LoginService::Result StationSession::logIn(const QString& userName, const QString& password)
{
    return LoginService::logIn(orderDb(), m_stores.loginOpen() ? &m_settings : nullptr, m_context, userName,
                               password);
}
