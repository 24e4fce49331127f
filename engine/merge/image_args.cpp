// The still-image merge vector: each picture read exactly as named, fitted to its tile where sizes are
// fitted, converted to the output's pixel format, then stacked as the layout says, then the encoder that
// the output's extension names.
#include <algorithm>

#include "engine/merge/ffmpeg_args.h"

namespace tessellane {

namespace {

struct OutputFormat {
    std::vector<std::string> encoder;  // "-c:v" and its options
    std::string pixFmt;                // empty: ffmpeg chooses
};

// Alpha and more than 8 bits a sample are kept wherever the format can hold them. A WebP is lossless when
// the first picture is, otherwise lossy at a quality well above the encoder's default of 75.
OutputFormat outputFormat(const std::string& extension, bool alpha, bool deep, bool lossless) {
    if (extension == "png")
        return {{"-c:v", "png"}, deep ? (alpha ? "rgba64be" : "rgb48be") : (alpha ? "rgba" : "rgb24")};
    if (extension == "jpg" || extension == "jpeg") return {{"-c:v", "mjpeg", "-q:v", "1"}, "yuvj444p"};
    if (extension == "tif" || extension == "tiff")
        return {{"-c:v", "tiff"}, deep ? (alpha ? "rgba64le" : "rgb48le") : (alpha ? "rgba" : "rgb24")};
    if (extension == "bmp") return {{"-c:v", "bmp"}, alpha ? "bgra" : "bgr24"};
    if (extension == "webp") {
        if (lossless) return {{"-c:v", "libwebp", "-lossless", "1"}, "bgra"};
        return {{"-c:v", "libwebp", "-quality", "95"}, alpha ? "yuva420p" : "yuv420p"};
    }
    return {};
}

// One filter after another, with a comma between.
void appendStep(std::string& steps, const std::string& step) {
    if (!steps.empty()) steps += ',';
    steps += step;
}

}  // namespace

std::string pictureReader(const ClipInfo& clip) {
    // ffmpeg reads the picture as /proc/self/fd/N, with no extension to go by, and its guess from the
    // content misses JPEGs whose markers come in an unusual order though its decoder reads them: the
    // reader of the format the header showed is named instead.
    if (clip.codec == "mjpeg") return "jpeg_pipe";
    if (clip.codec == "png" || clip.codec == "tiff" || clip.codec == "bmp" || clip.codec == "webp")
        return clip.codec + "_pipe";
    return "image2pipe";
}

std::vector<std::string> buildImageArguments(const std::vector<ClipInfo>& clips, const FileURL& output,
                                             const MergeSettings& settings) {
    return buildImageArguments(clips, output, settings, layoutGeometry(clips, settings));
}

std::vector<std::string> buildImageArguments(const std::vector<ClipInfo>& clips, const FileURL& output,
                                             const MergeSettings& settings, const LayoutGeometry& geometry) {
    const bool alpha = std::any_of(clips.begin(), clips.end(), [](const ClipInfo& c) { return c.hasAlpha; });
    const bool deep =
        std::any_of(clips.begin(), clips.end(), [](const ClipInfo& c) { return c.bitsPerSample > 8; });
    const bool lossless = !clips.empty() && clips.front().lossless;
    const OutputFormat format = outputFormat(lowerExtensionOf(output), alpha, deep, lossless);

    std::vector<std::string> arguments = {"-nostdin", "-hide_banner", "-n"};
    // A piped reader reads exactly the file named; the file reader ffmpeg would pick by itself takes "%d",
    // "*" or "[" in a name as a numbered sequence or a wildcard and reads other files.
    for (const ClipInfo& clip : clips)
        arguments.insert(arguments.end(), {"-f", pictureReader(clip), "-i", clip.url().string()});

    // The stack joins its inputs in one pixel format, negotiated towards the first picture's: an opaque or
    // 8-bit first picture would strip the others' alpha and depth before the output's format is reached.
    // A fitted picture is scaled to its tile first, in square pixels, and padded to its grid cell after.
    std::string filter, joined;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const std::string index = std::to_string(i);
        const Tile& tile = geometry.tiles[i];
        std::string steps;
        if (tile.scaled)
            steps = "scale=" + std::to_string(tile.picture.width) + ":" +
                    std::to_string(tile.picture.height) + ",setsar=1";
        if (!format.pixFmt.empty()) appendStep(steps, "format=" + format.pixFmt);
        if (geometry.fitted && !padToCell(tile).empty()) appendStep(steps, padToCell(tile));
        if (steps.empty()) {
            joined += "[" + index + ":v]";
        } else {
            filter += "[" + index + ":v]" + steps + "[i" + index + "];";
            joined += "[i" + index + "]";
        }
    }
    filter += joined + stackFilter(settings.layout, geometry, clips.size()) + "[v]";
    arguments.insert(arguments.end(),
                     {"-filter_complex", filter, "-map", "[v]", "-frames:v", "1", "-update", "1"});
    arguments.insert(arguments.end(), format.encoder.begin(), format.encoder.end());
    if (!format.pixFmt.empty()) arguments.insert(arguments.end(), {"-pix_fmt", format.pixFmt});
    arguments.push_back(output.string());
    return arguments;
}

}  // namespace tessellane
