#include "engine/core/interrupted_calls.h"

#include <unistd.h>

namespace tessellane {

long readSome(int fd, char* buffer, std::size_t capacity) {
    return static_cast<long>(retryInterrupted([&] { return ::read(fd, buffer, capacity); }));
}

}  // namespace tessellane
