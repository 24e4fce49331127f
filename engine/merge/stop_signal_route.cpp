#include "engine/merge/stop_signal_route.h"

#include <csignal>

namespace tessellane {

namespace {

Cancellation* routedTo = nullptr;
volatile std::sig_atomic_t lastSignal = 0;

void onStopSignal(int signal) {
    lastSignal = signal;
    if (Cancellation* cancel = routedTo) cancel->request();
}

}  // namespace

StopSignalRoute::StopSignalRoute(Cancellation& cancel, Repeat repeat)
    : signals_(stopSignals()), saved_(signals_.size()) {
    lastSignal = 0;
    routedTo = &cancel;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    action.sa_flags = repeat == Repeat::secondEnds ? SA_RESETHAND | SA_RESTART : 0;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < signals_.size(); ++i) ::sigaction(signals_[i], &action, &saved_[i]);
}

StopSignalRoute::~StopSignalRoute() {
    for (std::size_t i = 0; i < signals_.size(); ++i) ::sigaction(signals_[i], &saved_[i], nullptr);
    routedTo = nullptr;
}

int StopSignalRoute::received() noexcept { return lastSignal; }

}  // namespace tessellane
