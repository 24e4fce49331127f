// A stop request for long work (a merge), that any thread or a signal handler may make.
#pragma once

#include <atomic>
#include <vector>

#include "engine/core/unique_fd.h"

namespace tessellane {

// Once requested it stays requested. The waiting side can poll() waitFd(), which becomes readable at the
// request, so a loop blocked on a child's pipes wakes at once instead of at its next read.
class Cancellation {
  public:
    Cancellation();
    Cancellation(const Cancellation&) = delete;
    Cancellation& operator=(const Cancellation&) = delete;

    // Safe from any thread and from a signal handler (one atomic store and one write()).
    void request() noexcept;
    bool requested() const noexcept { return requested_.load(std::memory_order_acquire); }
    int waitFd() const noexcept { return readFd_.get(); }

  private:
    std::atomic<bool> requested_{false};
    UniqueFd readFd_;
    UniqueFd writeFd_;
};

// The signals whose default action ends the program without a crash: SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGUSR1, SIGALRM, the real-time ones and the like. A program that catches each of them as a stop request
// gets to stop ffmpeg and remove its temporary first. Crash signals (SIGSEGV, SIGABRT, ...) are left to
// their default: whatever they strand, the next run in that folder reclaims.
std::vector<int> stopSignals();

}  // namespace tessellane
