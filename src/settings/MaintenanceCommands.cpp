#include "settings/MaintenanceCommands.h"

#include "base/Prompter.h"
#include "store/OrderDatabase.h"

#include <QThread>

namespace {

// Runs on the command's thread: a connection belongs to the thread that opened it.
bool runOn(MaintenanceCommands::Command command, const MaintenanceCommands::Caller& caller, QString* error)
{
    OrderDatabase orderDb;
    if (!orderDb.open(caller.server, caller.dataFolder, error)) {
        return false;
    }
    const bool ok = command == MaintenanceCommands::Command::CopyEstimatedWeight
                        ? orderDb.copyEstimatedGoodsWeight()
                        : orderDb.clearTradesAwaitingReview();
    if (!ok) {
        *error = orderDb.lastError();
    }
    return ok;
}

} // namespace

MaintenanceCommands::MaintenanceCommands(Prompter& prompter, std::function<bool()> askOperationCode,
                                         QObject* parent)
    : QObject(parent)
    , m_prompter(prompter)
    , m_askOperationCode(std::move(askOperationCode))
{
}

MaintenanceCommands::~MaintenanceCommands()
{
    if (m_thread) {
        m_thread->wait();
    }
}

bool MaintenanceCommands::request(Command command, const QString& caption, const Caller& caller)
{
    if (busy()) {
        return false;
    }
    if (!caller.administrator) {
        m_prompter.inform(QStringLiteral("当前登陆用户不是管理员，没有执行权限！"));
        return false;
    }
    if (!m_prompter.askWarning(QStringLiteral("警告！"),
                               QStringLiteral("请在软件管理员指导下运行，如有疑问请致电0555-55555555。"))) {
        return false;
    }
    if (!m_askOperationCode || !m_askOperationCode()) {
        return false;
    }
    m_caption = caption;
    m_ok = false;
    m_error.clear();
    m_thread.reset(QThread::create([this, command, caller] { m_ok = runOn(command, caller, &m_error); }));
    connect(m_thread.get(), &QThread::finished, this, &MaintenanceCommands::commandEnded);
    m_thread->start();
    emit busyChanged(true);
    return true;
}

void MaintenanceCommands::commandEnded()
{
    m_thread->wait();
    m_thread.reset();
    emit busyChanged(false);
    if (m_ok) {
        m_prompter.tell(QLatin1Char('"') + m_caption + QStringLiteral("\" 设置成功!"));
    } else {
        m_prompter.inform(m_error);
    }
    emit finished(m_ok);
}
