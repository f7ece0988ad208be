#include "Commands.h"
#include "Options.h"
#include "SignalWatch.h"

#include "base/Prompter.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleRecording.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTimer>

#include <memory>

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
    if (!options.parse(arguments,
                       {QStringLiteral("device"), QStringLiteral("protocol"), QStringLiteral("baud"),
                        QStringLiteral("range"), QStringLiteral("record")})) {
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
    // --record: every byte with its arrival, written chunk by chunk so that a monitor ended by a
    // signal or a pulled cable loses nothing.
    std::unique_ptr<QFile> record;
    ByteChunker chunker;
    std::optional<qint64> origin;
    const auto writeChunk = [&record, &origin](const RecordedChunk& chunk) {
        if (!origin) {
            origin = chunk.ms;
        }
        record->write(ScaleRecording::line(chunk, *origin));
        record->flush();
    };
    if (options.has(QStringLiteral("record"))) {
        record = std::make_unique<QFile>(options.text(QStringLiteral("record")));
        if (!record->open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            record->write(ScaleRecording::header()) < 0) {
            printError(record->fileName() + QStringLiteral(": ") + record->errorString());
            return 2;
        }
        QObject::connect(&host, &ScaleReaderHost::rawByte, &host, [&](qint64 ms, char byte) {
            if (auto closed = chunker.add(ms, byte)) {
                writeChunk(*closed);
            }
        });
    }
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
    if (record) {
        if (auto last = chunker.finish()) {
            writeChunk(*last);
        }
        record->close();
    }
    return interrupted ? 0 : 1;
}
