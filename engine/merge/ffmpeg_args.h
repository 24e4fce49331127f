// The exact ffmpeg argument vectors for a merge: one element per argument, never joined into a shell line.
#pragma once

#include <string>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/core/layout_geometry.h"
#include "engine/core/merge_settings.h"
#include "engine/merge/audio_plan.h"

namespace tessellane {

// The video merge vector, or the still-image vector when every clip has an image extension. With the
// default settings: every clip as it is, side by side, without sound.
std::vector<std::string> buildArguments(const std::vector<ClipInfo>& clips, const FileURL& output,
                                        const MergeSettings& settings = {});

// The same from a layout and a sound already worked out for these clips and settings (the merge plan's).
std::vector<std::string> buildArguments(const std::vector<ClipInfo>& clips, const FileURL& output,
                                        const MergeSettings& settings, const LayoutGeometry& geometry,
                                        const std::optional<AudioPlan>& audio);

// The still-image merge vector; its format block follows the output's extension.
// The ffmpeg reader of one still: the piped reader of its format.
std::string pictureReader(const ClipInfo& clip);

std::vector<std::string> buildImageArguments(const std::vector<ClipInfo>& clips, const FileURL& output,
                                             const MergeSettings& settings = {});
std::vector<std::string> buildImageArguments(const std::vector<ClipInfo>& clips, const FileURL& output,
                                             const MergeSettings& settings, const LayoutGeometry& geometry);

// Shared by both vectors: the filter that joins the inputs ("hstack=inputs=3", "vstack=inputs=3",
// "xstack=inputs=4:layout=0_0|64_0|0_32|64_32:fill=black"), and the padding that centres a fitted
// picture in its grid cell ("pad=64:32:0:4:color=black"), empty where the picture fills its cell.
std::string stackFilter(Layout layout, const LayoutGeometry& geometry, std::size_t inputs);
std::string padToCell(const Tile& tile);

}  // namespace tessellane
