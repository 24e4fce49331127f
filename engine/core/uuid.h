// A random (version 4) UUID: how clips and finished results are told apart while the window lists them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tessellane {

class Uuid {
  public:
    static Uuid random();
    static Uuid fromBytes(const std::array<std::uint8_t, 16>& bytes) { return Uuid(bytes); }

    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }
    std::string toString() const;  // 8-4-4-4-12 lower-case hex

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend auto operator<=>(const Uuid&, const Uuid&) = default;

  private:
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}
    std::array<std::uint8_t, 16> bytes_{};
};

}  // namespace tessellane
