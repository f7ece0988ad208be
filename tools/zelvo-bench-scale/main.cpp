// zelvo-bench-scale: how fast the weight frame decoder runs, how long a frame takes from the scale's
// line to the weight box through the real reader on a pseudo-terminal paced at 9600 baud, and how
// long from the frame that settles a parcel to the stable mark, frames every 100 ms.
//
//   zelvo-bench-scale [--megabytes N] [--frames N] [--parcels N]

#include "base/Prompter.h"
#include "scale/PseudoTerminal.h"
#include "scale/ScaleFrames.h"
#include "scale/ScaleReaderHost.h"
#include "scale/WeightDecoder.h"

#include <QCoreApplication>
#include <QHash>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include <time.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Protocol
{
    const char* name;
    int index;
};
constexpr Protocol Protocols[] = {{"A", 0}, {"B", 1}, {"C", 2}, {"D", 4}};

class SilentPrompter : public Prompter
{
public:
    void inform(const QString& text) override { std::fprintf(stderr, "%s\n", text.toUtf8().constData()); }
    bool ask(const QString&) override { return true; }
};

// Frames of many different weights, as a scale sends while a parcel settles.
QByteArray frameStream(int index, qsizetype bytes)
{
    QByteArray stream;
    stream.reserve(bytes + 32);
    for (int i = 0; stream.size() < bytes; ++i) {
        stream += ScaleFrames::frame(index, (i % 29000) / 1000.0 + (i % 7 == 0 ? -0.5 : 0.0));
    }
    return stream;
}

void decoderThroughput(int megabytes)
{
    std::printf("decoder throughput (%d MB of frames per protocol, best of 3)\n", megabytes);
    for (const Protocol& protocol : Protocols) {
        const QByteArray stream = frameStream(protocol.index, qsizetype(megabytes) * 1024 * 1024);
        double best = 0;
        qsizetype shown = 0;
        for (int run = 0; run < 3; ++run) {
            WeightDecoder decoder;
            decoder.setSettings({protocol.index, 1, 30.0});
            shown = 0;
            const auto start = Clock::now();
            for (const char byte : stream) {
                if (decoder.decode(byte)) {
                    ++shown;
                }
            }
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            best = std::max(best, stream.size() / seconds / (1024.0 * 1024.0));
        }
        std::printf("  protocol %s: %8.1f MB/s (%lld texts per pass)\n", protocol.name, best,
                    static_cast<long long>(shown));
    }
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * double(values.size() - 1) + 0.5);
    return values.at(at);
}

// Sends `frames` frames byte by byte at the pace of 9600 baud (10 bits a byte) and notes when the
// byte that completes each frame (CR or '=') has been written.
void paceFrames(PseudoTerminal& line, const std::vector<QByteArray>& frames,
                std::vector<Clock::time_point>& ends)
{
    const auto byteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 9600);
    auto due = Clock::now() + std::chrono::milliseconds(50);
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const QByteArray& frame = frames[f];
        for (const char byte : frame) {
            due += byteTime;
            const auto ns =
                std::chrono::duration_cast<std::chrono::nanoseconds>(due.time_since_epoch()).count();
            timespec at{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
            line.write(QByteArrayView(&byte, 1));
            if (byte == '\r' || byte == '=') {
                ends[f] = Clock::now();
            }
        }
    }
}

void frameDelay(int frameCount)
{
    std::printf("delay from the frame's last byte on the line to the weight text, 9600 baud, %d frames\n",
                frameCount);
    for (const Protocol& protocol : Protocols) {
        PseudoTerminal line;
        if (!line.isOpen()) {
            std::printf("  no pseudo-terminal: %s\n", line.errorString().toUtf8().constData());
            return;
        }
        SilentPrompter prompter;
        ScaleReaderHost host(prompter);
        ReaderConfig config;
        config.scaleTypeIndex = protocol.index;
        config.portNumber = 1;
        config.device = line.devicePath();
        config.baudRate = 9600;
        config.scaleRange = 30.0;
        if (!host.start(config)) {
            return;
        }

        // Every frame a weight of its own, so each text names its frame; the first frame only
        // brings the decoder in step.
        std::vector<QByteArray> frames;
        QHash<QString, std::size_t> frameOf;
        WeightDecoder reference;
        reference.setSettings({protocol.index, 1, 30.0});
        frames.push_back(ScaleFrames::frame(protocol.index, 0.5));
        (void)reference.decodeAll(frames.back());
        for (int i = 0; i < frameCount; ++i) {
            frames.push_back(ScaleFrames::frame(protocol.index, 1.0 + i * 0.001));
            const QStringList texts = reference.decodeAll(frames.back());
            if (!texts.isEmpty()) {
                frameOf.insert(texts.last(), frames.size() - 1);
            }
        }
        std::vector<Clock::time_point> ends(frames.size());
        std::vector<Clock::time_point> shownAt(frames.size());
        std::vector<bool> seen(frames.size(), false);
        QObject::connect(&host, &ScaleReaderHost::weightText, &host, [&](const QString& text) {
            const auto now = Clock::now();
            const auto it = frameOf.constFind(text);
            if (it != frameOf.constEnd() && !seen[*it]) {
                seen[*it] = true;
                shownAt[*it] = now;
            }
        });

        std::atomic<bool> done{false};
        std::thread writer([&] {
            paceFrames(line, frames, ends);
            done = true;
        });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &host, [&] {
            if (done) {
                QTimer::singleShot(200, QCoreApplication::instance(), &QCoreApplication::quit);
                poll.stop();
            }
        });
        poll.start(20);
        QCoreApplication::exec();
        writer.join();

        std::vector<double> delays;
        for (std::size_t f = 1; f < frames.size(); ++f) {
            if (seen[f]) {
                delays.push_back(std::chrono::duration<double, std::milli>(shownAt[f] - ends[f]).count());
            }
        }
        if (delays.empty()) {
            std::printf("  protocol %s: no frame reached the weight box\n", protocol.name);
            continue;
        }
        std::printf("  protocol %s: median %.3f ms, 95%% %.3f ms, max %.3f ms (%zu of %d frames shown)\n",
                    protocol.name, percentile(delays, 0.5), percentile(delays, 0.95),
                    *std::max_element(delays.begin(), delays.end()), delays.size(), frameCount);
    }
}

