// The bounded tail of a child's diagnostic output and the reason lines the user is shown from it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessellane {

// Only the last diagnosticTailKeep bytes of a child's diagnostics are ever considered; the buffer may grow
// to diagnosticTailLimit before it is cut back, so appending stays cheap.
constexpr std::size_t diagnosticTailLimit = 200'000;
constexpr std::size_t diagnosticTailKeep = 100'000;

class DiagnosticTail {
  public:
    void append(std::string_view bytes);
    // The last diagnosticTailKeep bytes at most, the same whatever the sizes of the appends.
    std::string_view window() const;
    // The reason lines of window(), warnings left out unless nothing else was said; a first line cut by the
    // window is not one.
    std::string reason(std::size_t count = 3) const;
    // The lines of window() that ffmpeg wrote at its error level, as the reason lines are shown: empty when
    // it reported no error.
    std::string errors(std::size_t count = 3) const;

  private:
    std::string_view wholeLines() const;  // window() without a first line it cut

    std::string buffer_;
    bool cut_ = false;
};

// Which lines count, by the level tag "-loglevel level+info" puts on each: all of them, those not written as
// a warning or below (untagged lines count), or only those written at the error level.
enum class Lines { all, withoutWarnings, errors };

// The last `count` lines of `text` that say something (blank lines, progress and statistics lines and the
// indented stream listing left out) among `which`, joined with " | ". Lines end at "\n" or "\r"; the level
// tags are taken out; invalid UTF-8 shows as U+FFFD and control characters as escapes.
std::string lastDiagnosticLines(std::string_view text, std::size_t count = 3, Lines which = Lines::all);

}  // namespace tessellane
