#include "engine/merge/undecodable_picture.h"

#include <chrono>

#include "engine/core/utf8.h"
#include "engine/merge/ffmpeg_args.h"
#include "engine/merge/tools.h"

namespace tessellane {

std::optional<std::string> undecodablePicture(const std::string& ffmpeg, const std::vector<ClipInfo>& clips,
                                              const Cancellation* cancel) {
    using namespace std::chrono_literals;
    for (const ClipInfo& clip : clips) {
        if (!clip.isImage()) return std::nullopt;
        // Read as the merge reads it; "file:" keeps a name with a colon from being taken for a protocol.
        const CaptureResult decoded =
            runCapture(ffmpeg,
                       {"-nostdin", "-v", "error", "-xerror", "-f", pictureReader(clip), "-i",
                        "file:" + clip.url().string(), "-frames:v", "1", "-f", "null", "-"},
                       {.timeout = 60s, .cancel = cancel});
        if (decoded.stopped) return std::nullopt;
        if (!decoded.status.succeeded()) return escapeControls(clip.name());
    }
    return std::nullopt;
}

}  // namespace tessellane
