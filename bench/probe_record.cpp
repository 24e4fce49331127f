// Prints what the probe records for each file named, and what the merge vector of that file with itself asks
// of ffmpeg, as key=value lines (one block per file, a blank line after it), the whole vector last as one
// "arg=" line per element, its output named out.<the file's extension>. scripts/check-real-movies.sh
// compares these with ffprobe's view of the same files and runs the vector.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/merge/ffmpeg_args.h"
#include "engine/probe/probe.h"

using namespace tessellane;

namespace {

// The value after `option` in the vector, or empty text.
std::string optionValue(const std::vector<std::string>& arguments, const std::string& option) {
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == option) return arguments[i + 1];
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE...\n", argv[0]);
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        const FileURL path = std::filesystem::absolute(argv[i]);
        const ClipInfo clip = probe(path);
        std::printf("file=%s\n", path.c_str());
        if (clip.error) {
            std::printf("error=%s\n\n", clip.error->c_str());
            continue;
        }
        const std::vector<std::string> arguments = buildArguments({clip, clip}, "out." + extensionOf(path));
        const std::pair<const char*, std::string> fields[] = {
            {"codec", clip.codec},
            {"tag", clip.codecTag},
            {"size", std::to_string(clip.width) + "x" + std::to_string(clip.height)},
            {"pix_fmt", clip.pixFmt},
            {"rate", clip.fpsString},
            {"frames", std::to_string(clip.frames)},
            {"color_space", clip.colorSpace},
            {"color_primaries", clip.colorPrimaries},
            {"color_transfer", clip.colorTransfer},
            {"color_range", clip.colorRange},
            {"pixel_aspect", clip.pixelAspect},
            {"vector_pix_fmt", optionValue(arguments, "-pix_fmt")},
            {"vector_rate", optionValue(arguments, "-r")},
            {"vector_color_space", optionValue(arguments, "-colorspace")},
            {"vector_color_primaries", optionValue(arguments, "-color_primaries")},
            {"vector_color_transfer", optionValue(arguments, "-color_trc")},
            {"vector_color_range", optionValue(arguments, "-color_range")},
        };
        for (const auto& [key, value] : fields) std::printf("%s=%s\n", key, value.c_str());
        for (const std::string& argument : arguments) std::printf("arg=%s\n", argument.c_str());
        std::printf("\n");
    }
    return 0;
}
