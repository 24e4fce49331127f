#include "engine/merge/ffmpeg_args.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "engine/core/prores_profiles.h"
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

std::string joinedSteps(const std::vector<std::string>& steps) {
    std::string text;
    for (const std::string& step : steps) text += (text.empty() ? "" : ",") + step;
    return text;
}

// "[0:v][1:v]...hstack=inputs=N" (or the layout's stack), where a clip that must be brought to the output
// first reaches the stack as "[cI]", its steps prepended as "[I:v]...[cI];": its rate conformed, its
// picture scaled to its tile in square pixels, converted to the output's range (and from RGB, the BT.709
// matrix) and format, padded to its grid cell.
std::string videoFilter(const std::vector<ClipInfo>& clips, const VideoOutputFormat& output,
                        const MergeSettings& settings, const LayoutGeometry& geometry) {
    std::string conversions, inputs;
    const ClipInfo& first = clips.front();
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const ClipInfo& clip = clips[i];
        const std::string index = std::to_string(i);
        const Tile& tile = geometry.tiles[i];
        std::vector<std::string> steps;
        if (settings.conformRates && clip.fpsString != first.fpsString)
            steps.push_back("fps=" + first.fpsString);
        const bool convert = needsConversion(clip, output);
        std::vector<std::string> scale;
        if (tile.scaled)
            scale.push_back(std::to_string(tile.picture.width) + ":" + std::to_string(tile.picture.height));
        if (convert) {
            scale.push_back(std::string("out_range=") + (output.fullRange ? "pc" : "tv"));
            if (clip.pixFmt.starts_with("gbrp") && !output.pixFmt.starts_with("gbrp"))
                scale.push_back("out_color_matrix=bt709");
        }
        std::string scaleStep = "scale=";
        for (std::size_t j = 0; j < scale.size(); ++j) scaleStep += (j > 0 ? ":" : "") + scale[j];
        if (!scale.empty()) steps.push_back(scaleStep);
        if (tile.scaled) steps.push_back("setsar=1");
        if (convert) steps.push_back("format=" + output.optionPixFmt());
        if (geometry.fitted && !padToCell(tile).empty()) steps.push_back(padToCell(tile));
        if (steps.empty()) {
            inputs += "[" + index + ":v]";
            continue;
        }
        conversions += "[" + index + ":v]" + joinedSteps(steps) + "[c" + index + "];";
        inputs += "[c" + index + "]";
    }
    return conversions + inputs + stackFilter(settings.layout, geometry, clips.size());
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

// The output ends with the shortest clip; its length in seconds, as ffmpeg reads a duration.
std::string shortestSeconds(const std::vector<ClipInfo>& clips) {
    double shortest = std::numeric_limits<double>::max();
    for (const ClipInfo& clip : clips) {
        const double seconds = clip.duration > 0 ? clip.duration
                               : clip.fps() > 0  ? clip.frames / clip.fps()
                                                 : 0;
        shortest = std::min(shortest, seconds);
    }
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, shortest, std::chars_format::fixed, 6);
    std::string seconds(text, written.ptr);
    while (seconds.ends_with('0')) seconds.pop_back();
    if (seconds.ends_with('.')) seconds.pop_back();
    return seconds;
}

}  // namespace

std::string stackFilter(Layout layout, const LayoutGeometry& geometry, std::size_t inputs) {
    const std::string count = std::to_string(inputs);
    if (layout == Layout::row) return "hstack=inputs=" + count;
    if (layout == Layout::column) return "vstack=inputs=" + count;
    // Every cell placed by its corner; the cells a short last row leaves empty take the fill.
    std::string places;
    for (const Tile& tile : geometry.tiles) {
        if (!places.empty()) places += '|';
        places += std::to_string(tile.cell.x) + "_" + std::to_string(tile.cell.y);
    }
    return "xstack=inputs=" + count + ":layout=" + places + ":fill=black";
}

std::string padToCell(const Tile& tile) {
    if (tile.picture == tile.cell) return {};
    return "pad=" + std::to_string(tile.cell.width) + ":" + std::to_string(tile.cell.height) + ":" +
           std::to_string(tile.picture.x - tile.cell.x) + ":" + std::to_string(tile.picture.y - tile.cell.y) +
           ":color=black";
}

std::vector<std::string> buildArguments(const std::vector<ClipInfo>& clips, const FileURL& output,
                                        const MergeSettings& settings) {
    return buildArguments(clips, output, settings, layoutGeometry(clips, settings),
                          audioPlan(clips, output, settings));
}

std::vector<std::string> buildArguments(const std::vector<ClipInfo>& clips, const FileURL& output,
                                        const MergeSettings& settings, const LayoutGeometry& geometry,
                                        const std::optional<AudioPlan>& audio) {
    if (std::all_of(clips.begin(), clips.end(),
                    [](const ClipInfo& clip) { return hasImageExtension(clip.url()); }))
        return buildImageArguments(clips, output, settings, geometry);

    const ClipInfo& first = clips.front();
    const VideoOutputFormat format = videoOutputFormat(first);
    std::vector<std::string> arguments = {"-nostdin", "-hide_banner", "-n"};
    appendInputs(arguments, clips);
    arguments.insert(arguments.end(),
                     {"-filter_complex", videoFilter(clips, format, settings, geometry) + ":shortest=1[v]"});
    arguments.insert(arguments.end(), {"-map", "[v]"});
    appendCodecBlock(arguments, first);
    if (!format.pixFmt.empty()) arguments.insert(arguments.end(), {"-pix_fmt", format.optionPixFmt()});
    arguments.insert(arguments.end(), {"-r", first.fpsString});
    // The stack passes on no frame properties: the output carries the first clip's tags only through these.
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
    if (audio) {
        // Its first audio track, cut where the picture ends: "-shortest" would let it run on by up to half
        // a second of queued packets.
        arguments.insert(arguments.end(), {"-map", std::to_string(audio->clip) + ":a:0"});
        arguments.insert(arguments.end(), audio->codec.begin(), audio->codec.end());
        arguments.insert(arguments.end(), {"-t", shortestSeconds(clips)});
    } else {
        arguments.push_back("-an");
    }
    arguments.insert(arguments.end(), {"-progress", "pipe:1", "-nostats", output.string()});
    return arguments;
}

}  // namespace tessellane
