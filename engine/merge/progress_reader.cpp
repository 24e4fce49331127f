#include "engine/merge/progress_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tessellane {

namespace {

// A progress line is a few dozen bytes; anything longer without a line feed is not one and is dropped.
constexpr std::size_t longestProgressLine = 64 * 1024;

}  // namespace

void ProgressReader::feed(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t newline = bytes.find('\n');
        if (!overlong_) line_.append(bytes.substr(0, newline));
        if (line_.size() > longestProgressLine) {
            overlong_ = true;
            line_.clear();
        }
        if (newline == std::string_view::npos) return;
        if (!overlong_) handleLine(line_);
        line_.clear();
        overlong_ = false;
        bytes.remove_prefix(newline + 1);
    }
}

void ProgressReader::handleLine(std::string_view line) {
    constexpr std::string_view key = "frame=";
    if (line.substr(0, key.size()) != key) return;
    const std::string_view number = line.substr(key.size());
    double value = 0;
    auto [rest, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || rest != number.data() + number.size() || !std::isfinite(value)) return;
    if (total_ > 0 && progress_) progress_(std::clamp(value / total_, 0.0, 1.0));
}

}  // namespace tessellane
