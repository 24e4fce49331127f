// The one answer to "can this merge start, and what does it write?": from the clips, where they go, the
// suffix and the settings, the output's name and path, every reason it cannot start, the warnings, where
// each clip lands, the sound, the ffmpeg vector and the frames the result must hold. The window, the
// command line and merge() all ask it; it touches the file system for one look at the output's name only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/core/layout_geometry.h"
#include "engine/core/merge_settings.h"
#include "engine/core/validation.h"
#include "engine/merge/audio_plan.h"

namespace tessellane {

struct MergePlan {
    std::string fileName;  // base name + suffix + extension; empty without clips
    FileURL output;        // the folder with the name appended (the folder alone without clips); empty
                           // without a folder
    std::optional<std::string> suffixProblem;  // the suffix cannot be part of a name
    Validation validation;                     // the clips under the settings
    std::optional<std::string> nameProblem;    // no name, or one that names a folder ("." and "..")
    bool outputTaken = false;                  // something (a file, a folder, a dangling link) has the name
    std::optional<FileURL> outputIsInput;      // the listed clip whose file the output would be
    std::optional<std::string> writerProblem;  // no writer takes the extension
    std::optional<std::string> sizeProblem;    // the frame is beyond what the encoder takes
    LayoutGeometry geometry;
    std::optional<AudioPlan> audio;
    // The vector as shown: inputs and output under their own names (merge() hands ffmpeg descriptors).
    std::vector<std::string> arguments;
    double progressTotal = 1;      // the frames progress is counted against
    std::int64_t leastFrames = 0;  // a whole result holds at least these

    // Nothing stands in the way: the merge may start.
    bool ok() const;
};

// Whether anything exists at a path; a dangling link counts (writing through it would make a file).
using PathLookup = std::function<bool(const FileURL&)>;
bool somethingAt(const FileURL& path);

// The plan for an output named from the clips and the suffix in `folder` (none: the window has no clips and
// no folder chosen).
MergePlan planMerge(const std::vector<ClipInfo>& clips, const std::optional<FileURL>& folder,
                    std::string_view suffix, const MergeSettings& settings,
                    const PathLookup& exists = somethingAt);

// The plan for an output path already chosen.
MergePlan planMergeTo(const std::vector<ClipInfo>& clips, const FileURL& output,
                      const MergeSettings& settings, const PathLookup& exists = somethingAt);

}  // namespace tessellane
