// Decides, before any QApplication exists, which platform the window starts on, so that a session with
// nothing to draw on ends with one clear line instead of Qt's abort: no display variable at all, a
// DISPLAY whose X server is gone, or a WAYLAND_DISPLAY without Qt's Wayland plugin.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace tessellane {

struct DisplayEnvironment {
    std::string platformArgument;  // value of a "-platform" command-line argument, if any
    std::string qpaPlatform;       // QT_QPA_PLATFORM
    std::string display;           // DISPLAY
    std::string waylandDisplay;    // WAYLAND_DISPLAY
};

// What the choice asks of the machine; the system's answers come from systemDisplayProbes().
struct DisplayProbes {
    // Whether Qt's platform plugin of this name ("xcb", "wayland", "wayland-egl", …) is installed.
    std::function<bool(const std::string& plugin)> pluginInstalled;
    // Whether a connection to this X display or Wayland socket opens (and is closed again at once).
    std::function<bool(const std::string& display)> x11Opens;
    std::function<bool(const std::string& socket)> waylandOpens;
};

// Reads the environment variables; `platformArgument` is the value of the "-platform" option given, if any.
DisplayEnvironment currentDisplayEnvironment(const std::string& platformArgument);

// Looks for the plugins where Qt does and connects with the same client libraries Qt's plugins use.
DisplayProbes systemDisplayProbes();

// The platform to start Qt with, or nothing when no candidate can draw. A chosen platform (argument or
// variable, a ";"-separated list tried in turn) is kept when one of its candidates works and then names
// that candidate. Without a choice, Wayland is preferred when WAYLAND_DISPLAY is set, then X11. Platforms
// that need no display server (offscreen, minimal, vnc, eglfs, linuxfb) are taken as they are.
std::optional<std::string> choosePlatform(const DisplayEnvironment& env, const DisplayProbes& probes);

// The one line printed when no display is available; it points to the command-line mode.
const char* noDisplayMessage();

}  // namespace tessellane
