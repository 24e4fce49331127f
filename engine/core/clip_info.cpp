#include "engine/core/clip_info.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "engine/core/ascii_case.h"
#include "engine/core/prores_profiles.h"
#include "engine/core/readable_numbers.h"

namespace tessellane {

ClipInfo::ClipInfo(FileURL url, ClipFields fields)
    : ClipFields(std::move(fields)), id_(Uuid::random()), url_(std::move(url)) {}

std::string ClipInfo::name() const { return url_.filename().string(); }

bool ClipInfo::isImage() const { return hasImageExtension(url_); }

double ClipInfo::fps() const { return parseFrameRate(fpsString); }

std::string ClipInfo::codecLabel() const {
    if (codec == "prores") return "ProRes " + proresName(codecTag, profile);
    return asciiUpper(codec);
}

std::string ClipInfo::timecode() const {
    // Durations come from file headers; clamp so that absurd values cannot overflow the rounding.
    double seconds = std::isfinite(duration) ? std::clamp(duration, -1e15, 1e15) : 0.0;
    long long t = std::llround(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", t / 3600, (t / 60) % 60, t % 60);
    return text;
}

std::string ClipInfo::sizeLabel() const { return formatByteCount(fileSize); }

}  // namespace tessellane
