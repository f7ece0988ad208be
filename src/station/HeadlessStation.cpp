#include "station/HeadlessStation.h"

#include "base/Texts.h"

#include "app/LoginService.h"
#include "app/ServerRow.h"
#include "station/ScanOptions.h"
#include "station/ShipProcedure.h"
#include "station/StationServices.h"
#include "store/LocalQuery.h"
#include "store/LoginDbUpgrades.h"

#include <QDir>
#include <QSqlRecord>
#include <QVariant>

HeadlessStation::HeadlessStation(Options options, Listener onLine, Listener onMessage)
    : m_options(std::move(options))
    , m_stores(m_options.dataDir)
    , m_prompter(m_options.answer, std::move(onMessage))
    , m_report(m_sounds, std::move(onLine))
{
}

HeadlessStation::~HeadlessStation() = default;

bool HeadlessStation::start(QString* error)
{
    if (!QDir(m_options.dataDir).exists()) {
        *error = QStringLiteral("数据目录不存在:") + m_options.dataDir;
        return false;
    }
    QString reason;
    if (!m_stores.openLogin(&reason)) {
        *error = QStringLiteral("程序配置文件访问失败! ") + reason;
        return false;
    }
    QSqlDatabase& loginDb = m_stores.loginDb();
    m_context.programFolder = m_stores.dataFolder();
    m_context.server = ServerRow::read(loginDb).value_or(ServerSettings{});
    LoginDbUpgrades::addMultiWaybillColumns(loginDb);
    if (!m_stores.openPostage(&reason)) {
        *error = QStringLiteral("程序配置文件访问失败! ") + reason;
        return false;
    }
    LoginDbUpgrades::addBaudRates(loginDb);

    const LoginService::Result login =
        LoginService::logIn(m_stores.orderDb(), &loginDb, m_context, m_options.user, m_options.password);
    if (login.outcome != LoginService::Outcome::LoggedIn) {
        *error = login.message;
        return false;
    }
    return loadOptions(error);
}

bool HeadlessStation::loadOptions(QString* error)
{
    QSqlDatabase& loginDb = m_stores.loginDb();
    const auto stored = ScanOptions::read(loginDb);
    const auto scale =
        LocalQuery::firstRow(loginDb, QStringLiteral("select ScaleType from Initialization where ID = 1"));
    if (!stored || !scale) {
        *error = QString::fromUtf8(Texts::kConfigAccessFailed);
        return false;
    }
    m_scaleTypeIndex = scale->value(0).toInt() - 1;
    if (const auto type =
            LocalQuery::firstRow(loginDb, QStringLiteral("select ScaleRange from ScaleTypel where ID=?"),
                                 {m_scaleTypeIndex + 1})) {
        m_scaleRange = type->value(0).toDouble();
    }

    m_view.summary = stored->summary;
    m_view.weighOnly = stored->weighOnly;
    m_view.tradeNumber = m_options.tradeNumber;
    m_view.manualPostage = m_options.postage.has_value();
    // The pick-lists as the window fills them: an empty entry first, a remembered value selected
    // when it is still in the list, and locked while remembered or not asked for.
    OrderDatabase& orderDb = m_stores.orderDb();
    const QStringList staff = orderDb.staffNames();
    const QStringList packages = orderDb.packageNames();
    const auto fill = [](PlainScanView::Staff& box, const ScanOptions::StaffSetting& setting,
                         const QStringList& entries) {
        box.enabled = setting.used && !setting.remembered;
        box.selected = true;
        box.text.clear();
        if (setting.remembered) {
            box.selected = entries.contains(setting.value);
            box.text = box.selected ? setting.value : QString();
        }
    };
    fill(m_view.picker, stored->picker, staff);
    fill(m_view.packer, stored->packer, staff);
    fill(m_view.package, stored->package, packages);
    return true;
}

ShipOutcome HeadlessStation::ship(const QString& weightKg, const QString& scan)
{
    m_view.weight = weightKg;
    m_view.scan = scan;
    if (m_options.postage) {
        m_view.postage = *m_options.postage;
    }
    StationServices services{m_stores.orderDb(),
                             m_stores.loginOpen() ? &m_stores.loginDb() : nullptr,
                             m_stores.postageOpen() ? &m_stores.postageDb() : nullptr,
                             m_prompter,
                             m_report,
                             m_sounds,
                             m_context.operatorName,
                             m_scaleTypeIndex,
                             m_scaleRange};
    return ShipProcedure(services, m_view).run();
}
