// The window makes the merge plan once per change of the list, the folder, the suffix or the settings; for
// 1,000 clips it must stay well under a frame (16 ms), also with every setting on. The obvious alternative
// is what the window did before the plan: each view asked its own question on each redraw, and each
// question worked its answer out anew (validation for the box and the button, the output's name for the
// name box, the title and the list's footer, the existence of the output for the name box, the box and the
// button).
#include <benchmark/benchmark.h>

#include <random>

#include "bench/ratio_reporter.h"
#include "engine/core/naming.h"
#include "engine/core/validation.h"
#include "engine/merge/merge_plan.h"

using namespace tessellane;

namespace {

// Camera clips in one folder; with `mixed`, every third clip is a 1280x720 phone clip at 30 fps with sound.
std::vector<ClipInfo> makeClips(std::size_t count, bool mixed) {
    std::vector<ClipInfo> clips;
    std::mt19937 random(42);
    for (std::size_t i = 0; i < count; ++i) {
        const bool phone = mixed && i % 3 == 2;
        const std::string name = "/tmp/bench_card/A001_C" + std::to_string(random() % 100000) + "_카메라.mov";
        clips.emplace_back(FileURL(name), ClipFields{.codec = "h264",
                                                     .codecTag = "avc1",
                                                     .width = phone ? 1280 : 1920,
                                                     .height = phone ? 720 : 1080,
                                                     .pixFmt = "yuv420p",
                                                     .fpsString = phone ? "30/1" : "25/1",
                                                     .frames = static_cast<std::int64_t>(1000 + i % 7),
                                                     .duration = 40.0,
                                                     .colorSpace = "bt709",
                                                     .hasAudio = phone,
                                                     .audioCodec = phone ? "aac" : "",
                                                     .audioChannels = phone ? 2 : 0});
    }
    return clips;
}

const FileURL kFolder = "/tmp/bench_card";

void BM_planMerge(benchmark::State& state) {
    const auto clips = makeClips(static_cast<std::size_t>(state.range(0)), false);
    for (auto _ : state) benchmark::DoNotOptimize(planMerge(clips, kFolder, "_wide", {}));
}

// Every third clip differs in size, rate and sound: a fitted, conformed grid keeping one clip's sound.
void BM_planMergeEverySetting(benchmark::State& state) {
    const auto clips = makeClips(static_cast<std::size_t>(state.range(0)), true);
    const MergeSettings settings{
        .layout = Layout::grid, .fitSizes = true, .conformRates = true, .audioClip = 2};
    for (auto _ : state) benchmark::DoNotOptimize(planMerge(clips, kFolder, "_wide", settings));
}

// One redraw before the plan: two validations, five names, three existence checks, each named anew.
void BM_questionsPerRead(benchmark::State& state) {
    const auto clips = makeClips(static_cast<std::size_t>(state.range(0)), false);
    for (auto _ : state) {
        const auto name = [&] {
            std::vector<FileURL> urls;
            for (const ClipInfo& clip : clips) urls.push_back(clip.url());
            return outputFileName(urls, "_wide");
        };
        for (int i = 0; i < 2; ++i) benchmark::DoNotOptimize(validate(clips));
        for (int i = 0; i < 5; ++i) benchmark::DoNotOptimize(name());
        for (int i = 0; i < 3; ++i) benchmark::DoNotOptimize(somethingAt(outputPath(kFolder, name())));
    }
}

}  // namespace

BENCHMARK(BM_planMerge)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_planMergeEverySetting)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_questionsPerRead)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
int main(int argc, char** argv) {
    return tessellane::bench::runWithRatios(
        argc, argv,
        {{"BM_questionsPerRead/10", "BM_planMerge/10"}, {"BM_questionsPerRead/1000", "BM_planMerge/1000"}});
}
