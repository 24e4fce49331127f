// The hidden folder of one run inside the output folder (".tessellane-XXXXXX"): locked and signed by its
// owner for as long as the run lives, so that a later run can tell a dead run's leftovers from a live one's.
#pragma once

#include <string>
#include <vector>

#include "engine/core/unique_fd.h"

namespace tessellane {

class RunFolder {
  public:
    // Creates the folder inside the open folder `parent`. Throws std::system_error when it cannot.
    explicit RunFolder(int parent);
    // Removes what it made inside, then itself.
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    int fd() const { return folder_.get(); }
    const std::string& name() const { return name_; }
    // An entry made inside, removed with the folder unless it has been moved away.
    void adopt(std::string entry) { entries_.push_back(std::move(entry)); }

  private:
    int parent_;
    std::string name_;
    UniqueFd folder_;  // open for the run's life: it holds the lock
    std::vector<std::string> entries_;
};

// Removes, from the open folder `parent`, the hidden folders of runs that are provably gone: named as
// ours, owned by this user, unlocked, and signed on this machine by a run no longer alive (unsigned ones
// once an hour old). Anything doubtful stays; nothing here ever fails a merge.
void reclaimDeadRuns(int parent);

}  // namespace tessellane
