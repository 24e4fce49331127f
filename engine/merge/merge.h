// Runs one merge with ffmpeg: checks, progress from its frame lines, errors in the user's words.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/core/merge_settings.h"
#include "engine/merge/merge_error.h"

namespace tessellane {

class Cancellation;

struct MergeResult {
    ClipInfo output;  // the published file, as probed
    // Errors that ffmpeg reported while still finishing (a damaged input it decoded as well as it could),
    // as one sentence to show beside the result; empty when there were none.
    std::string warning;
};

using ProgressCallback = std::function<void(double)>;
// Called once ffmpeg has started, with the vector that runs the same merge by hand: the inputs and the
// output under their own names ("-n": it never overwrites). ffmpeg itself gets descriptors of ours.
using CommandCallback = std::function<void(const std::vector<std::string>&)>;

// Blocks until ffmpeg ends; throws MergeError, or std::system_error for a refused start of ffmpeg.
// progress is called on the calling thread with fractions 0..1, 1 once at success. The merge plan's
// reasons (clips, name, sizes), the output folder and the inputs are checked before ffmpeg starts; ffmpeg
// reads the inputs exactly as they were checked and writes a temporary in the output folder. Only a result
// that probes as the one asked for (size, codec, frame count, sound) is flushed to disk and published under
// the output's name, never over a file that appeared meanwhile. A failed or cancelled run leaves nothing
// behind. When `cancel` is requested, ffmpeg is stopped and the call throws MergeError::cancelled().
MergeResult merge(const std::vector<ClipInfo>& clips, const FileURL& output, const ProgressCallback& progress,
                  const Cancellation* cancel = nullptr, const CommandCallback& started = {},
                  const MergeSettings& settings = {});

// What the user is told of a finished result: its size, codec and length (or pixel format), and sound.
std::string resultSummary(const ClipInfo& clip);

}  // namespace tessellane
