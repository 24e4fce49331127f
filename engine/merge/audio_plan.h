// The sound a merge keeps: the first audio track of one chosen clip, copied as it is where the output's
// container takes its codec, otherwise encoded (24-bit PCM beside ProRes, AAC beside H.264 and HEVC).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/core/merge_settings.h"

namespace tessellane {

struct AudioPlan {
    std::size_t clip = 0;            // the clip whose first audio track is kept, by position
    bool copied = false;             // as it is; otherwise encoded
    std::vector<std::string> codec;  // "-c:a" and its options
    // What the user is told: whose sound, its codec, and whether it is copied or encoded to what.
    std::string description;

    friend bool operator==(const AudioPlan&, const AudioPlan&) = default;
};

// "AAC", "PCM", "ALAC", ..., the sample-description code for a codec without a name here; "" for none.
std::string audioCodecLabel(const std::string& audioCodec);

// The plan for the chosen clip of a movie merge into `output`, when it has sound; none otherwise (no clip
// chosen, a still merge, a clip without sound: validation says why that blocks).
std::optional<AudioPlan> audioPlan(const std::vector<ClipInfo>& clips, const FileURL& output,
                                   const MergeSettings& settings);

}  // namespace tessellane
