// The command-line mode: merges the files named after "--cli" and reports in Korean on standard output.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/merge_settings.h"

namespace tessellane {

// The arguments after the first "--cli", or nothing when "--cli" does not occur (the window starts).
std::optional<std::vector<std::string>> cliArguments(int argc, const char* const* argv);

// <output folder> <suffix> <files...>, merged as `settings` say; returns the exit status 0, 1 or 2. While
// ffmpeg runs, a progress line goes to standard error when that is a terminal.
int runCLI(const std::vector<std::string>& arguments, std::ostream& out, const MergeSettings& settings = {});

}  // namespace tessellane
