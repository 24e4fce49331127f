// Turns the stop signals into a Cancellation for as long as an object lives: the command line stops its
// merge with it, the window quits with it.
#pragma once

#include <signal.h>

#include <vector>

#include "engine/merge/cancellation.h"

namespace tessellane {

// Routes every signal of stopSignals() to `cancel` while it lives, then puts back the actions that were
// there before. One route at a time.
class StopSignalRoute {
  public:
    enum class Repeat {
        eachStops,   // every signal requests the stop again; calls it interrupts fail with EINTR
        secondEnds,  // a second signal ends the process at once; interrupted calls resume
    };

    StopSignalRoute(Cancellation& cancel, Repeat repeat);
    ~StopSignalRoute();
    StopSignalRoute(const StopSignalRoute&) = delete;
    StopSignalRoute& operator=(const StopSignalRoute&) = delete;

    // The last signal routed since this route began, 0 for none.
    static int received() noexcept;

  private:
    std::vector<int> signals_;
    std::vector<struct sigaction> saved_;
};

}  // namespace tessellane
