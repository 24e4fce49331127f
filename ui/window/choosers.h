// The window's modal choosers, opened on the model's desktop: what the user picks goes to the model.
#pragma once

namespace tessellane {

class AppModel;

// The file chooser, in the folder of the first clip; the chosen files are added.
void addChosenFiles(AppModel& model);
// The output-folder chooser, in the output folder; a confirmed folder becomes the output folder.
void chooseOutputFolder(AppModel& model);

}  // namespace tessellane
