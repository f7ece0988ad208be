#include "app/HeadlessStation.h"

#include "station/ShipProcedure.h"
#include "station/StationServices.h"

#include <QDir>

HeadlessStation::HeadlessStation(Options options, Listener onLine, Listener onMessage)
    : m_options(std::move(options))
    , m_prompter(m_options.answer, std::move(onMessage))
    , m_session(m_options.dataDir, m_prompter, m_sounds)
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
    if (!m_session.start(error)) {
        return false;
    }
    const LoginService::Result login = m_session.logIn(m_options.user, m_options.password);
    if (login.outcome != LoginService::Outcome::LoggedIn) {
        *error = login.message;
        return false;
    }
    return loadOptions(error);
}

bool HeadlessStation::loadOptions(QString* error)
{
    StationSettings::Options stored;
    if (!m_session.settings().read(&stored, error)) {
        return false;
    }
    m_view.summary = stored.summary;
    m_view.weighOnly = stored.weighOnly;
    m_view.tradeNumber = m_options.tradeNumber;
    m_view.manualPostage = m_options.postage.has_value();
    // The pick-lists as the window fills them: an empty entry first, a remembered value selected
    // when it is still in the list, and locked while remembered or not asked for.
    OrderDatabase& orderDb = m_session.orderDb();
    const QStringList staff = orderDb.staffNames();
    const QStringList packages = orderDb.packageNames();
    const auto fill = [](PlainScanView::Staff& box, const StationSettings::StaffSetting& setting,
                         const QStringList& entries) {
        box.enabled = setting.used && !setting.remembered;
        box.selected = true;
        box.text.clear();
        if (setting.remembered) {
            box.selected = entries.contains(setting.value);
            box.text = box.selected ? setting.value : QString();
        }
    };
    fill(m_view.picker, stored.picker, staff);
    fill(m_view.packer, stored.packer, staff);
    fill(m_view.package, stored.package, packages);
    return true;
}

ShipOutcome HeadlessStation::ship(const QString& weightKg, const QString& scan)
{
    m_view.weight = weightKg;
    m_view.scan = scan;
    if (m_options.postage) {
        m_view.postage = *m_options.postage;
    }
    const ScaleState& scale = m_session.scale();
    StationServices services{m_session.orderDb(),
                             m_session.settings(),
                             m_session.postageDb(),
                             m_prompter,
                             m_report,
                             m_sounds,
                             m_session.context().operatorName,
                             scale.scaleTypeIndex,
                             scale.scaleRange};
    return ShipProcedure(services, m_view).run();
}
