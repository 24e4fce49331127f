// The window recomputes validation, order and naming on every redraw: they must stay far below a millisecond
// for a handful of clips. Sorting by collation keys is compared with the obvious pairwise ICU comparison.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "bench/ratio_reporter.h"
#include "engine/core/naming.h"
#include "engine/core/validation.h"

using namespace tessellane;

namespace {

std::vector<ClipInfo> makeClips(std::size_t count) {
    std::vector<ClipInfo> clips;
    std::mt19937 random(42);
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = "/media/card/A001_C" + std::to_string(random() % 100000) + "_카메라.mov";
        ClipInfo clip(FileURL(name), {.codec = "prores",
                                      .codecTag = "apch",
                                      .profile = "422 HQ",
                                      .width = 1920,
                                      .height = 1080,
                                      .pixFmt = "yuv422p10le",
                                      .fpsString = "24000/1001",
                                      .frames = static_cast<std::int64_t>(1000 + i % 7),
                                      .duration = 41.7,
                                      .colorSpace = "bt709",
                                      .colorPrimaries = "bt709",
                                      .colorTransfer = "bt709",
                                      .colorRange = "tv"});
        clips.push_back(clip);
    }
    return clips;
}

void BM_validate(benchmark::State& state) {
    const auto clips = makeClips(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(validate(clips));
}

void BM_naturalSorted(benchmark::State& state) {
    const auto clips = makeClips(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(naturalSorted(clips));
}

// The obvious alternative: a stable sort that collates the two names on every comparison.
void BM_pairwiseCollationSort(benchmark::State& state) {
    const auto clips = makeClips(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto sorted = clips;
        std::stable_sort(sorted.begin(), sorted.end(), [](const ClipInfo& a, const ClipInfo& b) {
            return naturalCompare(a.name(), b.name()) < 0;
        });
        benchmark::DoNotOptimize(sorted);
    }
}

void BM_outputFileName(benchmark::State& state) {
    const auto clips = makeClips(static_cast<std::size_t>(state.range(0)));
    std::vector<FileURL> urls;
    for (const auto& clip : clips) urls.push_back(clip.url());
    for (auto _ : state) benchmark::DoNotOptimize(outputFileName(urls, "_wide"));
}

}  // namespace

BENCHMARK(BM_validate)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_naturalSorted)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_pairwiseCollationSort)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_outputFileName)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
int main(int argc, char** argv) {
    return tessellane::bench::runWithRatios(argc, argv,
                                            {{"BM_pairwiseCollationSort/10", "BM_naturalSorted/10"},
                                             {"BM_pairwiseCollationSort/1000", "BM_naturalSorted/1000"}});
}
