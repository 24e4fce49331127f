#include "engine/core/readable_numbers.h"

#include <charconv>
#include <cstddef>
#include <iterator>
#include <optional>
#include <vector>

namespace tessellane {
namespace {

// Parses one piece of a frame-rate text the way a strict decimal parser does: the whole piece or nothing.
std::optional<double> parseDecimal(std::string_view piece) {
    if (!piece.empty() && piece.front() == '+') piece.remove_prefix(1);
    if (piece.empty() || piece.front() == '+') return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    if (ec != std::errc() || end != piece.data() + piece.size()) return std::nullopt;
    return value;
}

// "12.50" as "12.5", "30.000" as "30".
std::string withoutTrailingZeros(std::string number) {
    if (number.find('.') != std::string::npos) {
        while (number.back() == '0') number.pop_back();
        if (number.back() == '.') number.pop_back();
    }
    return number;
}

}  // namespace

double parseFrameRate(std::string_view fpsString) {
    std::vector<double> numbers;
    std::size_t start = 0;
    while (start <= fpsString.size()) {
        std::size_t slash = fpsString.find('/', start);
        if (slash == std::string_view::npos) slash = fpsString.size();
        std::string_view piece = fpsString.substr(start, slash - start);
        if (!piece.empty())
            if (auto value = parseDecimal(piece)) numbers.push_back(*value);
        start = slash + 1;
    }
    if (numbers.empty()) return 0;
    if (numbers.size() == 2 && numbers[1] != 0) return numbers[0] / numbers[1];
    return numbers[0];
}

std::string formatFrameRate(double fps) {
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, fps, std::chars_format::fixed, 3);
    if (error != std::errc()) return std::string();
    return withoutTrailingZeros(std::string(text, end));
}

std::string formatByteCount(std::int64_t bytes) {
    if (bytes == 1) return "1 byte";
    if (bytes < 1000) return std::to_string(bytes) + " bytes";
    static constexpr const char* units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1000.0;
    std::size_t unit = 0;
    // Carry up when rounding would print "1000 KB".
    while (unit + 1 < std::size(units) && value >= 999.5) {
        value /= 1000.0;
        ++unit;
    }
    // Kilobytes whole, megabytes to one decimal, larger units to two: as file managers show sizes.
    const int decimals = unit == 0 ? 0 : unit == 1 ? 1 : 2;
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return withoutTrailingZeros(error == std::errc() ? std::string(text, end) : std::string("0")) + " " +
           units[unit];
}

}  // namespace tessellane
