#include "tests/support/test_support.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "engine/merge/tools.h"

namespace tessellane::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessellane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void pinTestEnvironment() {
    // One private folder per test binary holds every temporary folder and whatever Qt writes to the
    // user's home, configuration, cache and runtime folders (the file chooser remembers its folder), and
    // goes at exit.
    static const TempDir root;  // mkdtemp: mode 0700, as a runtime folder must be
    for (const char* variable : {"TMPDIR", "HOME", "XDG_RUNTIME_DIR"})
        ::setenv(variable, root.path().c_str(), 1);
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        ::setenv(variable, (root.path() / variable).c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    // A desktop's scaling would change the sizes the widget tests measure.
    for (const char* variable :
         {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI", "QT_STYLE_OVERRIDE"})
        ::unsetenv(variable);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::unsetenv("LANGUAGE");
    std::setlocale(LC_ALL, "");
    ::setenv("TESSELLANE_TOOL_PATH", TESSELLANE_TEST_TOOL_DIR, 1);
}

ScopedToolPath::ScopedToolPath(const std::filesystem::path& folder) {
    if (const char* old = std::getenv("TESSELLANE_TOOL_PATH")) old_ = old;
    ::setenv("TESSELLANE_TOOL_PATH", folder.c_str(), 1);
}

ScopedToolPath::~ScopedToolPath() { ::setenv("TESSELLANE_TOOL_PATH", old_.c_str(), 1); }

ScopedLocale::ScopedLocale(const std::string& name) {
    saved_ = std::setlocale(LC_ALL, nullptr);
    if (const char* variable = std::getenv("LC_ALL")) savedVariable_ = variable;
    if (std::setlocale(LC_ALL, name.c_str()) == nullptr)
        throw std::runtime_error("locale " + name + " is not installed (Debian: locales-all)");
    ::setenv("LC_ALL", name.c_str(), 1);
}

ScopedLocale::~ScopedLocale() {
    std::setlocale(LC_ALL, saved_.c_str());
    ::setenv("LC_ALL", savedVariable_.c_str(), 1);
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeScript(const std::filesystem::path& path, const std::string& body) {
    writeFile(path, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms(0755));
}

std::string runTool(const std::string& program, const std::vector<std::string>& arguments,
                    ExitStatus* status) {
    for (const char* folder : {TESSELLANE_TEST_TOOL_DIR, "/usr/bin", "/bin"}) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / program;
        if (::access(candidate.c_str(), X_OK) != 0) continue;
        CaptureResult result = runCapture(candidate.string(), arguments);
        if (status) *status = result.status;
        return result.output;
    }
    throw std::runtime_error(program + " not found");
}

std::filesystem::path makeMedia(const std::filesystem::path& output,
                                const std::vector<std::string>& arguments) {
    std::vector<std::string> full = {"-nostdin", "-v", "error", "-y"};
    full.insert(full.end(), arguments.begin(), arguments.end());
    full.push_back(output.string());
    ExitStatus status;
    runTool("ffmpeg", full, &status);
    if (!status.succeeded() || !std::filesystem::exists(output)) {
        std::string line;
        for (const std::string& a : full) line += " " + a;
        throw std::runtime_error("ffmpeg failed (" + std::to_string(status.number) + "):" + line);
    }
    return output;
}

}  // namespace tessellane::testing
