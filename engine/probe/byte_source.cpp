#include "engine/probe/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "engine/core/interrupted_calls.h"

namespace tessellane {

bool MemorySource::readAt(std::uint64_t offset, void* out, std::size_t n) {
    if (!contains(offset, n)) return false;
    if (n > 0) std::memcpy(out, bytes_.data() + offset, n);
    return true;
}

bool FileSource::open(const FileURL& path) {
    // Non-blocking, so that a FIFO under a media file's name cannot stall the probe until a writer comes;
    // it is refused below, and reads from a regular file are unaffected by the flag.
    const int fd = retryInterrupted([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); });
    if (fd < 0) return false;
    fd_ = UniqueFd(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        fd_.reset();
        return false;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool FileSource::readAt(std::uint64_t offset, void* out, std::size_t n) {
    if (!fd_ || !contains(offset, n)) return false;
    auto* bytes = static_cast<char*>(out);
    while (n > 0) {
        const ssize_t got = retryInterrupted([&] {
            ++readCalls_;
            return ::pread(fd_.get(), bytes, n, static_cast<off_t>(offset));
        });
        if (got <= 0) return false;  // an error, or the file shrank under us
        bytesRead_ += static_cast<std::uint64_t>(got);
        bytes += got;
        offset += static_cast<std::uint64_t>(got);
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

WindowedSource::WindowedSource(ByteSource& base, std::uint64_t begin, std::uint64_t end, std::size_t window)
    : base_(base), begin_(begin), end_(std::min(end, base.size())), window_(window) {
    if (begin_ > end_) begin_ = end_;
}

bool WindowedSource::readAt(std::uint64_t offset, void* out, std::size_t n) {
    if (offset < begin_ || !contains(offset, n)) return false;
    if (n == 0) return true;
    if (n > window_) return base_.readAt(offset, out, n);  // too big to cache: straight through
    bool cached = !cache_.empty() && offset >= cacheStart_ && offset - cacheStart_ <= cache_.size() &&
                  n <= cache_.size() - (offset - cacheStart_);
    if (!cached) {
        std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(window_, end_ - offset));
        cache_.resize(length);
        if (!base_.readAt(offset, cache_.data(), length)) {
            cache_.clear();
            return false;
        }
        cacheStart_ = offset;
    }
    std::memcpy(out, cache_.data() + (offset - cacheStart_), n);
    return true;
}

}  // namespace tessellane
