#include "ui/display_check.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace tessellane {

namespace {

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// One candidate of a platform list such as "wayland;xcb" or "offscreen:fontengine=freetype".
bool candidateAvailable(std::string candidate, const DisplayEnvironment& env) {
    if (auto colon = candidate.find(':'); colon != std::string::npos) candidate.resize(colon);
    if (candidate.empty()) return false;
    if (candidate == "xcb") return !env.display.empty();
    if (candidate.rfind("wayland", 0) == 0) return !env.waylandDisplay.empty();
    return true;
}

}  // namespace

DisplayEnvironment currentDisplayEnvironment(int argc, const char* const* argv) {
    DisplayEnvironment env;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            env.platformArgument = argv[i + 1];
        }
    }
    env.qpaPlatform = envOrEmpty("QT_QPA_PLATFORM");
    env.display = envOrEmpty("DISPLAY");
    env.waylandDisplay = envOrEmpty("WAYLAND_DISPLAY");
    return env;
}

bool displayAvailable(const DisplayEnvironment& env) {
    const std::string& chosen = !env.platformArgument.empty() ? env.platformArgument : env.qpaPlatform;
    if (chosen.empty()) return !env.display.empty() || !env.waylandDisplay.empty();
    // Qt tries the candidates of a ";"-separated list in turn.
    std::istringstream list(chosen);
    std::string candidate;
    while (std::getline(list, candidate, ';')) {
        if (candidateAvailable(candidate, env)) return true;
    }
    return false;
}

const char* noDisplayMessage() {
    return "화면(디스플레이)을 찾을 수 없어 창을 열 수 없습니다 — 창 없이 합치려면: "
           "tessellane --cli <출력폴더> <접미사> <파일들...>";
}

}  // namespace tessellane
