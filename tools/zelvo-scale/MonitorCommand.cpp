#include "Commands.h"
#include "Options.h"
#include "SignalWatch.h"

#include "base/Prompter.h"
#include "scale/ScaleReaderHost.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

namespace {

// The reader's messages go to standard error; the monitor never asks anything.
class StreamPrompter : public Prompter
{
public:
    void inform(const QString& text) override { printError(text); }
    bool ask(const QString& text) override
    {
        printError(text);
        return true;
    }
};

} // namespace

int runMonitor(const QStringList& arguments)
{
    Options options;
    if (!options.parse(arguments, {QStringLiteral("device"), QStringLiteral("protocol"),
                                   QStringLiteral("baud"), QStringLiteral("range")})) {
        printError(options.error());
        return 2;
    }
    if (options.text(QStringLiteral("device")).isEmpty()) {
        printError(QStringLiteral("--device is needed"));
        return 2;
    }
    const auto index = options.protocol();
    const auto baud = options.integer(QStringLiteral("baud"), 9600);
    const auto range = options.number(QStringLiteral("range"), 30.0);
    if (!index || !baud || !range) {
        printError(options.error());
        return 2;
    }

    SignalWatch ending;
    StreamPrompter prompter;
    ScaleReaderHost host(prompter);
    QObject::connect(&host, &ScaleReaderHost::weightText, &host, [](const QString& text) {
        printLine(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + text);
    });
    bool interrupted = false;
    QObject::connect(&ending, &SignalWatch::received, &host, [&interrupted] {
        interrupted = true;
        QCoreApplication::quit();
    });

    ReaderConfig config;
    config.scaleTypeIndex = *index;
    config.portNumber = 1;
    config.device = options.text(QStringLiteral("device"));
    config.baudRate = *baud;
    config.scaleRange = *range;
    if (!host.start(config)) {
        return 1;
    }
    // A reader that ended by itself (the device went away) ends the monitor once its last text
    // has been printed.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &host, [&host] {
        if (host.isStopRequested()) {
            QTimer::singleShot(100, QCoreApplication::instance(), &QCoreApplication::quit);
        }
    });
    watch.start(100);
    QCoreApplication::exec();
    host.stopAndWait();
    return interrupted ? 0 : 1;
}
