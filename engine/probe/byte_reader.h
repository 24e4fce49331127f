// The one integer decoder, and a cursor over part of a byte source whose every read is bounds-checked and
// cannot overflow. A reader narrowed to a box cannot see past that box, whatever its parser asks for.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

#include "engine/probe/byte_source.h"

namespace tessellane {

enum class Endian { big, little };

// The unsigned integer stored in `width` bytes (at most sizeof(T)) in the given order. Takes chars too, so
// that four-character codes can be spelled as text at compile time.
template <std::unsigned_integral T, typename Byte>
requires(sizeof(Byte) == 1) constexpr T decodeUnsigned(const Byte* bytes, std::size_t width, Endian order) {
    T value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = static_cast<T>((value << 8) |
                               static_cast<std::uint8_t>(bytes[order == Endian::big ? i : width - 1 - i]));
    return value;
}

class ByteReader {
  public:
    // An empty reader: every read fails.
    ByteReader() = default;
    // The whole of `source`.
    explicit ByteReader(ByteSource& source) : ByteReader(source, 0, source.size()) {}
    // The part [begin, end) of `source`; an end before the begin makes it empty.
    ByteReader(ByteSource& source, std::uint64_t begin, std::uint64_t end)
        : source_(&source), begin_(begin), size_(end > begin ? end - begin : 0) {}

    // Where this reader's bytes lie in its source.
    std::uint64_t start() const { return begin_; }
    std::uint64_t end() const { return begin_ + size_; }
    // Positions count from start().
    std::uint64_t size() const { return size_; }
    std::uint64_t position() const { return pos_; }
    std::uint64_t remaining() const { return size_ - pos_; }
    bool has(std::uint64_t n) const { return n <= size_ - pos_; }
    // True once the source failed to deliver bytes that lie inside this reader: a read error, not a short
    // structure.
    bool sourceFailed() const { return sourceFailed_; }

    [[nodiscard]] bool seek(std::uint64_t position) {
        if (position > size_) return false;
        pos_ = position;
        return true;
    }
    [[nodiscard]] bool skip(std::uint64_t n) {
        if (!has(n)) return false;
        pos_ += n;
        return true;
    }
    [[nodiscard]] bool readBytes(void* out, std::size_t n) {
        if (!has(n)) return false;
        if (n > 0 && !source_->readAt(begin_ + pos_, out, n)) {
            sourceFailed_ = true;
            return false;
        }
        pos_ += n;
        return true;
    }
    // An unsigned integer of `width` bytes, sizeof(T) unless told, most significant byte first unless told.
    template <std::unsigned_integral T>
    [[nodiscard]] bool read(T& out, Endian order = Endian::big, std::size_t width = sizeof(T)) {
        std::uint8_t bytes[sizeof(T)];
        if (width > sizeof(T) || !readBytes(bytes, width)) return false;
        out = decodeUnsigned<T>(bytes, width, order);
        return true;
    }
    // A reader over the next n bytes; this reader moves past them.
    [[nodiscard]] bool sub(std::uint64_t n, ByteReader& out) {
        if (!has(n)) return false;
        out = ByteReader();
        out.source_ = source_;
        out.begin_ = begin_ + pos_;
        out.size_ = n;
        pos_ += n;
        return true;
    }

  private:
    ByteSource* source_ = nullptr;
    std::uint64_t begin_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t pos_ = 0;
    bool sourceFailed_ = false;
};

}  // namespace tessellane
