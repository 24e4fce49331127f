// A cursor over bytes in memory whose every read is bounds-checked and cannot overflow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tessellane {

class ByteReader {
  public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : data_(bytes.data()), size_(bytes.size()) {}
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t size() const { return size_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return size_ - pos_; }
    bool has(std::size_t n) const { return n <= size_ - pos_; }

    bool seek(std::size_t position) {
        if (position > size_) return false;
        pos_ = position;
        return true;
    }
    bool skip(std::size_t n) {
        if (!has(n)) return false;
        pos_ += n;
        return true;
    }

    bool readU8(std::uint8_t& out) { return readBig(1, out); }
    bool readU16(std::uint16_t& out) { return readBig(2, out); }
    bool readU24(std::uint32_t& out) { return readBig(3, out); }
    bool readU32(std::uint32_t& out) { return readBig(4, out); }
    bool readU64(std::uint64_t& out) { return readBig(8, out); }
    bool readU16LE(std::uint16_t& out) { return readLittle(2, out); }
    bool readU24LE(std::uint32_t& out) { return readLittle(3, out); }
    bool readU32LE(std::uint32_t& out) { return readLittle(4, out); }
    bool readU64LE(std::uint64_t& out) { return readLittle(8, out); }

    // A reader over the next n bytes; this reader moves past them. The child cannot see beyond them.
    bool sub(std::size_t n, ByteReader& out) {
        if (!has(n)) return false;
        out = ByteReader(data_ + pos_, n);
        pos_ += n;
        return true;
    }
    // The bytes from the cursor on, without moving it.
    const std::uint8_t* current() const { return data_ + pos_; }

  private:
    template <typename T>
    bool readBig(std::size_t n, T& out) {
        if (!has(n)) return false;
        T value = 0;
        for (std::size_t i = 0; i < n; ++i) value = static_cast<T>((value << 8) | data_[pos_ + i]);
        pos_ += n;
        out = value;
        return true;
    }
    template <typename T>
    bool readLittle(std::size_t n, T& out) {
        if (!has(n)) return false;
        T value = 0;
        for (std::size_t i = n; i-- > 0;) value = static_cast<T>((value << 8) | data_[pos_ + i]);
        pos_ += n;
        out = value;
        return true;
    }

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
};

}  // namespace tessellane
