// A reader of the bits of an H.264 or HEVC NAL unit's payload, with the emulation-prevention bytes (00 00 03)
// already removed. Reading past the end sets a sticky flag and yields zeros, so a parser reads on and checks
// ok() once where it matters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tessellane {

// The payload of a NAL unit without its emulation-prevention bytes: every 03 that follows two zero bytes is
// dropped, as the decoder drops it.
inline std::vector<std::uint8_t> unescapedPayload(std::span<const std::uint8_t> nal) {
    std::vector<std::uint8_t> out;
    out.reserve(nal.size());
    int zeros = 0;
    for (std::uint8_t byte : nal) {
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        out.push_back(byte);
    }
    return out;
}

class BitReader {
  public:
    explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }

    // n bits (at most 32), most significant first.
    std::uint32_t bits(int n) {
        std::uint32_t value = 0;
        for (int i = 0; i < n; ++i) value = (value << 1) | bit();
        return value;
    }
    bool flag() { return bit() != 0; }
    void skip(std::size_t n) {
        for (std::size_t i = 0; i < n && ok_; ++i) bit();
    }
    // Exp-Golomb codes, unsigned and signed. A code longer than 32 bits cannot be a valid field.
    std::uint32_t ue() {
        int zeros = 0;
        while (ok_ && bit() == 0)
            if (++zeros > 31) return fail();
        if (!ok_) return 0;
        return static_cast<std::uint32_t>((std::uint64_t(1) << zeros) - 1 + bits(zeros));
    }
    std::int32_t se() {
        const std::uint32_t code = ue();
        const auto magnitude = static_cast<std::int32_t>((code + 1) / 2);
        return code % 2 ? magnitude : -magnitude;
    }

  private:
    std::uint32_t bit() {
        if (!ok_ || position_ >= bytes_.size() * 8) return fail();
        const std::uint32_t value = (bytes_[position_ / 8] >> (7 - position_ % 8)) & 1;
        ++position_;
        return value;
    }
    std::uint32_t fail() {
        ok_ = false;
        return 0;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

}  // namespace tessellane
