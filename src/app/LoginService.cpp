#include "app/LoginService.h"

#include "store/OrderDatabase.h"
#include "store/OrderDatabaseFailure.h"
#include "store/StationSettings.h"

#include <QStringEncoder>

QString LoginService::storedPasswordForm(const QString& typed, const QString& dataBase)
{
    if (typed.isEmpty() || dataBase != QLatin1String("wdgj31")) {
        return typed;
    }
    QStringEncoder gbk("GBK");
    const QByteArray bytes = gbk.encode(typed);
    return QString::fromLatin1(bytes.toBase64());
}

QString LoginService::unreadableMessage(const QString& databaseError)
{
    // The connection settings are right when the database answered; only an unknown cause keeps
    // the program's advice to set them again.
    const OrderDatabaseFailure::Failure failure = OrderDatabaseFailure::classify(databaseError);
    if (failure.cause == OrderDatabaseFailure::Cause::Unknown) {
        return QString::fromUtf8(kDatabaseAccessFailed);
    }
    const QString advice = failure.cause == OrderDatabaseFailure::Cause::Locked ||
                                   failure.cause == OrderDatabaseFailure::Cause::TimedOut
                               ? QStringLiteral(",请稍后再登录!")
                               : QStringLiteral(",无法登录,请联系管理员!");
    return QStringLiteral("数据库访问失败:") + OrderDatabaseFailure::describe(failure) + advice;
}

LoginService::Result LoginService::logIn(OrderDatabase& orderDb, StationSettings* settings,
                                         LoginContext& context, const QString& userName,
                                         const QString& typedPassword)
{
    Result result;
    StationSettings::Options options;
    orderDb.setStatementTimeout(settings && settings->read(&options, nullptr)
                                    ? options.statementTimeout
                                    : StationSettings::kDefaultStatementTimeout);
    // The server's list of sessions names the station's user.
    orderDb.setStationUser(userName);
    // Without a server address there is nothing to try; an empty address would only wait for a timeout.
    if (context.server.serverIp.trimmed().isEmpty() ||
        !orderDb.open(context.server, context.programFolder, nullptr)) {
        result.message = QString::fromUtf8(kDatabaseAccessFailed);
        return result;
    }
    if (userName.isEmpty()) {
        result.outcome = Outcome::EmptyUserName;
        result.message = QStringLiteral("请输入用户名!");
        return result;
    }
    const QString password = storedPasswordForm(typedPassword, context.server.dataBase);
    std::optional<OrderDatabase::LoginUser> user;
    if (!orderDb.findLoginUser(userName, password, &user)) {
        result.outcome = Outcome::DatabaseUnreadable;
        result.message = unreadableMessage(orderDb.lastError());
        orderDb.close();
        return result;
    }
    if (!user) {
        result.outcome = Outcome::WrongCredentials;
        result.message = QStringLiteral("用户名或密码错误，请重新输入!");
        orderDb.close();
        return result;
    }
    if (user->blocked) {
        result.outcome = Outcome::Disabled;
        result.message = QStringLiteral("此用户已停用!");
        return result;
    }
    result.outcome = Outcome::LoggedIn;
    context.operatorName = userName;
    context.operatorGroup = user->groupId;
    if (!settings || !settings->storeDefaultLogin(userName, typedPassword, nullptr)) {
        result.rememberFailed = true;
        result.message = QString::fromUtf8(kDatabaseAccessFailed);
    }
    return result;
}
