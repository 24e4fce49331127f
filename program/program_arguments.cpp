#include "program/program_arguments.h"

#include <charconv>
#include <string_view>

#include "generated/usage_text.h"
#include "generated/version.h"
#include "program/cli.h"

namespace tessellane {

namespace {

enum class ToolkitOption { none, flag, withValue };

// Qt's standard options, written with one dash or two as Qt accepts them. "-style=x", "-stylesheet=x"
// and "-qmljsdebugger=x" carry their value in the same argument.
std::string_view optionName(std::string_view argument) {
    return argument.substr(argument.starts_with("--") ? 2 : 1);
}

ToolkitOption toolkitOption(std::string_view argument) {
    const std::string_view name = optionName(argument);
    for (std::string_view joined : {"style=", "stylesheet=", "qmljsdebugger="})
        if (name.starts_with(joined) && name.size() > joined.size()) return ToolkitOption::flag;
    for (std::string_view flag : {"reverse", "widgetcount", "nograb", "dograb"})
        if (name == flag) return ToolkitOption::flag;
    for (std::string_view valued :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
          "qwindowtitle", "session", "display", "geometry", "style", "stylesheet", "name", "title"})
        if (name == valued) return ToolkitOption::withValue;
    return ToolkitOption::none;
}

bool isHelp(std::string_view argument) { return argument == "-h" || argument == "--help"; }

// A whole positive number that fits an int; nothing for anything else.
std::optional<int> positive(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
    return value;
}

// One merge setting, read into `settings` (the sound's clip as a 1-based number for now). True when the
// argument is one; `refuse` hears why its value is not understood.
template <typename Refuse>
bool readSetting(std::string_view argument, MergeSettings& settings, std::optional<Layout>& layout,
                 std::optional<int>& audioNumber, Refuse&& refuse) {
    const std::string quoted = "옵션 '" + std::string(argument) + "'";
    if (argument == "--fit" || argument == "--conform-rate") {
        (argument == "--fit" ? settings.fitSizes : settings.conformRates) = true;
        return true;
    }
    for (std::string_view name : {"--layout", "--columns", "--audio"}) {
        if (argument != name) continue;
        refuse(quoted + "에 값이 없습니다");
        return true;
    }
    if (argument.starts_with("--layout=")) {
        const std::string_view value = argument.substr(9);
        if (value == "row" || value == "column" || value == "grid")
            layout = value == "row" ? Layout::row : value == "column" ? Layout::column : Layout::grid;
        else
            refuse(quoted + "의 값은 row, column, grid 중 하나입니다");
        return true;
    }
    if (argument.starts_with("--columns=")) {
        if (const std::optional<int> columns = positive(argument.substr(10)))
            settings.columns = *columns;
        else
            refuse(quoted + "의 값은 1 이상의 정수입니다");
        return true;
    }
    if (argument.starts_with("--audio=")) {
        const std::string_view value = argument.substr(8);
        audioNumber = value == "none" ? std::nullopt : positive(value);
        if (value != "none" && !audioNumber) refuse(quoted + "의 값은 none 또는 1 이상의 파일 번호입니다");
        return true;
    }
    return false;
}

// Qt's standard option at argv[i] (before `end`); false when it is not one. A valued option takes the next
// argument, unless that one ends the options or asks for help; the value of "-platform" is kept.
template <typename Refuse>
bool readToolkitOption(int& i, int end, const char* const* argv, std::string& platform, Refuse&& refuse) {
    const std::string_view argument = argv[i];
    switch (toolkitOption(argument)) {
        case ToolkitOption::none:
            return false;
        case ToolkitOption::flag:
            return true;
        case ToolkitOption::withValue:
            break;
    }
    const std::string_view next = i + 1 < end && argv[i + 1] ? argv[i + 1] : "--";
    if (next == "--" || isHelp(next) || next == "--version")
        refuse("옵션 '" + std::string(argument) + "'에 값이 없습니다");
    else if (optionName(argument) == "platform")
        platform = argv[++i];
    else
        ++i;
    return true;
}

// What the settings say together: --columns asks for a grid (a row or a column has no columns to choose),
// and the sound's number names one of the `files` when they are known.
template <typename Refuse>
void finishSettings(MergeSettings& settings, std::optional<Layout> layout, std::optional<int> audioNumber,
                    std::size_t files, bool filesKnown, Refuse&& refuse) {
    if (settings.columns > 0 && layout && *layout != Layout::grid)
        refuse("--columns는 격자 배치(--layout=grid)에만 쓸 수 있습니다");
    settings.layout = settings.columns > 0 ? Layout::grid : layout.value_or(Layout::row);
    if (audioNumber && static_cast<std::size_t>(*audioNumber) > files && filesKnown)
        refuse("옵션 '--audio=" + std::to_string(*audioNumber) + "': 파일이 " + std::to_string(files) +
               "개뿐입니다");
    if (audioNumber) settings.audioClip = static_cast<std::size_t>(*audioNumber - 1);
}

ProgramArguments withMode(ProgramArguments::Mode mode) {
    ProgramArguments result;
    result.mode = mode;
    return result;
}

ProgramArguments invalid(std::string error) {
    ProgramArguments result = withMode(ProgramArguments::Mode::invalid);
    result.error = std::move(error);
    return result;
}

}  // namespace

