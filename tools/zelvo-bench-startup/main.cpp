// Measures how long the station takes from process start to a shown login window, and how much
// memory it holds once the demo operator has logged in and the main window is filled.
//
//   zelvo-bench-startup [--runs N] [--data-dir DIR]
//
// Each run is a fresh process (this program started again with --child) on the same data folder;
// the first, untimed run creates the folder's defaults. Run it with a display or with
// QT_QPA_PLATFORM=offscreen.
#include "app/gui/StationWindows.h"
#include "app/gui/TFunctionsDlg.h"
#include "app/gui/TLogin.h"
#include "store/DemoOrderData.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

// One start: show the login window, say so, log in, fill the main window, report memory, end.
int runChild(const QString& dataDir)
{
    StationWindows windows(dataDir);
    TLogin& login = windows.login();
    login.show();
    QTimer::singleShot(0, &login, [&windows, &login] {
        std::printf("shown\n");
        std::fflush(stdout);
        login.findChild<QComboBox*>(QStringLiteral("Username"))
            ->setEditText(QString::fromLatin1(DemoLogins::kOperatorName));
        login.findChild<QLineEdit*>(QStringLiteral("PSW"))
            ->setText(QString::fromLatin1(DemoLogins::kOperatorPassword));
        login.findChild<QPushButton*>(QStringLiteral("LoginBtn"))->click();
        QTimer::singleShot(200, &login, [&windows] {
            const bool shown = windows.mainWindow().isVisible();
            std::printf("rss %ld %s\n", residentKilobytes(), shown ? "main" : "no-main");
            std::fflush(stdout);
            QApplication::quit();
        });
    });
    return QApplication::exec();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("runs"), QStringLiteral("Timed starts."), QStringLiteral("N"), QStringLiteral("10")});
    parser.addOption({QStringLiteral("data-dir"), QStringLiteral("Data folder (default: a new one)."),
                      QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("child"), QStringLiteral("Internal: one measured start.")});
    parser.addHelpOption();
    parser.process(app);

    QTemporaryDir scratch;
    const QString dataDir =
        parser.isSet(QStringLiteral("data-dir")) ? parser.value(QStringLiteral("data-dir")) : scratch.path();
    if (parser.isSet(QStringLiteral("child"))) {
        return runChild(dataDir);
    }

    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    std::vector<double> startMs;
    std::vector<double> residentMb;
    for (int run = 0; run <= runs; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), QStringLiteral("--data-dir"), dataDir});
        double shownAt = -1;
        long rss = -1;
        while (child.state() != QProcess::NotRunning || child.canReadLine()) {
            if (!child.canReadLine() && !child.waitForReadyRead(30000) &&
                child.state() == QProcess::NotRunning) {
                break;
            }
            while (child.canReadLine()) {
                const QByteArray line = child.readLine().trimmed();
                if (line == "shown") {
                    shownAt = double(clock.nsecsElapsed()) / 1e6;
                } else if (line.startsWith("rss ")) {
                    rss = line.split(' ').value(1).toLong();
                }
            }
        }
        child.waitForFinished(10000);
        if (shownAt < 0 || rss < 0) {
            std::fprintf(stderr, "run %d did not report (exit %d)\n", run, child.exitCode());
            return 1;
        }
        if (run == 0) {
            continue; // the first start creates the data folder's defaults
        }
        startMs.push_back(shownAt);
        residentMb.push_back(double(rss) / 1024.0);
    }
    std::printf("runs: %d\nlogin window shown: median %.1f ms, max %.1f ms\nresident after login: median "
                "%.1f MB, max %.1f MB\n",
                runs, median(startMs), *std::max_element(startMs.begin(), startMs.end()), median(residentMb),
                *std::max_element(residentMb.begin(), residentMb.end()));
    return 0;
}
