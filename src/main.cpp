#include "app/DataFolder.h"
#include "app/SingleInstance.h"
#include "app/gui/MessageBoxPrompter.h"
#include "app/gui/StationWindows.h"
#include "app/gui/TLogin.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvo"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own buttons and dialogs ("确定", "取消", the save dialog) speak the program's language.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    SingleInstance instance;
    if (!instance.acquire()) {
        MessageBoxPrompter().tell(QStringLiteral("程序已运行！"));
        return 0;
    }

    // The settings beside the program are used even when its folder cannot be written; moving to
    // another folder is said once.
    const DataFolderChoice dataFolder = chooseDataFolder();
    if (!dataFolder.note.isEmpty()) {
        MessageBoxPrompter().tell(dataFolder.note);
    }
    StationWindows windows(dataFolder.folder);
    QObject::connect(&windows, &StationWindows::finished, &app, &QApplication::quit);
    windows.login().show();
    app.exec();
    return 0;
}
