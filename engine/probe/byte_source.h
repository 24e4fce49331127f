// Random-access sources of untrusted bytes: a file read with pread, bytes in memory, and a cached window
// over part of another source. Readers of media files use these instead of loading whole files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/core/unique_fd.h"

namespace tessellane {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Reads exactly n bytes at offset. False when any of them lies outside the source or the read fails.
    [[nodiscard]] virtual bool readAt(std::uint64_t offset, void* out, std::size_t n) = 0;
    // True when [offset, offset + n) lies inside the source; written so that it cannot overflow.
    bool contains(std::uint64_t offset, std::uint64_t n) const {
        return offset <= size() && n <= size() - offset;
    }
};

class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    [[nodiscard]] bool readAt(std::uint64_t offset, void* out, std::size_t n) override;

  private:
    std::span<const std::uint8_t> bytes_;
};

// A regular file. Counts the bytes it has read, so that tests and benchmarks can show how little is read.
class FileSource final : public ByteSource {
  public:
    // False when the file cannot be opened or is not a regular file.
    [[nodiscard]] bool open(const FileURL& path);
    std::uint64_t size() const override { return size_; }
    [[nodiscard]] bool readAt(std::uint64_t offset, void* out, std::size_t n) override;
    std::uint64_t bytesRead() const { return bytesRead_; }
    std::uint64_t readCalls() const { return readCalls_; }

  private:
    UniqueFd fd_;
    std::uint64_t size_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::uint64_t readCalls_ = 0;
};

// The part [begin, end) of another source, read through one cache of at most `window` bytes. Offsets are
// those of the underlying source; nothing outside the part is ever read.
class WindowedSource final : public ByteSource {
  public:
    WindowedSource(ByteSource& base, std::uint64_t begin, std::uint64_t end, std::size_t window);
    std::uint64_t size() const override { return end_; }
    std::uint64_t begin() const { return begin_; }
    [[nodiscard]] bool readAt(std::uint64_t offset, void* out, std::size_t n) override;

  private:
    ByteSource& base_;
    std::uint64_t begin_;
    std::uint64_t end_;
    std::size_t window_;
    std::vector<std::uint8_t> cache_;
    std::uint64_t cacheStart_ = 0;
};

}  // namespace tessellane
