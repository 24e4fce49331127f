#include "engine/merge/pinned_inputs.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "engine/core/messages.h"
#include "engine/core/utf8.h"
#include "engine/merge/merge_error.h"
#include "engine/probe/probe.h"

namespace tessellane {

namespace {

// Descriptors ffmpeg opens besides its inputs (pipes, the output, its libraries), and those this process
// may open meanwhile (another thread's thumbnails): generous for both.
constexpr rlim_t kChildHeadroom = 64;
constexpr rlim_t kOwnHeadroom = 64;

rlim_t openDescriptors() {
    std::error_code error;
    rlim_t count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
         it.increment(error))
        ++count;
    return count;
}

// Makes room for `inputs` more open files here and twice as many in ffmpeg, raising this process's soft
// limit as far as needed; refuses when the hard limit is too low.
void makeRoomFor(rlim_t inputs) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    const rlim_t own = openDescriptors() + inputs + kOwnHeadroom;
    const rlim_t needed = std::max(own, 2 * inputs + kChildHeadroom);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < needed)
        throw MergeError::refused(messages::tooManyInputs(inputs, limit.rlim_max));
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < own) {
        limit.rlim_cur = own;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// What the merge was planned from: a file whose record differs in any of these is not the one validated.
bool sameMedia(const ClipFields& a, const ClipFields& b) {
    return a.error.has_value() == b.error.has_value() && a.codec == b.codec && a.codecTag == b.codecTag &&
           a.profile == b.profile && a.width == b.width && a.height == b.height && a.pixFmt == b.pixFmt &&
           a.fpsString == b.fpsString && a.frames == b.frames && a.colorSpace == b.colorSpace &&
           a.colorPrimaries == b.colorPrimaries && a.colorTransfer == b.colorTransfer &&
           a.colorRange == b.colorRange;
}

}  // namespace

PinnedInputs::PinnedInputs(const std::vector<ClipInfo>& clips) {
    makeRoomFor(clips.size());
    for (const ClipInfo& clip : clips) {
        const std::string name = escapeControls(clip.name());
        // Non-blocking: a FIFO put in a file's place must not stall the merge until a writer comes.
        UniqueFd fd(::open(clip.url().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
        if (!fd && errno == ENOENT) throw MergeError::refused(messages::inputMissing(name));
        if (!fd) throw MergeError::refused(messages::inputUnopenable(name, fileProblem(errno)));
        fds_.push_back(fd.get());
        owned_.push_back(std::move(fd));
        // Read again through the descriptor ffmpeg will read: what it finds must be what was validated.
        struct stat info {};
        const std::string opened = path(fds_.size() - 1);
        const bool regular = ::fstat(fds_.back(), &info) == 0 && S_ISREG(info.st_mode);
        if (!regular ||
            !sameMedia(clip, clip.isImage() ? probeImage(opened, ClipInfo(clip.url())) : probe(opened)))
            throw MergeError::refused(messages::inputChanged(name));
    }
}

rlim_t PinnedInputs::childOpenFiles() const { return 2 * fds_.size() + kChildHeadroom; }

}  // namespace tessellane
