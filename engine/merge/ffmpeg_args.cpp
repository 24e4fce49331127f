#include "engine/merge/ffmpeg_args.h"

#include <algorithm>

#include "engine/core/video_output.h"

namespace tessellane {

namespace {

void appendInputs(std::vector<std::string>& arguments, const std::vector<ClipInfo>& clips) {
    for (const ClipInfo& clip : clips) {
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
    appendInputs(arguments, clips);
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

}  // namespace tessellane
