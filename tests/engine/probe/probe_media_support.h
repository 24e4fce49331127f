// Shared by the probe tests: ffprobe's reading of a file, used as an independent oracle.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "tests/support/test_support.h"

namespace tessellane::testing {

// The first video stream's fields as ffprobe reports them ("unknown" colour names become empty text).
inline std::map<std::string, std::string> ffprobeVideo(const std::filesystem::path& file) {
    const std::string text = runTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                 "stream=codec_name,codec_tag_string,width,height,pix_fmt,"
                                                 "r_frame_rate,nb_frames,color_space,color_primaries,"
                                                 "color_transfer,color_range",
                                                 "-of", "default=noprint_wrappers=1", file.string()});
    std::map<std::string, std::string> fields;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            std::string value = line.substr(equals + 1);
            if (value == "unknown") value.clear();
            fields[line.substr(0, equals)] = value;
        }
        start = end + 1;
    }
    return fields;
}

}  // namespace tessellane::testing
