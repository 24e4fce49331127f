#include "engine/core/pixel_format.h"

#include <charconv>

namespace tessellane {
namespace {

struct Family {
    std::string_view prefix;
    PixelLayout layout;
};

// Longest prefixes first: "yuva444p" before "yuv".
constexpr Family kFamilies[] = {
    {"yuva444p", {3, false, true, 8}}, {"yuv420p", {1, false, false, 8}}, {"yuv422p", {2, false, false, 8}},
    {"yuv444p", {3, false, false, 8}}, {"gbrp", {3, true, false, 8}},     {"gray", {0, false, false, 8}},
};

}  // namespace

std::optional<PixelLayout> parsePixelFormat(std::string_view name) {
    for (const Family& family : kFamilies) {
        if (!name.starts_with(family.prefix)) continue;
        std::string_view rest = name.substr(family.prefix.size());
        PixelLayout layout = family.layout;
        if (rest.empty()) return layout;
        if (!rest.ends_with("le")) return std::nullopt;
        rest.remove_suffix(2);
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), layout.depth);
        if (error != std::errc() || end != rest.data() + rest.size() || layout.depth <= 8 ||
            layout.depth > 16)
            return std::nullopt;
        return layout;
    }
    return std::nullopt;
}

std::string pixelFormatName(const PixelLayout& layout) {
    const char* base = layout.chroma == 0   ? "gray"
                       : layout.rgb         ? "gbrp"
                       : layout.alpha       ? "yuva444p"
                       : layout.chroma == 1 ? "yuv420p"
                       : layout.chroma == 2 ? "yuv422p"
                                            : "yuv444p";
    return layout.depth <= 8 ? std::string(base) : base + std::to_string(layout.depth) + "le";
}

}  // namespace tessellane
