#include "engine/core/video_output.h"

#include <algorithm>
#include <tuple>

#include "engine/core/pixel_format.h"

namespace tessellane {
namespace {

// The pixel formats each encoder writes, as Debian 12's ffmpeg 5.1 lists them (the yuvj forms aside).
const std::vector<std::string>& encoderFormats(const std::string& encoder) {
    static const std::vector<std::string> prores = {"yuv422p10le", "yuv444p10le", "yuva444p10le"};
    static const std::vector<std::string> x265 = {"yuv420p",     "yuv422p",     "yuv444p",     "gbrp",
                                                  "yuv420p10le", "yuv422p10le", "yuv444p10le", "gbrp10le",
                                                  "yuv420p12le", "yuv422p12le", "yuv444p12le", "gbrp12le",
                                                  "gray",        "gray10le",    "gray12le"};
    static const std::vector<std::string> x264 = {"yuv420p",     "yuv422p",     "yuv444p", "yuv420p10le",
                                                  "yuv422p10le", "yuv444p10le", "gray",    "gray10le"};
    return encoder == "prores_ks" ? prores : encoder == "libx265" ? x265 : x264;
}

// The nearest format the encoder has that loses nothing: at least the source's chroma resolution and depth,
// the least of them; then the same model (RGB or YUV) and alpha. When the encoder has nothing as deep,
// its deepest.
std::string nearestFormat(const PixelLayout& source, const std::vector<std::string>& formats) {
    std::string best;
    auto bestKey = std::make_tuple(2, 0, 0, true, true);
    for (const std::string& name : formats) {
        const PixelLayout candidate = *parsePixelFormat(name);
        if (candidate.chroma < source.chroma) continue;
        const bool shallower = candidate.depth < source.depth;
        const auto key =
            std::make_tuple(shallower ? 1 : 0, shallower ? -candidate.depth : candidate.depth,
                            candidate.chroma, candidate.rgb != source.rgb, candidate.alpha != source.alpha);
        if (key < bestKey) {
            bestKey = key;
            best = name;
        }
    }
    return best;
}

bool isRgb(const std::string& pixFmt) { return pixFmt.starts_with("gbrp"); }

}  // namespace

std::string VideoOutputFormat::optionPixFmt() const {
    const std::optional<PixelLayout> layout = parsePixelFormat(pixFmt);
    if (fullRange && layout && layout->depth == 8 && layout->chroma > 0 && !layout->rgb && !layout->alpha)
        return "yuvj" + pixFmt.substr(3);
    return pixFmt;
}

std::string videoEncoder(const ClipInfo& first) {
    return first.codec == "prores" ? "prores_ks" : first.codec == "hevc" ? "libx265" : "libx264";
}

bool isFullRange(const ClipInfo& clip) { return clip.colorRange == "pc" || isRgb(clip.pixFmt); }

VideoOutputFormat videoOutputFormat(const ClipInfo& first) {
    VideoOutputFormat output;
    output.encoder = videoEncoder(first);
    output.pixFmt = first.pixFmt;
    output.fullRange = isFullRange(first);
    const std::optional<PixelLayout> layout = parsePixelFormat(first.pixFmt);
    const std::vector<std::string>& formats = encoderFormats(output.encoder);
    // A name this table does not know (an image's rgba) goes to ffmpeg as it is.
    if (!layout || std::find(formats.begin(), formats.end(), first.pixFmt) != formats.end()) return output;
    output.pixFmt = nearestFormat(*layout, formats);
    output.substituted = true;
    // RGB becomes YUV in the limited range, as YUV video is.
    if (layout->rgb && !isRgb(output.pixFmt)) output.fullRange = false;
    return output;
}

bool needsEvenSides(const std::string& pixFmt) {
    if (pixFmt.find("420") != std::string::npos) return true;
    for (const char* semiPlanar : {"nv12", "nv21", "p010", "p012", "p016"})
        if (pixFmt.starts_with(semiPlanar)) return true;
    return false;
}

bool needsConversion(const ClipInfo& clip, const VideoOutputFormat& output) {
    if (output.pixFmt.empty()) return false;
    if (isFullRange(clip) != output.fullRange) return true;
    if (isRgb(clip.pixFmt) != isRgb(output.pixFmt)) return true;
    // Into a full-range format other than its own, ffmpeg's automatic conversion assumes the limited range.
    if (!output.fullRange) return false;
    VideoOutputFormat own{clip.pixFmt, true, false, output.encoder};
    return own.optionPixFmt() != output.optionPixFmt();
}

}  // namespace tessellane
