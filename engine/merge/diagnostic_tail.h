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
    // The reason lines of window(); a first line cut by the window is not one.
    std::string reason(std::size_t count = 3) const;
    // The lines of window() that ffmpeg wrote at its error level, as the reason lines are shown: empty when
    // it reported no error.
    std::string errors(std::size_t count = 3) const;

  private:
    std::string_view wholeLines() const;  // window() without a first line it cut

    std::string buffer_;
    bool cut_ = false;
};

// The last `count` lines of `text` that say something (blank lines, progress and statistics lines and the
// indented stream listing left out), joined with " | "; with `onlyErrors`, only those that ffmpeg wrote at
// its error level. Lines end at "\n" or "\r"; the level tags of "-loglevel level+info" are taken out;
// invalid UTF-8 shows as U+FFFD and control characters as escapes.
std::string lastDiagnosticLines(std::string_view text, std::size_t count = 3, bool onlyErrors = false);

}  // namespace tessellane
