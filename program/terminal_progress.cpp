#include "program/terminal_progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace tessellane {

namespace {

// "0:07", "12:30", "1:02:03".
std::string clock(double seconds) {
    const auto whole = static_cast<long long>(std::max(0.0, seconds));
    const long long hours = whole / 3600, minutes = whole / 60 % 60, rest = whole % 60;
    // Appended piece by piece: GCC 12 mistakes a string prepended to a temporary for an overlapping copy.
    const auto two = [](std::string& text, long long n) {
        if (n < 10) text += '0';
        text += std::to_string(n);
    };
    std::string text;
    if (hours > 0) {
        text = std::to_string(hours) + ":";
        two(text, minutes);
    } else {
        text = std::to_string(minutes);
    }
    text += ':';
    two(text, rest);
    return text;
}

void writeAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written <= 0) return;  // a terminal gone away takes nothing more
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace

TerminalProgress::TerminalProgress(int fd, double totalFrames)
    : fd_(fd), terminal_(::isatty(fd) == 1), total_(totalFrames), start_(std::chrono::steady_clock::now()) {}

std::string TerminalProgress::line(double fraction, double totalFrames, double elapsed) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    std::string text = "합치는 중 " + std::to_string(static_cast<int>(fraction * 100)) + "%";
    if (totalFrames > 0)
        text += " · " + std::to_string(std::llround(fraction * totalFrames)) + "/" +
                std::to_string(std::llround(totalFrames)) + "f";
    text += " · " + clock(elapsed) + " 경과";
    if (fraction > 0 && fraction < 1) text += " · 약 " + clock(elapsed * (1 - fraction) / fraction) + " 남음";
    return text;
}

void TerminalProgress::show(double fraction) {
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && fraction < 1 && now - drawn_ < std::chrono::milliseconds(100)) return;
    drawn_ = now;
    shown_ = true;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    // Carriage return, the line, then clear what a longer line before it left.
    std::string text = "\r";
    text += line(fraction, total_, elapsed);
    text += "\x1b[K";
    writeAll(fd_, text);
}

void TerminalProgress::erase() {
    if (!shown_) return;
    shown_ = false;
    writeAll(fd_, "\r\x1b[K");
}

}  // namespace tessellane
