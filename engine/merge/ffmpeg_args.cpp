#include "engine/merge/ffmpeg_args.h"

#include <algorithm>

#include "engine/core/video_output.h"

namespace tessellane {

namespace {

// "[0:v][1:v]...hstack=inputs=N": one labelled video input per clip, in list order.
std::string hstackInputs(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text.append("[").append(std::to_string(i)).append(":v]");
    return text.append("hstack=inputs=").append(std::to_string(count));
}

enum class InputKind { movie, image };

// An image is read through the single-picture reader: the file reader ffmpeg would pick by itself takes
// "%d", "*" or "[" in a name as a numbered sequence or a wildcard and reads other files, while this one
// reads exactly the file named and still recognises its format from its content.
void appendInputs(std::vector<std::string>& arguments, const std::vector<ClipInfo>& clips, InputKind kind) {
    for (const ClipInfo& clip : clips) {
        if (kind == InputKind::image) arguments.insert(arguments.end(), {"-f", "image2pipe"});
        arguments.push_back("-i");
        arguments.push_back(clip.url().string());
    }
}

// ffmpeg rejects "unknown" and "reserved" as option values; an empty tag means the file had none.
bool isUsableColourValue(const std::string& value) {
    return !value.empty() && value != "unknown" && value != "reserved";
}

// The records hold the names ffprobe shows; the options know three of them by other names.
std::string optionName(const std::string& option, const std::string& value) {
    if (option == "-color_trc" && value == "bt470m") return "gamma22";
    if (option == "-color_trc" && value == "bt470bg") return "gamma28";
    if (option == "-colorspace" && value == "gbr") return "rgb";
    return value;
}

// "[0:v][1:v]...hstack=inputs=N", where a clip that must be converted first reaches hstack as "[cI]" after
// a scale to the output's range (and from RGB, the BT.709 matrix) and format, prepended as "...;".
std::string videoFilter(const std::vector<ClipInfo>& clips, const VideoOutputFormat& output) {
    std::string conversions, inputs;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const std::string index = std::to_string(i);
        if (!needsConversion(clips[i], output)) {
            inputs += "[" + index + ":v]";
            continue;
        }
        const bool toYuv = clips[i].pixFmt.starts_with("gbrp") && !output.pixFmt.starts_with("gbrp");
        conversions += "[" + index + ":v]scale=out_range=" + (output.fullRange ? "pc" : "tv") +
                       (toYuv ? ":out_color_matrix=bt709" : "") + ",format=" + output.optionPixFmt() + "[c" +
                       index + "];";
        inputs += "[c" + index + "]";
    }
    return conversions + inputs + "hstack=inputs=" + std::to_string(clips.size());
}

void appendCodecBlock(std::vector<std::string>& arguments, const ClipInfo& first) {
    if (first.codec == "prores") {
        arguments.insert(arguments.end(), {"-c:v", "prores_ks", "-profile:v",
                                           std::to_string(proresProfileNumber(first.codecTag, first.profile)),
                                           "-vendor", "apl0"});
    } else if (first.codec == "hevc") {
        arguments.insert(arguments.end(),
                         {"-c:v", "libx265", "-crf", "12", "-preset", "slow", "-tag:v", "hvc1"});
    } else {
        arguments.insert(arguments.end(), {"-c:v", "libx264", "-crf", "12", "-preset", "slow"});
    }
}

}  // namespace

