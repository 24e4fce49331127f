#include "engine/merge/merge.h"

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>

#include "engine/core/messages.h"
#include "engine/core/picture_size.h"
#include "engine/core/prores_profiles.h"
#include "engine/core/utf8.h"
#include "engine/core/validation.h"
#include "engine/merge/cancellation.h"
#include "engine/merge/child_process.h"
#include "engine/merge/descriptor_names.h"
#include "engine/merge/diagnostic_tail.h"
#include "engine/merge/merge_plan.h"
#include "engine/merge/output_writer.h"
#include "engine/merge/pinned_inputs.h"
#include "engine/merge/progress_reader.h"
#include "engine/merge/temporary_output.h"
#include "engine/merge/tools.h"
#include "engine/merge/undecodable_picture.h"
#include "engine/probe/image_header.h"
#include "engine/probe/probe.h"

namespace tessellane {

namespace {

// The vector ffmpeg really runs: the inputs and the output as descriptors of ours; "-y" because the output
// file exists already (this run made it); the writer named; each diagnostic line with its level, so that
// errors on the way to a good result can be told from the rest.
std::vector<std::string> realArguments(const std::vector<std::string>& display, const PinnedInputs& inputs,
                                       const TemporaryOutput& temporary, const OutputWriter& writer) {
    std::vector<std::string> arguments;
    std::size_t input = 0;
    for (std::size_t i = 0; i + 1 < display.size(); ++i) {
        if (display[i] == "-n") {
            arguments.insert(arguments.end(), {"-y", "-loglevel", "level+info"});
            continue;
        }
        arguments.push_back(display[i]);
        if (display[i] == "-i") arguments.push_back(inputs.path(input++)), ++i;
    }
    arguments.insert(arguments.end(), {"-f", writer.format});
    if (writer.codec) arguments.insert(arguments.end(), {"-c:v", writer.codec});
    arguments.push_back(temporary.path());
    return arguments;
}

std::string imageKindName(ImageKind kind) {
    switch (kind) {
        case ImageKind::png:
            return "PNG";
        case ImageKind::jpeg:
            return "JPEG";
        case ImageKind::tiff:
            return "TIFF";
        case ImageKind::bmp:
            return "BMP";
        case ImageKind::webp:
            return "WebP";
    }
    return "?";
}

// The sample-description code each encoder writes, for the codec the first clip asks for.
std::string expectedTag(const ClipInfo& first) {
    if (first.codec == "prores")
        return std::string(proresTag(proresProfileNumber(first.codecTag, first.profile)));
    return first.codec == "hevc" ? "hvc1" : "avc1";
}

// ffmpeg can exit 0 and still leave something else than asked (a damaged or cut input does this): the
// result must probe as the kind of file asked for, at the size the layout gives, in the codec asked for,
// with every frame of the shortest clip, and with the sound asked for.
ClipInfo verifyOutput(const std::vector<ClipInfo>& clips, const MergePlan& plan,
                      const TemporaryOutput& temporary, const FileURL& output) {
    struct stat info {};
    if (::fstat(temporary.fd(), &info) != 0 || info.st_size == 0)
        throw MergeError::unverified(std::string(messages::kNoResultFile));
    const std::string written = temporary.path();
    const bool image = hasImageExtension(output);
    std::optional<ImageKind> kind;  // what the picture's content says it is
    ClipInfo result(output, image ? probeImage(written, ClipInfo(output), &kind) : probe(written));
    result.fileSize = info.st_size;
    if (result.error || (!image && result.frames < 1))
        throw MergeError::unverified(std::string(messages::kResultUnreadable));

    const ClipInfo& first = clips.front();
    const std::int64_t width = plan.geometry.width, height = plan.geometry.height;
    if (result.width != width || result.height != height)
        throw MergeError::unverified(
            messages::resultSizeDiffers(sizeText(result.width, result.height), sizeText(width, height)));
    if (image) {
        const std::string extension = lowerExtensionOf(output);
        const ImageKind asked = extension == "png"                          ? ImageKind::png
                                : extension == "jpg" || extension == "jpeg" ? ImageKind::jpeg
                                : extension == "bmp"                        ? ImageKind::bmp
                                : extension == "webp"                       ? ImageKind::webp
                                                                            : ImageKind::tiff;
        if (kind != asked)
            throw MergeError::unverified(
                messages::resultFormatDiffers(kind ? imageKindName(*kind) : "?", imageKindName(asked)));
        return result;
    }
    const std::string tag = expectedTag(first);
    if (result.codec != first.codec || result.codecTag != tag) {
        const bool sameCodec = result.codec == first.codec;
        throw MergeError::unverified(messages::resultCodecDiffers(sameCodec ? result.codecTag : result.codec,
                                                                  sameCodec ? tag : first.codec));
    }
    const std::int64_t frames = plan.leastFrames;
    if (frames > 0 && result.frames < frames)
        throw MergeError::unverified(messages::resultFramesDiffer(result.frames, frames));
    if (plan.audio && !result.hasAudio)
        throw MergeError::unverified(std::string(messages::kResultWithoutSound));
    return result;
}

// Every reason the plan gives not to start, in the order the user can act on them; nothing has been
// written yet.
void refuseBeforeWork(const MergePlan& plan, const FileURL& output, const Cancellation* cancel) {
    if (!plan.validation.ok()) {
        std::string message;
        for (const std::string& line : plan.validation.blocking)
            message.append(message.empty() ? "" : "\n").append(escapeControls(line));
        throw MergeError::invalid(message);
    }
    if (plan.nameProblem) throw MergeError::refused(*plan.nameProblem);
    // This early look only gives the clear message before any work; publishing is what guarantees nothing
    // is replaced.
    if (plan.outputTaken || plan.outputIsInput) throw MergeError::exists(output.string());
    if (plan.writerProblem) throw MergeError::refused(*plan.writerProblem);
    if (plan.sizeProblem) throw MergeError::refused(*plan.sizeProblem);
    if (cancel && cancel->requested()) throw MergeError::cancelled();
}

// ffmpeg started on the pinned inputs and the temporary; `started` hears the command as the user could run
// it. Should `started` throw, the child is ended and reaped before the exception goes on.
ChildProcess startFFmpeg(const std::string& ffmpeg, const MergePlan& plan, const PinnedInputs& inputs,
                         const TemporaryOutput& temporary, const FileURL& output,
                         const CommandCallback& started) {
    const std::vector<std::string>& display = plan.arguments;
    ChildExtras extras{.inherited = inputs.fds(), .openFiles = inputs.childOpenFiles()};
    extras.inherited.push_back(temporary.fd());
    // A refused start throws std::system_error, which the callers show as it is.
    ChildProcess child = spawnChild(ffmpeg, realArguments(display, inputs, temporary, *outputWriter(output)),
                                    ChildOutput::pipe, ChildOutput::pipe, extras);
    try {
        if (started) started(display);
    } catch (...) {
        ::kill(child.pid, SIGKILL);
        waitForChild(child.pid);
        throw;
    }
    return child;
}

// ffmpeg's diagnostics speak of descriptors; the user knows the files by name.
std::map<int, std::string> descriptorNames(const std::vector<ClipInfo>& clips, const PinnedInputs& inputs,
                                           const TemporaryOutput& temporary, const FileURL& output) {
    std::map<int, std::string> names{{temporary.fd(), escapeControls(output.filename().string())}};
    for (std::size_t i = 0; i < clips.size(); ++i)
        names.emplace(inputs.fds()[i], escapeControls(clips[i].name()));
    return names;
}

}  // namespace

MergeResult merge(const std::vector<ClipInfo>& clips, const FileURL& output, const ProgressCallback& progress,
                  const Cancellation* cancel, const CommandCallback& started, const MergeSettings& settings) {
    const std::optional<std::string> ffmpeg = tool_search::find("ffmpeg");
    if (!ffmpeg) throw MergeError::noFFmpeg();
    const MergePlan plan = planMergeTo(clips, output, settings);
    refuseBeforeWork(plan, output, cancel);

    const PinnedInputs inputs(clips);
    TemporaryOutput temporary(output);
    ChildProcess child = startFFmpeg(*ffmpeg, plan, inputs, temporary, output, started);
    ProgressReader reader(plan.progressTotal, progress);
    DiagnosticTail diagnostics;
    const ChildOutcome outcome = superviseChild(
        child, [&reader](std::string_view chunk) { reader.feed(chunk); },
        [&diagnostics](std::string_view chunk) { diagnostics.append(chunk); }, ChildLimits{.cancel = cancel});

    if (outcome.stopped || (cancel && cancel->requested())) throw MergeError::cancelled();
    // A signal nobody here sent: ffmpeg's last lines would only mislead.
    if (outcome.status.kind == ExitStatus::Kind::killed) throw MergeError::killed(outcome.status.number);
    const std::map<int, std::string> names = descriptorNames(clips, inputs, temporary, output);
    if (!outcome.status.succeeded()) {
        const std::optional<std::string> bad = undecodablePicture(*ffmpeg, clips, cancel);
        const std::string reason = withFileNames(diagnostics.reason(), names);
        throw MergeError::failed(bad ? messages::pictureNotDecoded(*bad, reason) : reason);
    }
    MergeResult result{verifyOutput(clips, plan, temporary, output), {}};

    if (temporary.publish() == TemporaryOutput::Publish::nameTaken) throw MergeError::exists(output.string());
    if (const std::string errors = withFileNames(diagnostics.errors(), names); !errors.empty())
        result.warning = messages::inputErrorsReported(errors);
    if (progress) progress(1.0);
    return result;
}

std::string resultSummary(const ClipInfo& clip) {
    const std::string size = sizeText(clip.width, clip.height);
    if (clip.isImage()) return messages::imageDone(size, clip.codecLabel(), clip.pixFmt);
    const std::string sound = clip.hasAudio ? audioCodecLabel(clip.audioCodec) : std::string();
    return messages::videoDone(size, clip.codecLabel(), clip.frames,
                               clip.hasAudio ? std::optional<std::string_view>(sound) : std::nullopt);
}

}  // namespace tessellane
