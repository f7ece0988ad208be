#include "app/ConnectionSettings.h"

#include "base/Texts.h"

#include "app/ServerRow.h"

ConnectionSettings::Result ConnectionSettings::save(QSqlDatabase& loginDb, const ServerSettings& typed)
{
    if (typed.serverIp.isEmpty() || typed.dataBase.isEmpty() || typed.userName.isEmpty()) {
        return {Outcome::EmptyField, QStringLiteral("输入不能为空!")};
    }
    if (!ServerRow::write(loginDb, typed)) {
        return {Outcome::WriteFailed, QString::fromUtf8(Texts::kConfigAccessFailed)};
    }
    return {Outcome::Saved, QStringLiteral("数据库配置修改成功,请退出重新启动程序!")};
}
