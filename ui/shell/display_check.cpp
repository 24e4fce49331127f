#include "ui/shell/display_check.h"

#include <dlfcn.h>

#include <QLibraryInfo>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "ui/words.h"

namespace tessellane {

namespace {

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::vector<std::string> split(const std::string& list, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(list);
    std::string part;
    while (std::getline(in, part, separator))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

// The name of a candidate such as "offscreen:fontengine=freetype" without its options.
std::string pluginName(const std::string& candidate) { return candidate.substr(0, candidate.find(':')); }

bool candidateWorks(const std::string& candidate, const DisplayEnvironment& env,
                    const DisplayProbes& probes) {
    const std::string name = pluginName(candidate);
    if (name.empty()) return false;
    if (name == "xcb")
        return !env.display.empty() && probes.pluginInstalled(name) && probes.x11Opens(env.display);
    if (name.rfind("wayland", 0) == 0)
        return !env.waylandDisplay.empty() && probes.pluginInstalled(name) &&
               probes.waylandOpens(env.waylandDisplay);
    return true;
}

// Plugin file names as Debian installs them: "wayland" is the generic Wayland plugin.
std::string pluginFileName(const std::string& name) {
    if (name == "xcb") return "libqxcb.so";
    if (name == "wayland") return "libqwayland-generic.so";
    return "libq" + name + ".so";
}

// Opens `library` for the duration of one probe; the handle is released at the end of the scope.
class Library {
  public:
    explicit Library(const char* name) : handle_(::dlopen(name, RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_) ::dlclose(handle_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    template <typename F>
    F symbol(const char* name) const {
        return handle_ ? reinterpret_cast<F>(::dlsym(handle_, name)) : nullptr;
    }

  private:
    void* handle_;
};

bool openX11(const std::string& display) {
    // libxcb is what Qt's xcb plugin connects with; without it the plugin cannot load either.
    Library xcb("libxcb.so.1");
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = xcb.symbol<Connect>("xcb_connect");
    auto hasError = xcb.symbol<HasError>("xcb_connection_has_error");
    auto disconnect = xcb.symbol<Disconnect>("xcb_disconnect");
    if (!connect || !hasError || !disconnect) return false;
    void* connection = connect(display.c_str(), nullptr);
    const bool ok = connection && hasError(connection) == 0;
    if (connection) disconnect(connection);  // also frees a connection that failed
    return ok;
}

bool openWayland(const std::string& socket) {
    Library wayland("libwayland-client.so.0");
    using Connect = void* (*)(const char*);
    using Disconnect = void (*)(void*);
    auto connect = wayland.symbol<Connect>("wl_display_connect");
    auto disconnect = wayland.symbol<Disconnect>("wl_display_disconnect");
    if (!connect || !disconnect) return false;
    void* display = connect(socket.c_str());
    if (!display) return false;
    disconnect(display);
    return true;
}

bool pluginInstalled(const std::string& name) {
    std::vector<std::string> folders;
    for (const std::string& folder : split(envOrEmpty("QT_QPA_PLATFORM_PLUGIN_PATH"), ':'))
        folders.push_back(folder);
    for (const std::string& folder : split(envOrEmpty("QT_PLUGIN_PATH"), ':'))
        folders.push_back(folder + "/platforms");
    folders.push_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/platforms");
    std::error_code error;
    for (const std::string& folder : folders)
        if (std::filesystem::exists(std::filesystem::path(folder) / pluginFileName(name), error)) return true;
    return false;
}

}  // namespace

DisplayEnvironment currentDisplayEnvironment(const std::string& platformArgument) {
    DisplayEnvironment env;
    env.platformArgument = platformArgument;
    env.qpaPlatform = envOrEmpty("QT_QPA_PLATFORM");
    env.display = envOrEmpty("DISPLAY");
    env.waylandDisplay = envOrEmpty("WAYLAND_DISPLAY");
    return env;
}

DisplayProbes systemDisplayProbes() { return {pluginInstalled, openX11, openWayland}; }

std::optional<std::string> choosePlatform(const DisplayEnvironment& env, const DisplayProbes& probes) {
    const std::string& chosen = !env.platformArgument.empty() ? env.platformArgument : env.qpaPlatform;
    const std::vector<std::string> candidates =
        !chosen.empty() ? split(chosen, ';') : std::vector<std::string>{"wayland", "xcb"};
    for (const std::string& candidate : candidates)
        if (candidateWorks(candidate, env, probes)) return candidate;
    return std::nullopt;
}

const char* noDisplayMessage() {
    // Printed before Qt starts, as UTF-8 bytes that live as long as the program.
    static const QByteArray line = words::kNoDisplay.toUtf8();
    return line.constData();
}

}  // namespace tessellane
