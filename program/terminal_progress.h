// The command line's progress on a terminal: one line on standard error, redrawn in place and erased at the
// end, so standard output (the report lines scripts read) is never touched.
#pragma once

#include <chrono>
#include <string>

namespace tessellane {

class TerminalProgress {
  public:
    // Draws on `fd` only when it is a terminal; `totalFrames` is what the fractions are fractions of.
    TerminalProgress(int fd, double totalFrames);
    ~TerminalProgress() { erase(); }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // "합치는 중 42% · 126/300f · 0:05 경과 · 약 0:07 남음", at most ten times a second.
    void show(double fraction);
    // Takes the line away; the next line written starts at the left edge of an empty line.
    void erase();

    // The line for a fraction after `elapsed` seconds.
    static std::string line(double fraction, double totalFrames, double elapsed);

  private:
    int fd_;
    bool terminal_;
    double total_;
    std::chrono::steady_clock::time_point start_, drawn_{};
    bool shown_ = false;
};

}  // namespace tessellane