// Parcels put on, swinging, settling, and taken off again, a protocol A frame every 100 ms paced
// byte by byte at 9600 baud. For each stable mark: the time from the end of the last frame before
// it (the frame that settled the weight) to the mark.
void stableMark(int parcels)
{
    std::printf("from the settling frame to the stable mark, protocol A, 9600 baud, a frame every 100 ms, "
                "%d parcels\n",
                parcels);
    PseudoTerminal line;
    SilentPrompter prompter;
    ScaleReaderHost host(prompter);
    ReaderConfig config;
    config.portNumber = 1;
    config.device = line.devicePath();
    config.baudRate = 9600;
    config.scaleRange = 30.0;
    if (!line.isOpen() || !host.start(config)) {
        std::printf("  no pseudo-terminal\n");
        return;
    }
    std::vector<QByteArray> frames;
    for (int p = 0; p < parcels; ++p) {
        const double weight = 0.3 + (p % 50) * 0.137;
        for (const double swing : {0.031, -0.022, 0.012}) {
            frames.push_back(ScaleFrames::frame(0, weight + swing));
        }
        for (int i = 0; i < 5; ++i) {
            frames.push_back(ScaleFrames::frame(0, weight));
        }
        for (int i = 0; i < 5; ++i) {
            frames.push_back(ScaleFrames::frame(0, 0.0));
        }
    }
    std::vector<Clock::time_point> ends(frames.size());
    std::vector<Clock::time_point> marks;
    QObject::connect(&host, &ScaleReaderHost::stableChanged, &host, [&marks](bool stable) {
        if (stable) {
            marks.push_back(Clock::now());
        }
    });
    std::atomic<bool> done{false};
    std::thread writer([&] {
        const auto byteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 9600);
        const auto begin = Clock::now() + std::chrono::milliseconds(50);
        for (std::size_t f = 0; f < frames.size(); ++f) {
            auto due = begin + std::chrono::milliseconds(100) * f;
            for (const char byte : frames[f]) {
                due += byteTime;
                const auto ns =
                    std::chrono::duration_cast<std::chrono::nanoseconds>(due.time_since_epoch()).count();
                timespec at{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
                // Taken before the write: the reader may see the byte before this thread runs on.
                const auto written = Clock::now();
                line.write(QByteArrayView(&byte, 1));
                if (byte == '\r') {
                    ends[f] = written;
                }
            }
        }
        done = true;
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &host, [&] {
        if (done) {
            QTimer::singleShot(200, QCoreApplication::instance(), &QCoreApplication::quit);
            poll.stop();
        }
    });
    poll.start(20);
    QCoreApplication::exec();
    writer.join();
    std::vector<double> delays;
    for (const Clock::time_point mark : marks) {
        const auto settling = std::upper_bound(ends.begin(), ends.end(), mark);
        if (settling != ends.begin()) {
            delays.push_back(std::chrono::duration<double, std::milli>(mark - *std::prev(settling)).count());
        }
    }
    if (delays.empty()) {
        std::printf("  no stable mark\n");
        return;
    }
    std::printf("  median %.3f ms, p99 %.3f ms, max %.3f ms (%zu marks for %d parcels on and off)\n",
                percentile(delays, 0.5), percentile(delays, 0.99),
                *std::max_element(delays.begin(), delays.end()), delays.size(), parcels);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int megabytes = 64;
    int frames = 300;
    int parcels = 40;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        bool ok = false;
        const int value = args.at(i + 1).toInt(&ok);
        if (!ok || value <= 0) {
            std::fprintf(stderr, "%s needs a whole number above 0\n", args.at(i).toUtf8().constData());
            return 2;
        }
        if (args.at(i) == QLatin1String("--megabytes")) {
            megabytes = value;
        } else if (args.at(i) == QLatin1String("--frames")) {
            frames = value;
        } else if (args.at(i) == QLatin1String("--parcels")) {
            parcels = value;
        } else {
            std::fprintf(stderr, "usage: zelvo-bench-scale [--megabytes N] [--frames N] [--parcels N]\n");
            return 2;
        }
    }
    decoderThroughput(megabytes);
    frameDelay(frames);
    stableMark(parcels);
    return 0;
}
