#include "app/DataFolder.h"
#include "app/SingleInstance.h"
#include "app/gui/StationWindows.h"
#include "app/gui/TLogin.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvo"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    if (!instance.acquire()) {
        QMessageBox::information(nullptr, QStringLiteral("Zelvo"), QStringLiteral("程序已运行！"));
        return 0;
    }

    StationWindows windows(defaultDataFolder());
    QObject::connect(&windows, &StationWindows::finished, &app, &QApplication::quit);
    windows.login().show();
    app.exec();
    return 0;
}
