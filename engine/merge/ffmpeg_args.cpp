#include "engine/merge/ffmpeg_args.h"

#include <algorithm>

namespace tessellane {

namespace {

// "[0:v][1:v]...hstack=inputs=N": one labelled video input per clip, in list order.
std::string hstackInputs(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text.append("[").append(std::to_string(i)).append(":v]");
    return text.append("hstack=inputs=").append(std::to_string(count));
}

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
    std::vector<std::string> arguments = {"-nostdin", "-hide_banner", "-n"};
    appendInputs(arguments, clips);
    arguments.insert(arguments.end(), {"-filter_complex", hstackInputs(clips.size()) + ":shortest=1[v]"});
    arguments.insert(arguments.end(), {"-map", "[v]"});
    appendCodecBlock(arguments, first);
    if (!first.pixFmt.empty()) arguments.insert(arguments.end(), {"-pix_fmt", first.pixFmt});
    arguments.insert(arguments.end(), {"-r", first.fpsString});
    const std::pair<const char*, const std::string*> colourTags[] = {
        {"-colorspace", &first.colorSpace},
        {"-color_primaries", &first.colorPrimaries},
        {"-color_trc", &first.colorTransfer},
        {"-color_range", &first.colorRange},
    };
    for (const auto& [option, value] : colourTags) {
        if (isUsableColourValue(*value)) arguments.insert(arguments.end(), {option, *value});
    }
    arguments.insert(arguments.end(), {"-an", "-progress", "pipe:1", "-nostats", output.string()});
    return arguments;
}

}  // namespace tessellane
