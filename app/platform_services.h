// What the window and the model need from the desktop: file choosers, the file manager and the program
// that opens a file.
// Behind one small interface so the model runs (and is tested) without a display.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/clip_info.h"

namespace tessellane {

// The outcome of the modal folder chooser: cancelled, or confirmed with a folder (which the platform
// may fail to report, hence optional).
struct FolderChoice {
    bool confirmed = false;
    std::optional<FileURL> folder;
};

class PlatformServices {
  public:
    virtual ~PlatformServices() = default;

    // Modal: folders only, new folders may be created, the confirm button reads `confirmLabel`. It opens
    // in `startIn` when that is given.
    virtual FolderChoice chooseFolder(const QString& confirmLabel, const std::optional<FileURL>& startIn) = 0;

    // Modal: several files, no folders, filtered to the given lower-case extensions (without dots), with
    // every file one filter away; opens in `startIn` when that is given. std::nullopt when the user
    // cancels; otherwise the chosen files in the order the chooser gives them. Neither chooser lets the
    // user delete a file from inside it.
    virtual std::optional<std::vector<FileURL>> chooseFiles(const std::vector<std::string>& extensions,
                                                            const std::optional<FileURL>& startIn) = 0;

    // Shows the file selected in the desktop's file manager; where none answers, opens its folder, and
    // where that fails too, tells the user where the file is. Never silent.
    virtual void reveal(const FileURL& file) = 0;

    // Opens the file in the desktop's program for it, or tells the user that it could not.
    virtual void open(const FileURL& file) = 0;
};

}  // namespace tessellane
