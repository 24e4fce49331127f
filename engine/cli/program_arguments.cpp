#include "engine/cli/program_arguments.h"

#include <string_view>

#include "engine/cli/cli.h"
#include "generated/usage_text.h"
#include "generated/version.h"

namespace tessellane {

namespace {

enum class ToolkitOption { none, flag, withValue };

// Qt's standard options, written with one dash or two as Qt accepts them. "-style=x", "-stylesheet=x"
// and "-qmljsdebugger=x" carry their value in the same argument.
ToolkitOption toolkitOption(std::string_view argument) {
    std::string_view name = argument.substr(argument.starts_with("--") ? 2 : 1);
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

ProgramArguments withMode(ProgramArguments::Mode mode) {
    ProgramArguments result;
    result.mode = mode;
    return result;
}

}  // namespace

ProgramArguments programArguments(int argc, const char* const* argv) {
    const std::optional<std::vector<std::string>> cli = cliArguments(argc, argv);
    // Where "--cli" stands: nothing from there on is an option of the program itself.
    const int end = cli ? argc - 1 - static_cast<int>(cli->size()) : argc;

    ProgramArguments window;
    window.toolkitArgumentCount = argc;
    std::string error;
    const auto refuse = [&error](std::string message) {
        if (error.empty()) error = std::move(message);
    };
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
        if (argument[0] != '-') {
            window.arguments.emplace_back(argument);
            continue;
        }
        switch (toolkitOption(argument)) {
            case ToolkitOption::none:
                refuse("알 수 없는 옵션 '" + std::string(argument) + "'");
                break;
            case ToolkitOption::flag:
                break;
            case ToolkitOption::withValue: {
                // The value is the next argument, unless that one ends the options or asks for help.
                const std::string_view next = i + 1 < end && argv[i + 1] ? argv[i + 1] : "--";
                if (next == "--" || isHelp(next) || next == "--version")
                    refuse("옵션 '" + std::string(argument) + "'에 값이 없습니다");
                else
                    ++i;
                break;
            }
        }
    }
    if (cli) {
        ProgramArguments result = withMode(ProgramArguments::Mode::cli);
        result.arguments = *cli;
        return result;
    }
    if (!error.empty()) {
        ProgramArguments result = withMode(ProgramArguments::Mode::invalid);
        result.error = error;
        return result;
    }
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
