// The planar pixel formats that H.264, HEVC and ProRes decode to, by their parts: how the chroma is sampled,
// whether the planes hold RGB, alpha, and the bit depth. Names are ffmpeg's.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessellane {

struct PixelLayout {
    int chroma = 1;  // 0 monochrome, 1 4:2:0, 2 4:2:2, 3 4:4:4
    bool rgb = false;
    bool alpha = false;
    int depth = 8;
    friend bool operator==(const PixelLayout&, const PixelLayout&) = default;
};

// "yuv420p", "yuv422p10le", "gray12le", "gbrp10le", "yuva444p10le"...; absent for any other name.
std::optional<PixelLayout> parsePixelFormat(std::string_view name);

// The name of a layout: yuv420p, yuv422p10le, gray, gbrp12le, yuva444p10le.
std::string pixelFormatName(const PixelLayout& layout);

}  // namespace tessellane
