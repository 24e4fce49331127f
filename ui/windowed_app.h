// The windowed application: one model, one window, the key hook; returns when the window is closed.
#pragma once

#include <QStringList>
#include <filesystem>
#include <vector>

class QApplication;
class QCoreApplication;

namespace tessellane {

// Starts the window. Without a display it prints one line pointing to "--cli" and returns 2. SIGINT,
// SIGTERM and SIGHUP quit it as closing the window does, without the question about a running merge.
int runWindowedApp(int argc, char** argv);

// The dark look: Fusion style, the window palette and the Korean-capable font.
void applyLook(QApplication& app);

// Loads Qt's Korean texts for its own dialogs and buttons; false when they are not installed.
bool installQtKoreanTexts(QCoreApplication& app);

// Files named on the command line (after Qt has taken its own options): plain paths, made absolute
// against `workingDirectory`, or file:// URLs as a file manager's "Open with" passes them. Arguments
// starting with "-" are not files.
std::vector<std::filesystem::path> startupFiles(const QStringList& arguments,
                                                const std::filesystem::path& workingDirectory);

}  // namespace tessellane
