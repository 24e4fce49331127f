#include "engine/probe/frame_rate.h"

#include <cmath>
#include <limits>
#include <numeric>

#include "engine/probe/probe_limits.h"

namespace tessellane {
namespace {

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max()
                                                             : a + b;
}

constexpr FrameRate kStandardRates[] = {
    {8, 1},         {10, 1},       {12, 1},  {25, 2},       {15000, 1001},  {15, 1},       {20, 1},
    {24000, 1001},  {24, 1},       {25, 1},  {30000, 1001}, {30, 1},        {48000, 1001}, {48, 1},
    {50, 1},        {60000, 1001}, {60, 1},  {72, 1},       {90, 1},        {96, 1},       {100, 1},
    {120000, 1001}, {120, 1},      {144, 1}, {180, 1},      {240000, 1001}, {240, 1},      {300, 1},
};

// A measured rate within this of a standard rate is that rate: phones record "30" at 29.87 or 30.03, and
// a 10 MHz time scale writes 23.976 as 23.97604. The standard rates of one family lie 4% apart (24, 25),
// so a clip 1% off every one of them is none of them; between 29.97 and 30, the nearer wins.
constexpr double kMaxSnap = 0.01;

FrameRate reduced(std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t divisor = std::gcd(numerator, denominator);
    return {numerator / divisor, denominator / divisor};
}

const FrameRate* nearestStandard(double measured) {
    const FrameRate* nearest = nullptr;
    double nearestError = kMaxSnap;
    for (const FrameRate& standard : kStandardRates) {
        const double error = std::abs(measured / standard.value() - 1);
        if (error <= nearestError) {
            nearest = &standard;
            nearestError = error;
        }
    }
    return nearest;
}

// A rate that is no standard one, to a thousandth; absent when absurd.
std::optional<FrameRate> thousandths(double measured) {
    if (!(measured >= 0.001 && measured <= limits::kMaxFrameRate)) return std::nullopt;
    return reduced(std::llround(measured * 1000), 1000);
}

}  // namespace

void SampleDurations::add(std::uint64_t count, std::uint32_t delta) {
    samples_ = saturatingAdd(samples_, count);
    ticks_ = saturatingAdd(ticks_, count * delta);  // the product fits in 64 bits
    if (count == 0) return;
    if (delta == 0 || std::uint64_t(delta) * 500 <= timescale_) {  // 2 ms or less: no frame of its own
        pendingSamples_ = saturatingAdd(pendingSamples_, count);
        pendingTicks_ += static_cast<double>(count) * delta;
        return;
    }
    if (pendingSamples_ > 0) {
        const std::uint64_t merged = saturatingAdd(pendingSamples_, 1);
        this->count((pendingTicks_ + delta) / static_cast<double>(merged), merged);
        pendingSamples_ = 0;
        pendingTicks_ = 0;
        --count;
    }
    if (count > 0) this->count(delta, count);
}

void SampleDurations::count(double duration, std::uint64_t samples) {
    if (const auto found = histogram_.find(duration); found != histogram_.end())
        found->second = saturatingAdd(found->second, samples);
    else if (histogram_.size() < limits::kMaxDistinctDurations)
        histogram_.emplace(duration, samples);
}

std::optional<FrameRate> measureFrameRate(const SampleDurations& durations) {
    const double timescale = durations.timescale();
    const auto& histogram = durations.histogram();
    std::uint64_t total = 0;
    double ticks = 0;
    auto mode = histogram.end();
    for (auto it = histogram.begin(); it != histogram.end(); ++it) {
        total = saturatingAdd(total, it->second);
        ticks += static_cast<double>(it->second) * it->first;
        if (mode == histogram.end() || it->second > mode->second) mode = it;
    }
    if (timescale <= 0) return std::nullopt;
    // Only durations of 2 ms or less: no frame time to go by but their mean, if they add up to any time.
    if (total == 0) {
        if (durations.ticks() == 0) return std::nullopt;
        const double mean =
            timescale * static_cast<double>(durations.samples()) / static_cast<double>(durations.ticks());
        if (const FrameRate* standard = nearestStandard(mean)) return *standard;
        return thousandths(mean);
    }

    // A steady clip: one duration for all its samples but a first or last one.
    if (mode->second + 2 >= total) {
        const double delta = mode->first;
        if (const FrameRate* standard = nearestStandard(timescale / delta)) return *standard;
        if (delta == std::floor(delta) && delta <= double(std::numeric_limits<std::int32_t>::max()))
            return reduced(static_cast<std::int64_t>(timescale), static_cast<std::int64_t>(delta));
        return thousandths(timescale / delta);
    }
    // Otherwise the durations that lie within 6% of each other and hold the most samples: timestamps
    // rounded to a coarser clock (33 and 34 ms for 29.97, 528 and 544 at 16 kHz for 30) or the common
    // frame time of a variable-rate clip. Their mean is the rate; failing a standard rate, the mean of all.
    std::uint64_t clusterSamples = 0, windowSamples = 0;
    double clusterTicks = 0, windowTicks = 0;
    for (auto low = histogram.begin(), high = histogram.begin(); high != histogram.end(); ++high) {
        windowSamples += high->second;
        windowTicks += static_cast<double>(high->second) * high->first;
        for (; high->first > low->first * 1.06; ++low) {
            windowSamples -= low->second;
            windowTicks -= static_cast<double>(low->second) * low->first;
        }
        if (windowSamples > clusterSamples) {
            clusterSamples = windowSamples;
            clusterTicks = windowTicks;
        }
    }
    const double common = timescale * static_cast<double>(clusterSamples) / clusterTicks;
    const double mean = timescale * static_cast<double>(total) / ticks;
    for (const double measured : {common, mean})
        if (const FrameRate* standard = nearestStandard(measured)) return *standard;
    return thousandths(clusterSamples * 2 > total ? common : mean);
}

}  // namespace tessellane
