#include "app/StationStores.h"

#include "app/ServerRow.h"
#include "postage/DemoPostageRules.h"
#include "postage/PostageTables.h"
#include "store/DemoOrderData.h"
#include "store/LocalFile.h"
#include "store/LocalSchema.h"

#include <QDir>
#include <QFileInfo>

StationStores::StationStores(const QString& dataFolder)
    : m_dataFolder(dataFolder)
{
    if (!m_dataFolder.endsWith(QLatin1Char('/'))) {
        m_dataFolder += QLatin1Char('/');
    }
}

StationStores::~StationStores() = default;

QString StationStores::loginPath() const
{
    return m_dataFolder + QStringLiteral("login.db");
}

QString StationStores::postagePath() const
{
    return m_dataFolder + QStringLiteral("Postage.db");
}

bool StationStores::openLogin(QString* error)
{
    m_login = std::make_unique<SqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("login"));
    return openLocalFile(
        *m_login, loginPath(), [this](QSqlDatabase& db, QString* e) { return createLoginFile(db, e); },
        error);
}

bool StationStores::openPostage(QString* error)
{
    m_postage = std::make_unique<SqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("postage"));
    return openLocalFile(
        *m_postage, postagePath(), [this](QSqlDatabase& db, QString* e) { return createPostageFile(db, e); },
        error);
}

bool StationStores::createLoginFile(QSqlDatabase& db, QString* error)
{
    const QString demoPath = m_dataFolder + QString::fromLatin1(kDemoFileName);
    if (!QFileInfo::exists(demoPath)) {
        DemoOrderOptions options;
        options.trades = kDemoTrades;
        if (!createDemoOrderDatabase(demoPath, options, error)) {
            return false;
        }
    }
    return LocalSchema::createLoginTables(
        db, QString::fromLatin1(kEmbeddedPrefix) + QString::fromLatin1(kDemoFileName), error);
}

bool StationStores::createPostageFile(QSqlDatabase& db, QString* error)
{
    if (!createPostageTables(db, error)) {
        return false;
    }
    // Only a station on an embedded shop gets rules made up for it; a real shop's rules are its own.
    if (!loginOpen()) {
        return true;
    }
    const auto server = ServerRow::read(loginDb());
    if (!server || !OrderDatabase::isEmbedded(*server)) {
        return true;
    }
    OrderDatabase shop;
    if (!shop.open(*server, m_dataFolder, nullptr)) {
        return true;
    }
    return fillDemoPostageRules(db, shop.logisticNames(), error);
}
