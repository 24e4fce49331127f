#include "engine/merge/diagnostic_tail.h"

#include <array>
#include <vector>

#include "engine/core/utf8.h"

namespace tessellane {

namespace {

// ffmpeg's periodic and final statistics, and its listing of inputs, outputs and streams: they describe
// the run, never why it failed.
bool isReasonLine(std::string_view line) {
    if (line.find_first_not_of(" \t") == std::string_view::npos) return false;
    if (line.front() == ' ' || line.front() == '\t') return false;  // the indented stream listing
    static constexpr std::array<std::string_view, 6> notReasons = {
        "frame=", "size=", "video:", "Input #", "Output #", "Stream mapping:"};
    for (std::string_view prefix : notReasons)
        if (line.substr(0, prefix.size()) == prefix) return false;
    return true;
}

enum class Level { untagged, error, other };  // other: warning, info and the chattier levels

// Takes out the "[level] " tag that "-loglevel level+info" puts after the "[name @ 0x...] " prefixes of
// the part that wrote the line, and says which level it was.
Level takeLevel(std::string& line) {
    std::size_t at = 0;
    while (at < line.size() && line[at] == '[') {
        const std::size_t close = line.find("] ", at);
        if (close == std::string::npos) break;
        const std::string_view tag = std::string_view(line).substr(at + 1, close - at - 1);
        const bool error = tag == "error" || tag == "fatal" || tag == "panic";
        if (error || tag == "warning" || tag == "info" || tag == "verbose" || tag == "debug" ||
            tag == "trace") {
            line.erase(at, close + 2 - at);
            return error ? Level::error : Level::other;
        }
        at = close + 2;
    }
    return Level::untagged;
}

}  // namespace

void DiagnosticTail::append(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() <= diagnosticTailLimit) return;
    buffer_.erase(0, buffer_.size() - diagnosticTailKeep);
    cut_ = true;
}

std::string_view DiagnosticTail::window() const {
    std::string_view all = buffer_;
    return all.size() > diagnosticTailKeep ? all.substr(all.size() - diagnosticTailKeep) : all;
}

std::string_view DiagnosticTail::wholeLines() const {
    std::string_view text = window();
    if (cut_ || text.size() < buffer_.size()) {
        const std::size_t end = text.find_first_of("\r\n");
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return text;
}

std::string DiagnosticTail::reason(std::size_t count) const {
    // Warnings repeated on every frame (the scaler's "deprecated pixel format used") would push the error
    // itself out of the last lines; they are the reason only when nothing else was said.
    std::string said = lastDiagnosticLines(wholeLines(), count, Lines::withoutWarnings);
    return said.empty() ? lastDiagnosticLines(wholeLines(), count) : said;
}

std::string DiagnosticTail::errors(std::size_t count) const {
    return lastDiagnosticLines(wholeLines(), count, Lines::errors);
}

std::string lastDiagnosticLines(std::string_view bytes, std::size_t count, Lines which) {
    const std::string text = toValidUtf8(bytes);
    std::vector<std::string> lines;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        std::string line(rest.substr(0, end));
        const Level level = takeLevel(line);
        const bool wanted = which == Lines::all || (which == Lines::errors && level == Level::error) ||
                            (which == Lines::withoutWarnings && level != Level::other);
        if (isReasonLine(line) && wanted) lines.push_back(escapeControls(line));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    std::string joined;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
        if (!joined.empty()) joined += " | ";
        joined += lines[i];
    }
    return joined;
}

}  // namespace tessellane
