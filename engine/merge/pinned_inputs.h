// The inputs as ffmpeg reads them: each opened once, checked to be still what was probed, and handed to
// ffmpeg as /proc/self/fd/N, so a file renamed, replaced or swapped for a link after probing can never feed
// it something else.
#pragma once

#include <sys/resource.h>

#include <string>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/core/unique_fd.h"

namespace tessellane {

class PinnedInputs {
  public:
    // Throws MergeError::refused naming the input that is missing, unreadable or no longer what was probed,
    // or when there are more inputs than a process may have open.
    explicit PinnedInputs(const std::vector<ClipInfo>& clips);

    const std::vector<int>& fds() const { return fds_; }
    std::string path(std::size_t index) const { return "/proc/self/fd/" + std::to_string(fds_.at(index)); }
    // The open-file limit ffmpeg needs: it inherits these descriptors and opens each input once more.
    rlim_t childOpenFiles() const;

  private:
    std::vector<UniqueFd> owned_;
    std::vector<int> fds_;
};

}  // namespace tessellane
