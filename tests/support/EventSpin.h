#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <functional>

// Runs the event loop for that long, as the window does: the scale reader hands each byte over
// through it, and QTest::qWait would sleep between its slices and hold the scale back.
inline void spin(qint64 ms)
{
    QEventLoop loop;
    QTimer::singleShot(int(std::max<qint64>(0, ms)), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Spins until done, for at most ms; whether it is done.
inline bool spinUntil(const std::function<bool()>& done, int ms = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        spin(10);
    }
    return done();
}
