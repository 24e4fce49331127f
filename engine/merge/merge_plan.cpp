#include "engine/merge/merge_plan.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "engine/core/messages.h"
#include "engine/core/naming.h"
#include "engine/core/picture_size.h"
#include "engine/merge/ffmpeg_args.h"
#include "engine/merge/output_writer.h"

namespace tessellane {

namespace {

// The frames a whole result holds at least. ffmpeg writes it at one steady rate until the shortest clip
// ends: a clip that starts late (an edit that begins with a gap, B-frame delay) gains frames at the start,
// and a clip of varying rate counts as its length at that rate rather than its own number of samples; a
// clip conformed to the rate counts as its length at that rate too. Fewer frames than this mean a clip
// ended early while ffmpeg read it.
std::int64_t leastFrames(const std::vector<ClipInfo>& clips, bool conformed) {
    const ClipInfo& first = clips.front();
    const double rate = first.fps();
    std::int64_t least = std::numeric_limits<std::int64_t>::max();
    for (const ClipInfo& clip : clips) {
        std::int64_t frames = clip.frames;
        const double atRate = clip.duration * rate;
        const bool converted = conformed && clip.fpsString != first.fpsString;
        if (atRate > 0 && (converted || atRate < static_cast<double>(frames)))
            frames = static_cast<std::int64_t>(std::floor(atRate + 1e-6));
        least = std::min(least, frames);
    }
    return least;
}

void complete(MergePlan& plan, const std::vector<ClipInfo>& clips, const MergeSettings& settings,
              const PathLookup& exists) {
    plan.validation = validate(clips, settings);
    plan.geometry = layoutGeometry(clips, settings);
    if (!plan.output.empty()) plan.outputTaken = exists(plan.output);
    if (clips.empty()) return;

    // An output named by nothing would name its folder.
    const std::string name = plan.output.filename().string();
    if (name.empty())
        plan.nameProblem = messages::kOutputNameless;
    else if (name == "." || name == "..")
        plan.nameProblem = messages::outputNameUnusable(name);
    else if (!outputWriter(plan.output))
        plan.writerProblem = noWriterMessage(plan.output);
    const FileURL standardOutput = plan.output.lexically_normal();
    for (const ClipInfo& clip : clips) {
        if (clip.url().lexically_normal() == standardOutput) {
            plan.outputIsInput = clip.url();
            break;
        }
    }
    const bool stills =
        std::all_of(clips.begin(), clips.end(), [](const ClipInfo& clip) { return clip.isImage(); });
    // A still's limits are validation's; a movie's encoder refuses a frame this big only once it runs.
    if (!stills && (settings.fitSizes || sizesAgree(clips, settings.layout)))
        plan.sizeProblem =
            resultSizeProblem(plan.geometry.width, plan.geometry.height, {}, clips.front().codec);

    plan.audio = audioPlan(clips, plan.output, settings);
    plan.arguments = buildArguments(clips, plan.output, settings, plan.geometry, plan.audio);
    plan.leastFrames = leastFrames(clips, settings.conformRates);
    const auto shortest = std::min_element(clips.begin(), clips.end(),
                                           [](const auto& a, const auto& b) { return a.frames < b.frames; });
    plan.progressTotal = static_cast<double>(settings.conformRates ? plan.leastFrames : shortest->frames);
}

}  // namespace

bool MergePlan::ok() const {
    return validation.ok() && !suffixProblem && !nameProblem && !outputTaken && !outputIsInput &&
           !writerProblem && !sizeProblem;
}

bool somethingAt(const FileURL& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

MergePlan planMerge(const std::vector<ClipInfo>& clips, const std::optional<FileURL>& folder,
                    std::string_view suffix, const MergeSettings& settings, const PathLookup& exists) {
    MergePlan plan;
    if (!clips.empty()) {
        std::vector<FileURL> urls;
        urls.reserve(clips.size());
        for (const ClipInfo& clip : clips) urls.push_back(clip.url());
        plan.fileName = outputFileName(urls, suffix);
    }
    plan.suffixProblem = suffixProblem(suffix);
    if (folder) plan.output = outputPath(*folder, plan.fileName);
    complete(plan, clips, settings, exists);
    return plan;
}

MergePlan planMergeTo(const std::vector<ClipInfo>& clips, const FileURL& output,
                      const MergeSettings& settings, const PathLookup& exists) {
    MergePlan plan;
    plan.fileName = output.filename().string();
    plan.output = output;
    complete(plan, clips, settings, exists);
    return plan;
}

}  // namespace tessellane