std::vector<std::string> buildArguments(const std::vector<ClipInfo>& clips, const FileURL& output) {
    if (std::all_of(clips.begin(), clips.end(),
                    [](const ClipInfo& clip) { return hasImageExtension(clip.url()); }))
        return buildImageArguments(clips, output);

    const ClipInfo& first = clips.front();
    const VideoOutputFormat format = videoOutputFormat(first);
    std::vector<std::string> arguments = {"-nostdin", "-hide_banner", "-n"};
    appendInputs(arguments, clips, InputKind::movie);
    arguments.insert(arguments.end(), {"-filter_complex", videoFilter(clips, format) + ":shortest=1[v]"});
    arguments.insert(arguments.end(), {"-map", "[v]"});
    appendCodecBlock(arguments, first);
    if (!format.pixFmt.empty()) arguments.insert(arguments.end(), {"-pix_fmt", format.optionPixFmt()});
    arguments.insert(arguments.end(), {"-r", first.fpsString});
    // hstack passes on no frame properties: the output carries the first clip's tags only through these.
    // RGB written as YUV takes the matrix and range it was converted to.
    const bool rgbToYuv = first.pixFmt.starts_with("gbrp") && !format.pixFmt.starts_with("gbrp");
    std::string range = first.colorRange;
    if (isFullRange(first) != format.fullRange) range = format.fullRange ? "pc" : "tv";
    const std::pair<const char*, std::string> colourTags[] = {
        {"-colorspace", rgbToYuv ? "bt709" : first.colorSpace},
        {"-color_primaries", first.colorPrimaries},
        {"-color_trc", first.colorTransfer},
        {"-color_range", range},
    };
    for (const auto& [option, value] : colourTags) {
        if (isUsableColourValue(value))
            arguments.insert(arguments.end(), {option, optionName(option, value)});
    }
    arguments.insert(arguments.end(), {"-an", "-progress", "pipe:1", "-nostats", output.string()});
    return arguments;
}

std::vector<std::string> buildImageArguments(const std::vector<ClipInfo>& clips, const FileURL& output) {
    // "gray" holds an "a" but no alpha channel; every other name with an "a" (rgba, ya8, yuva...) has one.
    const bool alpha = std::any_of(clips.begin(), clips.end(), [](const ClipInfo& clip) {
        return clip.pixFmt.find('a') != std::string::npos && clip.pixFmt != "gray";
    });
    const bool deep = std::any_of(clips.begin(), clips.end(), [](const ClipInfo& clip) {
        const std::string& f = clip.pixFmt;
        return f.find("64") != std::string::npos || f.find("48") != std::string::npos ||
               f.find("16") != std::string::npos;
    });

    // The format block follows the output's extension; bmp and webp keep ffmpeg's own choice.
    const std::string extension = lowerExtensionOf(output);
    std::vector<std::string> formatBlock;
    std::string pixFmt;
    if (extension == "png") {
        pixFmt = deep ? (alpha ? "rgba64be" : "rgb48be") : (alpha ? "rgba" : "rgb24");
        formatBlock = {"-c:v", "png", "-pix_fmt", pixFmt};
    } else if (extension == "jpg" || extension == "jpeg") {
        formatBlock = {"-c:v", "mjpeg", "-q:v", "1", "-pix_fmt", "yuvj444p"};
    } else if (extension == "tif" || extension == "tiff") {
        pixFmt = alpha ? "rgba" : "rgb24";
        formatBlock = {"-c:v", "tiff", "-pix_fmt", pixFmt};
    }

    // hstack joins its inputs in one pixel format, negotiated towards the first picture's: an opaque or
    // 8-bit first picture would strip the others' alpha and depth before the output's format is reached.
    // Each picture is converted to the output's format first wherever that keeps alpha or depth.
    std::string filter;
    if (pixFmt.empty()) {
        filter = hstackInputs(clips.size());
    } else {
        std::string joined;
        for (std::size_t i = 0; i < clips.size(); ++i) {
            const std::string label = "[i" + std::to_string(i) + "]";
            filter.append("[")
                .append(std::to_string(i))
                .append(":v]format=")
                .append(pixFmt)
                .append(label)
                .append(";");
            joined.append(label);
        }
        filter.append(joined).append("hstack=inputs=").append(std::to_string(clips.size()));
    }

    std::vector<std::string> arguments = {"-nostdin", "-hide_banner", "-n"};
    appendInputs(arguments, clips, InputKind::image);
    arguments.insert(arguments.end(), {"-filter_complex", filter + "[v]"});
    arguments.insert(arguments.end(), {"-map", "[v]", "-frames:v", "1", "-update", "1"});
    arguments.insert(arguments.end(), formatBlock.begin(), formatBlock.end());
    arguments.push_back(output.string());
    return arguments;
}

}  // namespace tessellane
