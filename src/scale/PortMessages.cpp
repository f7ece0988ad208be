#include "scale/PortMessages.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace PortMessages {

QString portLabel(int portNumber, const QString& device)
{
    if (!device.isEmpty()) {
        return device;
    }
    return QStringLiteral("COM%1").arg(portNumber);
}

QString lockFileFor(const QString& device)
{
    // Named as the serial port library names it: the device's path below /dev with each '/' as
    // '_' (LCK..ttyUSB0, LCK..pts_3, LCK..serial_by-id_usb-…), in the first of its lock folders
    // that holds it; /var/lock when none does.
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/"))) {
        name.remove(0, 5);
    }
    name = QStringLiteral("LCK..") + name.replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const char* folder : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp",
                               "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        const QString path = QLatin1String(folder) + QLatin1Char('/') + name;
        if (QFileInfo::exists(path)) {
            return path;
        }
    }
    return QStringLiteral("/var/lock/") + name;
}

QString openFailure(const QString& label, QSerialPort::SerialPortError error, bool accessible)
{
    if (error == QSerialPort::PermissionError) {
        if (!accessible) {
            return label + QStringLiteral(":无法连接，当前用户没有使用该串口的权限!"
                                          "请把用户加入 dialout 组(sudo usermod -aG dialout 用户名)，"
                                          "重新登录后再试。");
        }
        return label + QStringLiteral(":无法连接，串口正被其他程序使用，或留有过期的锁文件 ") +
               lockFileFor(label) + QStringLiteral("，请关闭占用串口的程序或删除该锁文件后再试!");
    }
    return label + QStringLiteral(":无法连接，请检查!");
}

QString failureReport(const QString& step, const QString& systemText, const QString& label)
{
    return QStringLiteral("WARNING:  %1 Failed with the following error: \n%2\nPort: %3\n")
        .arg(step, systemText, label);
}

bool deviceAccessible(const QString& device)
{
    const QByteArray path = QFile::encodeName(device);
    return ::access(path.constData(), R_OK | W_OK) == 0;
}

} // namespace PortMessages
