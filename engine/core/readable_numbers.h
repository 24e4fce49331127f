// Frame rates and byte counts as text: parsed from ffmpeg's fractions, written as people read them, with a
// dot whatever the process locale is (the window switches to the user's locale, where printf would write
// 29,97).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessellane {

// Parses a frame-rate text such as "30000/1001", "25/1" or "25"; unparsable text gives 0.
double parseFrameRate(std::string_view fpsString);

// Enough digits to tell 29.97 from 30: at most three decimals, trailing zeros dropped: 23.976, 29.97,
// 59.94, 30, 12.5.
std::string formatFrameRate(double fps);

// File size in decimal units (1 KB = 1000 bytes), short and human-readable.
std::string formatByteCount(std::int64_t bytes);

}  // namespace tessellane
