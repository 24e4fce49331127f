// A clip's real frame rate, from the durations its sample tables give its frames: what a video engineer
// reads off the timestamps, not the shortest gap between two of them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace tessellane {

// The durations of a track's samples in decode order (stts, then the fragments' trun), kept as a histogram.
// A sample lasting 2 ms or less is no frame of its own but an artefact of how B-frames were timed
// (stts 1, 5999, 1, 5999): it is merged with the sample after it, the two sharing their total.
class SampleDurations {
  public:
    explicit SampleDurations(std::uint32_t timescale = 0) : timescale_(timescale) {}

    // `count` samples that each last `delta` ticks.
    void add(std::uint64_t count, std::uint32_t delta);

    std::uint32_t timescale() const { return timescale_; }
    std::uint64_t samples() const { return samples_; }  // every sample, artefacts included
    std::uint64_t ticks() const { return ticks_; }      // their total duration
    // Samples per duration in ticks, merged artefacts included; those still waiting at the end are not.
    // At most limits::kMaxDistinctDurations durations are kept; the samples of others are left out.
    const std::map<double, std::uint64_t>& histogram() const { return histogram_; }

  private:
    void count(double duration, std::uint64_t samples);

    std::uint32_t timescale_;
    std::uint64_t samples_ = 0;
    std::uint64_t ticks_ = 0;
    std::uint64_t pendingSamples_ = 0;
    double pendingTicks_ = 0;
    std::map<double, std::uint64_t> histogram_;
};

struct FrameRate {
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;
    std::string text() const { return std::to_string(numerator) + "/" + std::to_string(denominator); }
    double value() const { return static_cast<double>(numerator) / static_cast<double>(denominator); }
    friend bool operator==(const FrameRate&, const FrameRate&) = default;
};

// The rate the durations show, snapped to the nearest standard rate within 1% (24000/1001, 24, 25,
// 30000/1001, 30, 50, 60000/1001, 60, ...); otherwise the exact rate of a steady clip, or the measured one
// to a thousandth. When every sample lasts 2 ms or less, their mean. Absent when the durations add up to no
// time at all, or the rate is absurd.
std::optional<FrameRate> measureFrameRate(const SampleDurations& durations);

}  // namespace tessellane
