#include "engine/merge/merge.h"

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>

#include "engine/core/utf8.h"
#include "engine/core/validation.h"
#include "engine/merge/cancellation.h"
#include "engine/merge/child_process.h"
#include "engine/merge/diagnostic_tail.h"
#include "engine/merge/ffmpeg_args.h"
#include "engine/merge/pinned_inputs.h"
#include "engine/merge/progress_reader.h"
#include "engine/merge/temporary_output.h"
#include "engine/merge/tools.h"
#include "engine/probe/image_header.h"
#include "engine/probe/probe.h"

namespace tessellane {

namespace {

std::string sizeText(long long width, long long height) {
    return std::to_string(width) + "×" + std::to_string(height);
}

// ffmpeg picks its writer by the output's extension, but the file it writes here is /proc/self/fd/N: the
// writer it would pick for the name is named for it, and the encoder where the format block leaves it open.
struct Writer {
    std::string_view extension;
    const char* format;
    const char* codec;  // nullptr: given by the vector
};
constexpr Writer kWriters[] = {
    {"mov", "mov", nullptr},    {"mp4", "mp4", nullptr},     {"m4v", "ipod", nullptr},
    {"png", "image2", nullptr}, {"jpg", "image2", nullptr},  {"jpeg", "image2", nullptr},
    {"tif", "image2", nullptr}, {"tiff", "image2", nullptr}, {"bmp", "image2", "bmp"},
    {"webp", "webp", nullptr},
};

const Writer& writerFor(const FileURL& output) {
    const std::string extension = lowerExtensionOf(output);
    for (const Writer& writer : kWriters)
        if (writer.extension == extension) return writer;
    throw MergeError::refused("이 확장자로는 쓸 수 없습니다: " + escapeControls(output.filename().string()) +
                              " (mov·mp4·m4v·png·jpg·jpeg·tif·tiff·bmp·webp만)");
}

// Sizes that an encoder refuses only once ffmpeg runs, in words that do not say why.
void checkEncoderLimits(const std::vector<ClipInfo>& clips, const FileURL& output) {
    long long width = 0;
    for (const ClipInfo& clip : clips) width += clip.width;
    const long long height = clips.front().height;
    const std::string extension = lowerExtensionOf(output);
    const std::string& codec = clips.front().codec;
    long long largest = 0;
    std::string who;
    if (hasImageExtension(output) && (extension == "jpg" || extension == "jpeg")) {
        largest = 65500, who = "JPEG는";
    } else if (hasImageExtension(output) && extension == "webp") {
        largest = 16383, who = "WebP는";
    } else if (!hasImageExtension(output) && codec != "prores" && codec != "hevc") {
        largest = 16384, who = "H.264는";
    }
    const std::string size = "결과 크기가 너무 큽니다: " + sizeText(width, height) + " — ";
    if (largest > 0 && (width > largest || height > largest))
        throw MergeError::refused(size + who + " 가로·세로 " + std::to_string(largest) + " 이하여야 합니다");
    // Every picture ffmpeg handles: (width + 128) × (height + 128) below INT_MAX / 8.
    if ((width + 128) * (height + 128) >= INT_MAX / 8)
        throw MergeError::refused(size + "ffmpeg가 다룰 수 있는 그림보다 큽니다");
}

// The vector ffmpeg really runs: the inputs and the output as descriptors of ours; "-y" because the output
// file exists already (this run made it); the writer named; each diagnostic line with its level, so that
// errors on the way to a good result can be told from the rest.
std::vector<std::string> realArguments(const std::vector<std::string>& display, const PinnedInputs& inputs,
                                       const TemporaryOutput& temporary, const Writer& writer) {
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

// The frames a whole result holds at least. ffmpeg writes it at one steady rate until the shortest clip
// ends: a clip that starts late (an edit that begins with a gap, B-frame delay) gains frames at the start,
// and a clip of varying rate counts as its length at that rate rather than its own number of samples. Fewer
// frames than this mean a clip ended early while ffmpeg read it.
std::int64_t leastFrames(const std::vector<ClipInfo>& clips, double rate) {
    std::int64_t least = std::numeric_limits<std::int64_t>::max();
    for (const ClipInfo& clip : clips) {
        std::int64_t frames = clip.frames;
        const double atRate = clip.duration * rate;
        if (atRate > 0 && atRate < static_cast<double>(frames))
            frames = static_cast<std::int64_t>(std::floor(atRate + 1e-6));
        least = std::min(least, frames);
    }
    return least;
}

// ffmpeg can exit 0 and still leave something else than asked (a damaged or cut input does this): the
// result must probe as the kind of file asked for, at the size the clips add up to, in the codec asked for,
// with every frame of the shortest clip.
ClipInfo verifyOutput(const std::vector<ClipInfo>& clips, const TemporaryOutput& temporary,
                      const FileURL& output) {
    struct stat info {};
    if (::fstat(temporary.fd(), &info) != 0 || info.st_size == 0)
        throw MergeError::unverified("ffmpeg가 결과 파일을 만들지 않았습니다");
    const std::string written = temporary.path();
    const bool image = hasImageExtension(output);
    std::optional<ImageKind> kind;  // what the picture's content says it is
    ClipInfo result(output, image ? probeImage(written, ClipInfo(output), &kind) : probe(written));
    result.fileSize = info.st_size;
    if (result.error || (!image && result.frames < 1))
        throw MergeError::unverified("ffmpeg가 만든 결과 파일을 읽을 수 없습니다");

    long long width = 0;
    for (const ClipInfo& clip : clips) width += clip.width;
    const ClipInfo& first = clips.front();
    if (result.width != width || result.height != first.height)
        throw MergeError::unverified("결과 크기가 예상과 다릅니다: " + sizeText(result.width, result.height) +
                                     " (예상 " + sizeText(width, first.height) + ")");
    if (image) {
        const std::string extension = lowerExtensionOf(output);
        const ImageKind asked = extension == "png"                          ? ImageKind::png
                                : extension == "jpg" || extension == "jpeg" ? ImageKind::jpeg
                                : extension == "bmp"                        ? ImageKind::bmp
                                : extension == "webp"                       ? ImageKind::webp
                                                                            : ImageKind::tiff;
        if (kind != asked)
            throw MergeError::unverified(
                "결과 형식이 예상과 다릅니다: " + (kind ? imageKindName(*kind) : "?") + " (예상 " +
                imageKindName(asked) + ")");
        return result;
    }
    const std::string tag = expectedTag(first);
    if (result.codec != first.codec || result.codecTag != tag) {
        const bool sameCodec = result.codec == first.codec;
        throw MergeError::unverified(
            "결과 코덱이 예상과 다릅니다: " + (sameCodec ? result.codecTag : result.codec) + " (예상 " +
            (sameCodec ? tag : first.codec) + ")");
    }
    const std::int64_t frames = leastFrames(clips, first.fps());
    if (frames > 0 && result.frames < frames)
        throw MergeError::unverified("결과 프레임 수가 예상과 다릅니다: " + std::to_string(result.frames) +
                                     " (예상 " + std::to_string(frames) + ")");
    return result;
}

}  // namespace

MergeResult merge(const std::vector<ClipInfo>& clips, const FileURL& output, const ProgressCallback& progress,
                  const Cancellation* cancel, const CommandCallback& started) {
    const std::optional<std::string> ffmpeg = Tools::find("ffmpeg");
    if (!ffmpeg) throw MergeError::noFFmpeg();

    const Validation validation = validate(clips);
    if (!validation.ok()) {
        std::string message;
        for (const std::string& line : validation.blocking)
            message.append(message.empty() ? "" : "\n").append(escapeControls(line));
        throw MergeError::invalid(message);
    }

    // An output named by nothing would name its folder.
    const std::string name = output.filename().string();
    if (name.empty()) throw MergeError::refused("출력 파일 이름이 없습니다 — 접미사를 정해 주세요");
    if (name == "." || name == "..") throw MergeError::refused("출력 파일 이름으로 쓸 수 없습니다: " + name);
    // symlink_status: a dangling link counts as taken too. This early look only gives the clear message
    // before any work; publishing is what guarantees nothing is replaced.
    std::error_code ignored;
    if (std::filesystem::exists(std::filesystem::symlink_status(output, ignored)))
        throw MergeError::exists(output.string());
    const FileURL standardOutput = output.lexically_normal();
    for (const ClipInfo& clip : clips) {
        if (clip.url().lexically_normal() == standardOutput) throw MergeError::exists(output.string());
    }
    const Writer& writer = writerFor(output);
    checkEncoderLimits(clips, output);
    if (cancel && cancel->requested()) throw MergeError::cancelled();

    double total = 1;
    if (!clips.empty()) {
        total = static_cast<double>(
            std::min_element(clips.begin(), clips.end(), [](const auto& a, const auto& b) {
                return a.frames < b.frames;
            })->frames);
    }

    const PinnedInputs inputs(clips);
    TemporaryOutput temporary(output);
    const std::vector<std::string> display = buildArguments(clips, output);
    ChildExtras extras{.inherited = inputs.fds(), .openFiles = inputs.childOpenFiles()};
    extras.inherited.push_back(temporary.fd());
    // A refused start throws std::system_error, which the callers show as it is.
    ChildProcess child = spawnChild(*ffmpeg, realArguments(display, inputs, temporary, writer),
                                    ChildOutput::pipe, ChildOutput::pipe, extras);
    try {
        if (started) started(display);
    } catch (...) {
        ::kill(child.pid, SIGKILL);
        waitForChild(child.pid);
        throw;
    }
    ProgressReader reader(total, progress);
    DiagnosticTail diagnostics;
    const ChildOutcome outcome = superviseChild(
        child, [&reader](std::string_view chunk) { reader.feed(chunk); },
        [&diagnostics](std::string_view chunk) { diagnostics.append(chunk); }, ChildLimits{.cancel = cancel});

    if (outcome.stopped || (cancel && cancel->requested())) throw MergeError::cancelled();
    // A signal nobody here sent: ffmpeg's last lines would only mislead.
    if (outcome.status.kind == ExitStatus::Kind::killed) throw MergeError::killed(outcome.status.number);
    if (!outcome.status.succeeded()) throw MergeError::failed(diagnostics.reason());
    MergeResult result{verifyOutput(clips, temporary, output), {}};

    if (temporary.publish() == TemporaryOutput::Publish::nameTaken) throw MergeError::exists(output.string());
    if (const std::string errors = diagnostics.errors(); !errors.empty())
        result.warning =
            "ffmpeg가 입력을 읽으며 오류를 알렸습니다 — 결과에 손상된 곳이 있을 수 있습니다: " + errors;
    if (progress) progress(1.0);
    return result;
}

std::string resultSummary(const ClipInfo& clip) {
    std::string summary =
        std::to_string(clip.width) + "×" + std::to_string(clip.height) + " · " + clip.codecLabel();
    if (clip.isImage()) return summary + " · " + clip.pixFmt + " 완료";
    return summary + " · " + std::to_string(clip.frames) + "f 완료";
}

}  // namespace tessellane
