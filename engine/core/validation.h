// Checks whether an ordered clip list can be merged: blocking problems and warnings, as Korean sentences.
#pragma once

#include <string>
#include <vector>

#include "engine/core/clip_info.h"

namespace tessellane {

struct Validation {
    std::vector<std::string> blocking;  // forbid the merge, in the order found
    std::vector<std::string> warnings;  // resolved by the merge in a fixed way

    bool ok() const { return blocking.empty(); }
    friend bool operator==(const Validation&, const Validation&) = default;
};

// Pure and cheap: reads only the records, never the files.
Validation validate(const std::vector<ClipInfo>& clips);

}  // namespace tessellane
