// The windowed application: one model, one window, the key hook; returns when the window is closed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/merge_settings.h"

class QApplication;
class QCoreApplication;

namespace tessellane {

// Starts the window with `files` added and the merge settings given (the sound's clip a position in the
// sorted list of those files). Qt reads its own options from the first `argc` entries of argv, among them
// the "-platform" whose value is `platform`. Without a display it prints one line pointing to "--cli" and
// returns 2. SIGINT, SIGTERM, SIGHUP, SIGQUIT and the other stop signals quit it as closing the window
// does, without the question about a running merge.
int runWindowedApp(int argc, char** argv, const std::string& platform, const std::vector<std::string>& files,
                   const MergeSettings& settings = {});

// The dark look: Fusion style, the window palette and the Korean-capable font.
void applyLook(QApplication& app);

// Loads Qt's Korean texts for its own dialogs and buttons; false when they are not installed.
bool installQtKoreanTexts(QCoreApplication& app);

// Files named on the command line: plain paths, made absolute against `workingDirectory`, or file://
// URLs as a file manager's "Open with" passes them.
std::vector<std::filesystem::path> startupFiles(const std::vector<std::string>& files,
                                                const std::filesystem::path& workingDirectory);

}  // namespace tessellane