ProgramArguments programArguments(int argc, const char* const* argv) {
    const std::optional<std::vector<std::string>> cli = cliArguments(argc, argv);
    // Where "--cli" stands: nothing from there on is an option of the program itself.
    const int end = cli ? argc - 1 - static_cast<int>(cli->size()) : argc;

    ProgramArguments window;
    window.toolkitArgumentCount = argc;
    std::string error, settingsError;
    const auto refuse = [&error](std::string message) {
        if (error.empty()) error = std::move(message);
    };
    const auto refuseSetting = [&settingsError](std::string message) {
        if (settingsError.empty()) settingsError = std::move(message);
    };
    MergeSettings settings;
    std::optional<Layout> layout;
    std::optional<int> audioNumber;
    for (int i = 1; i < end; ++i) {
        const std::string_view argument = argv[i] ? argv[i] : "";
        if (argument == "--") {
            window.toolkitArgumentCount = i;
            for (int j = i + 1; j < end; ++j)
                if (argv[j] && *argv[j]) window.arguments.emplace_back(argv[j]);
            break;
        }
        if (isHelp(argument)) return withMode(ProgramArguments::Mode::help);
        if (argument == "--version") return withMode(ProgramArguments::Mode::version);
        if (argument.empty()) continue;
        if (readSetting(argument, settings, layout, audioNumber, refuseSetting)) continue;
        if (argument[0] != '-') {
            window.arguments.emplace_back(argument);
            continue;
        }
        if (!readToolkitOption(i, end, argv, window.platform, refuse))
            refuse("알 수 없는 옵션 '" + std::string(argument) + "'");
    }
    // The N-th file of the sorted order; after "--cli" the first two arguments are the folder and suffix.
    const std::size_t files = cli ? (cli->size() > 2 ? cli->size() - 2 : 0) : window.arguments.size();
    finishSettings(settings, layout, audioNumber, files, !cli || cli->size() >= 3, refuseSetting);
    if (!settingsError.empty()) return invalid(settingsError);
    if (cli) {
        ProgramArguments result = withMode(ProgramArguments::Mode::cli);
        result.arguments = *cli;
        result.settings = settings;
        return result;
    }
    if (!error.empty()) return invalid(error);
    window.settings = settings;
    return window;
}

std::optional<int> answerDirectly(const ProgramArguments& arguments, std::ostream& out, std::ostream& err) {
    switch (arguments.mode) {
        case ProgramArguments::Mode::help:
            out << usage() << std::flush;
            return 0;
        case ProgramArguments::Mode::version:
            out << "tessellane " << programVersion() << '\n' << std::flush;
            return 0;
        case ProgramArguments::Mode::invalid:
            err << "오류: " << arguments.error << '\n' << "도움말: tessellane --help\n" << std::flush;
            return 2;
        case ProgramArguments::Mode::window:
        case ProgramArguments::Mode::cli:
            break;
    }
    return std::nullopt;
}

const char* programVersion() { return tessellaneVersion; }

const char* usage() { return usageText; }

}  // namespace tessellane
