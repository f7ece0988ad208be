// zelvo-scale: the scale's frame decoder and reader on the command line, and a simulated scale.

#include "Commands.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

const char* const Usage =
    "usage:\n"
    "  zelvo-scale decode --protocol A|B|C|D [--range KG]\n"
    "      reads raw scale bytes from standard input and prints every text the weight box shows\n"
    "  zelvo-scale simulate --protocol A|B|C|D --weight KG [--interval MS]\n"
    "      opens a pseudo-terminal, prints its device and sends frames of the weight; lines on\n"
    "      standard input: a number (new weight), 'raw TEXT' (bytes, escapes \\r \\n \\t \\\\ \\xHH),\n"
    "      'stop' and 'start' (sending), 'quit'\n"
    "  zelvo-scale simulate --replay FILE [--delay MS]\n"
    "      opens a pseudo-terminal, prints its device and, after the delay (default 1000), plays a\n"
    "      recorded session onto it at the recorded pace\n"
    "  zelvo-scale monitor --device PATH --protocol A|B|C|D [--baud N] [--range KG] [--record FILE]\n"
    "      reads a serial port through the program's reader and prints each text with a time stamp;\n"
    "      --record keeps the raw bytes with their arrival times in FILE for a replay\n";

} // namespace

void printLine(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printError(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("decode")) {
        return runDecode(arguments);
    }
    if (command == QLatin1String("simulate")) {
        return runSimulate(arguments);
    }
    if (command == QLatin1String("monitor")) {
        return runMonitor(arguments);
    }
    if (command != QLatin1String("--help") && command != QLatin1String("-h")) {
        printError(QStringLiteral("unknown command: ") + command);
    }
    std::fputs(Usage, stderr);
    return 2;
}
