#include "engine/merge/merge.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>

#include "engine/core/validation.h"
#include "engine/merge/cancellation.h"
#include "engine/merge/child_process.h"
#include "engine/merge/diagnostic_tail.h"
#include "engine/merge/ffmpeg_args.h"
#include "engine/merge/progress_reader.h"
#include "engine/merge/temporary_output.h"
#include "engine/merge/tools.h"
#include "engine/probe/probe.h"

namespace tessellane {

namespace {

std::string describe(MergeError::Kind kind, const std::string& payload) {
    switch (kind) {
        case MergeError::Kind::exists:
            return "같은 이름의 파일이 이미 있습니다: " + payload;
        case MergeError::Kind::invalid:
            return payload;
        case MergeError::Kind::failed:
            return "ffmpeg 실패: " + payload;
        case MergeError::Kind::noFFmpeg:
            return Tools::missingFFmpegMessage();
        case MergeError::Kind::cancelled:
            return "합치기를 취소했습니다";
        case MergeError::Kind::unverified:
            return payload;
    }
    return payload;
}

std::string sizeText(long long width, long long height) {
    return std::to_string(width) + "×" + std::to_string(height);
}

// ffmpeg can exit 0 and still leave nothing usable (a damaged input picture does this): the result must
// probe as the kind of picture asked for, at the size the clips add up to.
void verifyOutput(const std::vector<ClipInfo>& clips, const FileURL& written) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(written, error))
        throw MergeError::unverified("ffmpeg가 결과 파일을 만들지 않았습니다");
    const ClipInfo result = probe(written);
    if (result.error || (!result.isImage() && result.frames < 1))
        throw MergeError::unverified("ffmpeg가 만든 결과 파일을 읽을 수 없습니다");
    long long width = 0;
    for (const ClipInfo& clip : clips) width += clip.width;
    const int height = clips.front().height;
    if (result.width != width || result.height != height)
        throw MergeError::unverified("결과 크기가 예상과 다릅니다: " + sizeText(result.width, result.height) +
                                     " (예상 " + sizeText(width, height) + ")");
}

}  // namespace

MergeError::MergeError(Kind kind, std::string payload)
    : kind_(kind), payload_(std::move(payload)), description_(describe(kind_, payload_)) {}

std::string MergeError::errorDescription() const { return description_; }

ClipInfo merge(const std::vector<ClipInfo>& clips, const FileURL& output, const ProgressCallback& progress,
               const Cancellation* cancel, const CommandCallback& started) {
    const std::optional<std::string> ffmpeg = Tools::find("ffmpeg");
    if (!ffmpeg) throw MergeError::noFFmpeg();

    const Validation validation = validate(clips);
    if (!validation.ok()) {
        std::string message;
        for (const std::string& line : validation.blocking) message += (message.empty() ? "" : "\n") + line;
        throw MergeError::invalid(message);
    }

    // symlink_status: a dangling link counts as taken too. This early look only gives the clear message
    // before any work; publishing below is what guarantees nothing is replaced.
    std::error_code ignored;
    if (std::filesystem::exists(std::filesystem::symlink_status(output, ignored)))
        throw MergeError::exists(output.string());
    const FileURL standardOutput = output.lexically_normal();
    for (const ClipInfo& clip : clips) {
        if (clip.url().lexically_normal() == standardOutput) throw MergeError::exists(output.string());
    }
    if (cancel && cancel->requested()) throw MergeError::cancelled();

    double total = 1;
    if (!clips.empty()) {
        total = static_cast<double>(
            std::min_element(clips.begin(), clips.end(), [](const auto& a, const auto& b) {
                return a.frames < b.frames;
            })->frames);
    }

    std::optional<TemporaryOutput> temporary;
    try {
        temporary.emplace(output);
    } catch (const std::system_error& error) {
        // A missing or unwritable folder: the same failure ffmpeg would have reported opening the file.
        throw MergeError::failed(output.string() + ": " + error.code().message());
    }

    const std::vector<std::string> arguments = buildArguments(clips, temporary->path());
    if (started) started(arguments);
    // A refused start throws std::system_error, which the callers show as it is.
    ChildProcess child = spawnChild(*ffmpeg, arguments, ChildOutput::pipe, ChildOutput::pipe);
    ProgressReader reader(total, progress);
    DiagnosticTail diagnostics;
    const ChildOutcome outcome = superviseChild(
        child, [&reader](std::string_view chunk) { reader.feed(chunk); },
        [&diagnostics](std::string_view chunk) { diagnostics.append(chunk); }, ChildLimits{.cancel = cancel});

    if (outcome.stopped || (cancel && cancel->requested())) throw MergeError::cancelled();
    if (!outcome.status.succeeded()) throw MergeError::failed(diagnostics.reason());
    verifyOutput(clips, temporary->path());

    TemporaryOutput::Publish published;
    try {
        published = temporary->publish(output);
    } catch (const std::system_error& error) {
        throw MergeError::failed(output.string() + ": " + error.code().message());
    }
    if (published == TemporaryOutput::Publish::nameTaken) throw MergeError::exists(output.string());
    if (progress) progress(1.0);
    return probe(output);
}

std::string resultSummary(const ClipInfo& clip) {
    std::string summary =
        std::to_string(clip.width) + "×" + std::to_string(clip.height) + " · " + clip.codecLabel();
    if (clip.isImage()) return summary + " · " + clip.pixFmt + " 완료";
    return summary + " · " + std::to_string(clip.frames) + "f 완료";
}

}  // namespace tessellane
