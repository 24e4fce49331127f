// What the paths given to AppModel::add come to: the files to probe, in order, and every path not taken,
// with why. A folder stands for the files directly inside it.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "engine/core/clip_info.h"

namespace tessellane {

enum class RefusalReason {
    unsupported,      // an extension that is not one of the accepted ones
    alreadyListed,    // the list holds this file already
    notFound,         // nothing at the path, which has no accepted extension to list it by
    nothingInFolder,  // a folder with no accepted file directly inside it, an empty one too
    subfolder,        // a folder inside a given folder: folders are not looked into further
    unreadable,       // a folder that cannot be listed, or a path that cannot be made absolute
};

struct Refusal {
    FileURL path;
    RefusalReason reason = RefusalReason::unsupported;
    bool folder = false;
    friend bool operator==(const Refusal&, const Refusal&) = default;
};

struct FilesToAdd {
    std::vector<FileURL> files;    // in the order given, a folder's files in natural order; absolute
    std::vector<Refusal> refused;  // in the same order
};

// One of videoExts or imageExts, in any letter case.
bool hasAcceptedExtension(const FileURL& url);

// `listed`: the lexically normal paths of the clips already listed. Relative paths are taken from the
// working folder. A file with an accepted extension is taken even when it is missing or unreadable: its
// card says which. Reads only what the file system says about the paths and the names inside the folders;
// hidden entries of a folder (".name", such as another system's "._clip.mov") are passed over.
FilesToAdd filesToAdd(const std::vector<FileURL>& given, const std::set<std::string>& listed);

}  // namespace tessellane
