#include "app/StationStores.h"

#include "app/ServerRow.h"
#include "postage/DemoPostageRules.h"
#include "postage/PostageTables.h"
#include "store/DemoOrderData.h"
#include "store/LocalFile.h"
#include "store/LocalSchema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

namespace {

// The tables a login.db has had since the oldest release; the newer ones are added by the upgrades.
const QStringList kLoginTables = {QStringLiteral("server"), QStringLiteral("Users"),
                                  QStringLiteral("Initialization"), QStringLiteral("ScaleTypel"),
                                  QStringLiteral("Scale")};
const QStringList kPostageTables = {QStringLiteral("rule"), QStringLiteral("rule1"), QStringLiteral("rule2"),
                                    QStringLiteral("SndStyle_Form")};

// Tables made and nothing else in them: no rule and no company bound to a style.
bool isUnfilled(QSqlDatabase& postageDb)
{
    QSqlQuery query(postageDb);
    return query.exec(
               QStringLiteral("select (select count(*) from rule) + (select count(*) from rule1) + "
                              "(select count(*) from rule2) + (select count(*) from SndStyle_Form)")) &&
           query.next() && query.value(0).toInt() == 0;
}

} // namespace

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

QString StationStores::demoPath() const
{
    return m_dataFolder + QString::fromLatin1(kDemoFileName);
}

void StationStores::keepPrivate(const QString& path)
{
    if (LocalFile::tightenToOwner(path)) {
        m_tightened << path;
    }
}

bool StationStores::openLogin(QString* error)
{
    keepPrivate(loginPath());
    keepPrivate(demoPath());
    m_login = std::make_unique<SqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("login"));
    return openLocalFile(
        *m_login, loginPath(), kLoginTables,
        [this](QSqlDatabase& db, QString* e) { return createLoginFile(db, e); }, error);
}

bool StationStores::openPostage(QString* error)
{
    keepPrivate(postagePath());
    m_postage = std::make_unique<SqlConnection>(QStringLiteral("QSQLITE"), QStringLiteral("postage"));
    if (!openLocalFile(
            *m_postage, postagePath(), kPostageTables,
            [this](QSqlDatabase& db, QString* e) { return createPostageFile(db, e); }, error)) {
        return false;
    }
    // A start of an older release killed between the tables and the rules left the demo shop's
    // Postage.db empty; every parcel would fail on its postage.
    if (isUnfilled(postageDb()) && servesDemoShop()) {
        return createPostageFile(postageDb(), error);
    }
    return true;
}

bool StationStores::provideDemoShop(QString* error)
{
    if (!servesDemoShop()) {
        return true;
    }
    DemoOrderOptions options;
    options.trades = kDemoTrades;
    return provideDemoOrderDatabase(demoPath(), options, error);
}

bool StationStores::servesDemoShop()
{
    if (!loginOpen()) {
        return false;
    }
    const auto server = ServerRow::read(loginDb());
    return server && OrderDatabase::isEmbedded(*server) &&
           QFileInfo(OrderDatabase::embeddedPath(*server, m_dataFolder)) == QFileInfo(demoPath());
}

QStringList StationStores::takeTightenedFiles()
{
    return std::exchange(m_tightened, {});
}

bool StationStores::createLoginFile(QSqlDatabase& db, QString* error)
{
    // The shop comes first: login.db appears only once everything it points at is there.
    DemoOrderOptions options;
    options.trades = kDemoTrades;
    return provideDemoOrderDatabase(demoPath(), options, error) &&
           LocalSchema::createLoginTables(
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
