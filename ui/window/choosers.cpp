#include "ui/window/choosers.h"

#include "app/app_model.h"
#include "engine/core/clip_info.h"
#include "ui/words.h"

namespace tessellane {

void addChosenFiles(AppModel& model) {
    PlatformServices* services = model.platformServices();
    if (!services) return;
    std::vector<std::string> kinds = videoExts;
    kinds.insert(kinds.end(), imageExts.begin(), imageExts.end());
    if (auto chosen = services->chooseFiles(kinds, model.clipsFolder())) model.add(*chosen);
}

void chooseOutputFolder(AppModel& model) {
    PlatformServices* services = model.platformServices();
    if (!services) return;
    const FolderChoice choice = services->chooseFolder(words::kChooseFolderConfirm, model.outDir());
    if (choice.confirmed) model.setCustomOutDir(choice.folder);
}

}  // namespace tessellane
