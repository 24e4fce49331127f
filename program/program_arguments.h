// What the command line asks for, decided before anything starts: help and version answer at once,
// "--cli" hands over to the command-line mode, everything else opens the window with the files named.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/merge_settings.h"

namespace tessellane {

struct ProgramArguments {
    enum class Mode { window, cli, help, version, invalid };

    Mode mode = Mode::window;
    // cli: the arguments after the first "--cli"; window: the files to add at start, in the order given.
    std::vector<std::string> arguments;
    // window: how many leading entries of argv are meant for Qt (the program name, Qt's own options and
    // the files before "--"). Qt never sees what follows "--", so it cannot take a file for an option.
    int toolkitArgumentCount = 0;
    // window: the value of Qt's "-platform" option among those entries, empty when none is given (of
    // several, the last counts, as it does for Qt). The window checks it before Qt starts on it.
    std::string platform;
    // invalid: the Korean description of what was not understood.
    std::string error;
    // cli and window: how to merge, from --layout, --columns, --fit, --conform-rate and --audio before
    // "--cli" (and before "--"); the sound's clip is a position in the sorted order of the files named.
    MergeSettings settings;
};

// "--cli" anywhere (its first occurrence) selects the command-line mode with everything after it.
// "-h", "--help" and "--version" count only before "--" and before "--cli"; the first of them wins,
// also over an unknown option. Without "--cli", any other argument starting with "-" before "--" must
// be one of Qt's standard options (-platform, -style, ...), else the arguments are invalid. After "--"
// every argument names a file. Empty arguments name nothing and are dropped. The merge settings count in
// both modes, and a value they cannot take makes the arguments invalid in both.
ProgramArguments programArguments(int argc, const char* const* argv);

// Help (on `out`, status 0), version (on `out`, status 0) and invalid arguments (an error line and a
// pointer to --help on `err`, status 2). Nothing for the window and the command-line mode.
std::optional<int> answerDirectly(const ProgramArguments& arguments, std::ostream& out, std::ostream& err);

// "X.Y.Z" of this build.
const char* programVersion();

// The text --help prints; the man page is rendered from the same source.
const char* usage();

}  // namespace tessellane
