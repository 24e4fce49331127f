// System calls that a signal can interrupt before they have done anything (EINTR): made again, so that
// callers see only a result or a real failure.
#pragma once

#include <cerrno>
#include <cstddef>

namespace tessellane {

// Calls `call` until it returns something other than -1 with errno EINTR, and returns that.
template <typename Call>
auto retryInterrupted(Call&& call) {
    for (;;) {
        const auto result = call();
        if (result != -1 || errno != EINTR) return result;
    }
}

// A read of at most `capacity` bytes: >0 bytes read, 0 at end of file, -1 on error.
long readSome(int fd, char* buffer, std::size_t capacity);

}  // namespace tessellane
