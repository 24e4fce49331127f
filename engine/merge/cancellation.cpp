#include "engine/merge/cancellation.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tessellane {

Cancellation::Cancellation() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe");
    readFd_ = UniqueFd(fds[0]);
    writeFd_ = UniqueFd(fds[1]);
}

void Cancellation::request() noexcept {
    if (requested_.exchange(true, std::memory_order_acq_rel)) return;
    const int saved = errno;  // a signal handler must leave errno as it found it
    const char byte = 1;
    // Non-blocking and written once: the pipe can never be full, and a failure only loses the wake-up,
    // which the flag still carries for the next check.
    [[maybe_unused]] const ssize_t written = ::write(writeFd_.get(), &byte, 1);
    errno = saved;
}

std::vector<int> stopSignals() {
    std::vector<int> signals = {SIGHUP,  SIGINT,    SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGTERM,
                                SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGXFSZ};
#ifdef SIGSTKFLT
    signals.push_back(SIGSTKFLT);
#endif
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) signals.push_back(signal);
    return signals;
}

}  // namespace tessellane
