#include "Commands.h"
#include "Options.h"
#include "SignalWatch.h"

#include "scale/PseudoTerminal.h"
#include "scale/ScaleFrames.h"
#include "scale/ScaleRecording.h"
#include "scale/ScaleReplay.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

namespace {

// One line of standard input: a weight, raw bytes, or a change of sending.
class SimulatedScale : public QObject
{
public:
    SimulatedScale(PseudoTerminal& line, int scaleTypeIndex, double weight, int intervalMs)
        : m_line(line)
        , m_scaleTypeIndex(scaleTypeIndex)
        , m_weight(weight)
        , m_stdin(STDIN_FILENO, QSocketNotifier::Read)
    {
        m_timer.setInterval(intervalMs);
        connect(&m_timer, &QTimer::timeout, this,
                [this] { m_line.write(ScaleFrames::frame(m_scaleTypeIndex, m_weight)); });
        connect(&m_stdin, &QSocketNotifier::activated, this, &SimulatedScale::readInput);
        m_timer.start();
    }

private:
    void readInput()
    {
        char buffer[1024];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            // Without commands the scale keeps sending until it is ended by a signal.
            m_stdin.setEnabled(false);
            return;
        }
        m_pending.append(buffer, n);
        qsizetype end = 0;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(m_pending.left(end)).trimmed();
            m_pending.remove(0, end + 1);
            command(line);
        }
    }

    void command(const QString& line)
    {
        if (line.isEmpty()) {
            return;
        }
        if (line == QLatin1String("stop")) {
            m_timer.stop();
        } else if (line == QLatin1String("start")) {
            m_timer.start();
        } else if (line == QLatin1String("quit")) {
            QCoreApplication::quit();
        } else if (line.startsWith(QLatin1String("raw "))) {
            const auto bytes = ScaleFrames::unescape(line.mid(4));
            if (!bytes) {
                printError(QStringLiteral("broken escape in: ") + line);
            } else if (!m_line.write(*bytes)) {
                printError(QStringLiteral("the line did not take the bytes (nobody reading?)"));
            }
        } else {
            bool ok = false;
            const double weight = line.toDouble(&ok);
            if (ok) {
                m_weight = weight;
            } else {
                printError(QStringLiteral("not a command: ") + line);
            }
        }
    }

    PseudoTerminal& m_line;
    const int m_scaleTypeIndex;
    double m_weight;
    QTimer m_timer;
    QSocketNotifier m_stdin;
    QByteArray m_pending;
};

// Plays a recorded session on a new pseudo-terminal: the device is printed, the first chunk goes
// out after the delay (time to point the program at the device), and once the last has gone the
// line stays open until the command is ended, so the program does not see a pulled cable.
int replay(const QString& path, int delayMs)
{
    QList<RecordedChunk> chunks;
    QString error;
    if (!ScaleRecording::load(path, &chunks, &error)) {
        printError(error);
        return 2;
    }
    SignalWatch ending;
    QObject::connect(&ending, &SignalWatch::received, QCoreApplication::instance(), &QCoreApplication::quit);
    PseudoTerminal line;
    if (!line.isOpen()) {
        printError(QStringLiteral("cannot open a pseudo-terminal: ") + line.errorString());
        return 1;
    }
    printLine(line.devicePath());
    ScaleReplay player(line, chunks);
    QObject::connect(&player, &ScaleReplay::finished, &player,
                     [] { printLine(QStringLiteral("replay finished")); });
    QTimer::singleShot(delayMs, &player, &ScaleReplay::start);
    return QCoreApplication::exec();
}

} // namespace

int runSimulate(const QStringList& arguments)
{
    Options options;
    if (!options.parse(arguments,
                       {QStringLiteral("protocol"), QStringLiteral("weight"), QStringLiteral("interval"),
                        QStringLiteral("replay"), QStringLiteral("delay")})) {
        printError(options.error());
        return 2;
    }
    if (options.has(QStringLiteral("replay"))) {
        const auto delay = options.integer(QStringLiteral("delay"), 1000);
        if (!delay || options.has(QStringLiteral("weight"))) {
            printError(delay ? QStringLiteral("--replay plays a recording; --weight does not go with it")
                             : options.error());
            return 2;
        }
        return replay(options.text(QStringLiteral("replay")), *delay);
    }
    if (!options.has(QStringLiteral("weight"))) {
        printError(QStringLiteral("--weight is needed"));
        return 2;
    }
    const auto index = options.protocol();
    const auto weight = options.number(QStringLiteral("weight"), 0.0);
    const auto interval = options.integer(QStringLiteral("interval"), 100);
    if (!index || !weight || !interval) {
        printError(options.error());
        return 2;
    }
    SignalWatch ending;
    QObject::connect(&ending, &SignalWatch::received, QCoreApplication::instance(), &QCoreApplication::quit);
    PseudoTerminal line;
    if (!line.isOpen()) {
        printError(QStringLiteral("cannot open a pseudo-terminal: ") + line.errorString());
        return 1;
    }
    printLine(line.devicePath());
    SimulatedScale scale(line, *index, *weight, *interval);
    return QCoreApplication::exec();
}
