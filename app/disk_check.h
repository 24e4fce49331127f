// The background look at what can change on disk behind the window's back: whether each listed clip is
// still the file that was probed (a changed one is probed again), and whether the output could be made
// where the settings put it. It runs off the main thread, since a look at a dead network mount can hang.
#pragma once

#include <QObject>
#include <QThreadPool>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/merge/temporary_output.h"

namespace tessellane {

// The output folder as stat() sees it. Trying the output's place changes the folder's times, so a folder
// that watchers say changed is tried again only when this differs from the last try's.
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint32_t mode = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

struct DiskCheck {
    std::vector<ClipInfo> clips;              // as listed
    FileURL output;                           // empty: no place to try
    std::optional<FolderIdentity> lastTried;  // the folder at the last try of this output; none: try it
};

struct DiskCheckResult {
    std::vector<ClipInfo> reprobed;  // the clips whose file changed, read again, with their listed ids
    FileURL output;
    std::optional<FolderIdentity> folder;      // none when the folder could not be looked at
    std::optional<OutputPlaceProblems> place;  // none: not tried again, the folder is as last tried
};

// Whether the file at the record's path is no longer the one the record was read from. A record that was
// never read from a file (no time, no error) is taken as it is.
bool fileChanged(const ClipInfo& clip);

// Runs `check` on `pool`, then calls `done` on `receiver`'s thread.
void startDiskCheck(QThreadPool& pool, QObject* receiver, DiskCheck check,
                    std::function<void(DiskCheckResult)> done);

}  // namespace tessellane
