// Decides, before any QApplication exists, whether a window can be shown at all, so that a session
// without a display ends with one clear line instead of Qt's abort.
#pragma once

#include <string>

namespace tessellane {

struct DisplayEnvironment {
    std::string platformArgument;  // value of a "-platform" command-line argument, if any
    std::string qpaPlatform;       // QT_QPA_PLATFORM
    std::string display;           // DISPLAY
    std::string waylandDisplay;    // WAYLAND_DISPLAY
};

// Reads the environment variables and the "-platform" argument Qt itself would honour.
DisplayEnvironment currentDisplayEnvironment(int argc, const char* const* argv);

// True when the chosen (or default) platform plugin has something to draw on. Platforms that need no
// display server (offscreen, minimal, vnc, eglfs, linuxfb) always count as available.
bool displayAvailable(const DisplayEnvironment& env);

// The one line printed when no display is available; it points to the command-line mode.
const char* noDisplayMessage();

}  // namespace tessellane
