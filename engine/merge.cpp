#include "engine/merge.h"

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "engine/child_process.h"
#include "engine/diagnostic_tail.h"
#include "engine/ffmpeg_args.h"
#include "engine/probe.h"
#include "engine/tools.h"
#include "engine/validation.h"

namespace tessellane {

namespace {

// A progress line is a few dozen bytes; anything longer without a line feed is not one and is dropped.
constexpr std::size_t longestProgressLine = 64 * 1024;

std::string describe(MergeError::Kind kind, const std::string& payload) {
    switch (kind) {
        case MergeError::Kind::exists:
            return "같은 이름의 파일이 이미 있습니다: " + payload;
        case MergeError::Kind::invalid:
            return payload;
        case MergeError::Kind::failed:
            return "ffmpeg 실패: " + payload;
        case MergeError::Kind::noFFmpeg:
            return "ffmpeg를 찾을 수 없습니다 (/opt/homebrew/bin, /usr/local/bin, PATH)";
    }
    return payload;
}

// ffmpeg's standard error, drained on its own thread while the caller reads standard output, so that
// neither pipe can fill up and stall ffmpeg.
class StderrDrain {
public:
    explicit StderrDrain(int fd) : fd_(fd), thread_([this] { run(); }) {}
    ~StderrDrain() { stop(); }
    StderrDrain(const StderrDrain&) = delete;
    StderrDrain& operator=(const StderrDrain&) = delete;

    // Called once the child has been reaped: what it wrote is all in the pipe by then, so the thread
    // reads what is left and ends even if some other process still holds the write end open.
    void stop() {
        if (!thread_.joinable()) return;
        childEnded_ = true;
        thread_.join();
    }

    std::string text() {
        std::lock_guard<std::mutex> lock(mutex_);
        return buffer_;
    }

private:
    void run() {
        char chunk[16384];
        for (;;) {
            pollfd entry{fd_, POLLIN, 0};
            const bool ended = childEnded_;
            int ready = ::poll(&entry, 1, ended ? 0 : 50);
            if (ready < 0 && errno != EINTR) return;
            if (ready <= 0) {
                if (ended) return;
                continue;
            }
            long n = readSome(fd_, chunk, sizeof chunk);
            if (n <= 0) return;
            std::lock_guard<std::mutex> lock(mutex_);
            appendDiagnostics(buffer_, std::string_view(chunk, static_cast<std::size_t>(n)));
        }
    }

    int fd_;
    std::atomic<bool> childEnded_{false};
    std::mutex mutex_;
    std::string buffer_;
    std::thread thread_;  // last: starts after the members it uses exist
};

// Splits standard output into lines at the byte level, so a character or a line cut across two reads is
// put back together before it is looked at.
class ProgressReader {
public:
    ProgressReader(double total, const ProgressCallback& progress) : total_(total), progress_(progress) {}

    void feed(const char* bytes, std::size_t count) {
        const char* end = bytes + count;
        while (bytes < end) {
            const char* newline = std::find(bytes, end, '\n');
            if (!overlong_) line_.append(bytes, newline);
            if (line_.size() > longestProgressLine) {
                overlong_ = true;
                line_.clear();
            }
            if (newline == end) return;
            if (!overlong_) handleLine(line_);
            line_.clear();
            overlong_ = false;
            bytes = newline + 1;
        }
    }

private:
    void handleLine(std::string_view line) {
        constexpr std::string_view key = "frame=";
        if (line.substr(0, key.size()) != key) return;
        const std::string_view number = line.substr(key.size());
        double value = 0;
        auto [rest, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error != std::errc() || rest != number.data() + number.size() || !std::isfinite(value)) return;
        if (total_ > 0 && progress_) progress_(std::clamp(value / total_, 0.0, 1.0));
    }

    double total_;
    const ProgressCallback& progress_;
    std::string line_;
    bool overlong_ = false;
};

// Owns the running child: however the runner leaves (a read error, a throwing progress callback), the
// child is reaped and the drain thread joined, so no zombie and no stray thread stays behind.
class RunningChild {
public:
    explicit RunningChild(ChildProcess child) : child_(std::move(child)) {
        try {
            drain_.emplace(child_.stderrRead.get());
        } catch (...) {
            finish();
            throw;
        }
    }
    ~RunningChild() { finish(); }
    RunningChild(const RunningChild&) = delete;
    RunningChild& operator=(const RunningChild&) = delete;

    int stdoutFd() const { return child_.stdoutRead.get(); }

    // Closes our ends first: a child still writing then gets a broken pipe instead of blocking forever.
    int finish() {
        if (child_.pid < 0) return status_;
        child_.stdoutRead.reset();
        if (!drain_) child_.stderrRead.reset();
        status_ = waitForChild(child_.pid);
        child_.pid = -1;
        if (drain_) drain_->stop();
        child_.stderrRead.reset();
        return status_;
    }

    std::string diagnostics() { return drain_ ? drain_->text() : std::string(); }

private:
    ChildProcess child_;
    std::optional<StderrDrain> drain_;
    int status_ = -1;
};

}  // namespace

MergeError::MergeError(Kind kind, std::string payload)
    : kind_(kind), payload_(std::move(payload)), description_(describe(kind_, payload_)) {}

std::string MergeError::errorDescription() const { return description_; }

ClipInfo merge(const std::vector<ClipInfo>& clips, const FileURL& output, const ProgressCallback& progress) {
    const std::optional<std::string> ffmpeg = Tools::find("ffmpeg");
    if (!ffmpeg) throw MergeError::noFFmpeg();

    const Validation validation = validate(clips);
    if (!validation.ok()) {
        std::string message;
        for (const std::string& line : validation.blocking) message += (message.empty() ? "" : "\n") + line;
        throw MergeError::invalid(message);
    }

    // symlink_status: a dangling link counts as taken too, so ffmpeg never writes through it.
    std::error_code ignored;
    if (std::filesystem::exists(std::filesystem::symlink_status(output, ignored)))
        throw MergeError::exists(output.string());
    const FileURL standardOutput = output.lexically_normal();
    for (const ClipInfo& clip : clips) {
        if (clip.url().lexically_normal() == standardOutput) throw MergeError::exists(output.string());
    }

    double total = 1;
    if (!clips.empty()) {
        total = static_cast<double>(
            std::min_element(clips.begin(), clips.end(), [](const auto& a, const auto& b) {
                return a.frames < b.frames;
            })->frames);
    }

    // A refused start throws std::system_error, which the callers show as it is.
    RunningChild child(
        spawnChild(*ffmpeg, buildArguments(clips, output), ChildOutput::pipe, ChildOutput::pipe));
    ProgressReader reader(total, progress);
    char chunk[16384];
    for (;;) {
        long n = readSome(child.stdoutFd(), chunk, sizeof chunk);
        if (n <= 0) break;  // end of file, or a read error: either way the child is reaped below
        reader.feed(chunk, static_cast<std::size_t>(n));
    }
    const int status = child.finish();

    if (status == 0) {
        if (progress) progress(1.0);
        return probe(output);
    }
    std::string diagnostics = child.diagnostics();
    if (!isValidUtf8(diagnostics)) diagnostics.clear();
    throw MergeError::failed(lastDiagnosticLines(diagnostics));
}

std::string resultSummary(const ClipInfo& clip) {
    std::string summary =
        std::to_string(clip.width) + "×" + std::to_string(clip.height) + " · " + clip.codecLabel();
    if (clip.isImage()) return summary + " · " + clip.pixFmt + " 완료";
    return summary + " · " + std::to_string(clip.frames) + "f 완료";
}

}  // namespace tessellane
