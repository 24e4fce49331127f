// Checks whether an ordered clip list can be merged: blocking problems and warnings, as Korean sentences.
#pragma once

#include <string>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/core/merge_settings.h"

namespace tessellane {

struct Validation {
    std::vector<std::string> blocking;  // forbid the merge, in the order found
    std::vector<std::string> warnings;  // resolved by the merge in a fixed way

    bool ok() const { return blocking.empty(); }
    friend bool operator==(const Validation&, const Validation&) = default;
};

// Pure and cheap: reads only the records, never the files. The settings decide what a difference means:
// sizes and rates that differ block the merge, or are fitted and conformed with a warning naming the target.
Validation validate(const std::vector<ClipInfo>& clips, const MergeSettings& settings = {});

}  // namespace tessellane
