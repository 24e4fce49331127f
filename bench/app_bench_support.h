// Shared pieces of the model benchmarks: a watch on the main thread's longest busy stretch, media, waiting.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "engine/merge/tools.h"

namespace tessellane::bench {

// This thread's time on a core and time spent runnable but waiting for one, in ns (Linux schedstat).
struct SchedTimes {
    qint64 running = 0;
    qint64 waiting = 0;
};

inline SchedTimes schedTimes() {
    SchedTimes times;
    if (std::FILE* file = std::fopen("/proc/thread-self/schedstat", "r")) {
        long long run = 0, wait = 0;
        if (std::fscanf(file, "%lld %lld", &run, &wait) == 2) times = {run, wait};
        std::fclose(file);
    }
    return times;
}

// Ticks every millisecond on the main thread; between two ticks the event loop could not run. Each gap
// is split by the scheduler's own accounting into time on a core (busy) and time runnable but waiting
// for a core (the machine is loaded); what is left is time the thread slept or was blocked, which
// includes the up to 1 ms the loop waits for the next tick. The longest busy stretch is what the
// window's code costs; the longest wall gap is what a user on this loaded machine would have seen.
class BusyMeter : public QObject {
  public:
    BusyMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            const qint64 now = clock_.nsecsElapsed();
            const SchedTimes sched = schedTimes();
            const qint64 wall = now - lastWall_;
            const qint64 busy = sched.running - last_.running;
            const qint64 queued = sched.waiting - last_.waiting;
            longestBusy_ = std::max(longestBusy_, busy);
            if (wall > longestWall_) {
                longestWall_ = wall;
                wallBusy_ = busy;
                wallQueued_ = queued;
            }
            if (wall - busy - queued > longestBlocked_) {
                longestBlocked_ = wall - busy - queued;
                blockedAt_ = now;
            }
            lastWall_ = now;
            last_ = sched;
        });
        clock_.start();
        last_ = schedTimes();
        timer_.start();
    }
    double longestBusyMs() const { return double(longestBusy_) / 1e6; }
    double longestWallGapMs() const { return double(longestWall_) / 1e6; }
    // How the longest wall gap splits into time on a core and time waiting for one.
    double wallGapBusyMs() const { return double(wallBusy_) / 1e6; }
    double wallGapQueuedMs() const { return double(wallQueued_) / 1e6; }
    // The longest stretch neither on a core nor waiting for one (sleeping or blocked).
    double longestBlockedMs() const { return double(longestBlocked_) / 1e6; }
    // When the longest blocked stretch ended, in ms since the meter started.
    double longestBlockedEndedMs() const { return double(blockedAt_) / 1e6; }
    double sinceStartMs() const { return double(clock_.nsecsElapsed()) / 1e6; }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastWall_ = 0;
    SchedTimes last_;
    qint64 longestBusy_ = 0;
    qint64 longestWall_ = 0;
    qint64 wallBusy_ = 0;
    qint64 wallQueued_ = 0;
    qint64 longestBlocked_ = 0;
    qint64 blockedAt_ = 0;
};

// Runs the event loop until done() holds; false on timeout.
inline bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

}  // namespace tessellane::bench
