#include "program/terminal_progress.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace tessellane {
namespace {

TEST(TerminalProgress, TheLine) {
    const std::tuple<double, double, double, std::string> rows[] = {
        {0.42, 300, 5, "합치는 중 42% · 126/300f · 0:05 경과 · 약 0:06 남음"},
        {0, 0, 0, "합치는 중 0% · 0:00 경과"},
        {1.5, 300, 3725, "합치는 중 100% · 300/300f · 1:02:05 경과"},
        {0.5, 0, 61, "합치는 중 50% · 1:01 경과 · 약 1:01 남음"},
    };
    for (const auto& [fraction, total, elapsed, line] : rows)
        EXPECT_EQ(TerminalProgress::line(fraction, total, elapsed), line);
}

// Drawn in place on a terminal at most ten times a second (the end always), erased when it goes; nothing
// at all where the output is not a terminal.
TEST(TerminalProgress, OnATerminalOnlyAndErasedAtTheEnd) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    // A minimal container or chroot may have no /dev/pts: then there is no terminal to draw on.
    if (master < 0) GTEST_SKIP() << "no pseudo-terminal here: " << std::strerror(errno);
    ASSERT_TRUE(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_NONBLOCK), 0);
    const auto before = std::chrono::steady_clock::now();
    {
        TerminalProgress onTerminal(terminal, 300), onPipe(pipe[1], 300);
        for (const double fraction : {0.5, 0.6, 1.0}) onTerminal.show(fraction), onPipe.show(fraction);
    }
    // The 60 % came too soon after the 50 % to be drawn, unless this machine was too busy to be quick.
    const bool quick = std::chrono::steady_clock::now() - before < std::chrono::milliseconds(100);
    // A terminal hands over what was written in pieces: read until nothing more comes.
    char bytes[512];
    std::string shown;
    for (pollfd ready{master, POLLIN, 0}; ::poll(&ready, 1, 200) == 1;) {
        const ssize_t read = ::read(master, bytes, sizeof bytes);
        if (read <= 0) break;
        shown.append(bytes, static_cast<std::size_t>(read));
    }
    EXPECT_TRUE(shown.starts_with("\r합치는 중 50% · 150/300f · ")) << shown;
    EXPECT_NE(shown.find(" 남음\x1b[K\r합치는 중 100% · 300/300f · "), std::string::npos) << shown;
    EXPECT_TRUE(shown.ends_with(" 경과\x1b[K\r\x1b[K")) << shown;
    if (quick) {
        EXPECT_EQ(shown.find("60%"), std::string::npos);
    }
    EXPECT_EQ(::read(pipe[0], bytes, sizeof bytes), -1);
    for (const int fd : {master, terminal, pipe[0], pipe[1]}) ::close(fd);
}

}  // namespace
}  // namespace tessellane
