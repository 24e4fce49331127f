#include "app/files_to_add.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/core/naming.h"

namespace tessellane {

namespace {

namespace fs = std::filesystem;

class Sorter {
  public:
    explicit Sorter(const std::set<std::string>& listed) : listed_(listed) {}

    void take(FileURL file) {
        if (listed_.count(file.lexically_normal().string()))
            refuse(std::move(file), RefusalReason::alreadyListed);
        else
            result_.files.push_back(std::move(file));
    }
    void refuse(FileURL path, RefusalReason reason, bool folder = false) {
        result_.refused.push_back({std::move(path), reason, folder});
    }

    void takeFolder(const FileURL& folder) {
        std::vector<FileURL> accepted, others, subfolders;
        std::error_code error;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error)) {
            const FileURL path = entry->path();
            if (path.filename().string().starts_with('.')) continue;
            std::error_code kindError;  // a link to nothing is no folder, and refused by its extension
            if (entry->is_directory(kindError))
                subfolders.push_back(path);
            else
                (hasAcceptedExtension(path) ? accepted : others).push_back(path);
        }
        if (error) return refuse(folder, RefusalReason::unreadable, true);
        if (accepted.empty()) return refuse(folder, RefusalReason::nothingInFolder, true);
        for (FileURL& file : naturalSortedURLs(accepted)) take(std::move(file));
        for (FileURL& path : naturalSortedURLs(subfolders))
            refuse(std::move(path), RefusalReason::subfolder, true);
        for (FileURL& path : naturalSortedURLs(others)) refuse(std::move(path), RefusalReason::unsupported);
    }

    FilesToAdd result() && { return std::move(result_); }

  private:
    const std::set<std::string>& listed_;
    FilesToAdd result_;
};

}  // namespace

bool hasAcceptedExtension(const FileURL& url) {
    const std::string ext = lowerExtensionOf(url);
    if (ext.empty()) return false;
    return std::find(videoExts.begin(), videoExts.end(), ext) != videoExts.end() ||
           std::find(imageExts.begin(), imageExts.end(), ext) != imageExts.end();
}

FilesToAdd filesToAdd(const std::vector<FileURL>& given, const std::set<std::string>& listed) {
    Sorter sorter(listed);
    for (const FileURL& path : given) {
        std::error_code error;
        FileURL url = path.is_absolute() ? path : fs::absolute(path, error);
        if (error) {
            sorter.refuse(path, RefusalReason::unreadable);
            continue;
        }
        // Links are followed: a link to a folder is that folder.
        if (fs::is_directory(fs::status(url, error))) {
            sorter.takeFolder(url);
            continue;
        }
        if (hasAcceptedExtension(url)) {
            sorter.take(std::move(url));
            continue;
        }
        // A name that is not there at all, and one in a folder this user may not look into.
        const fs::file_type type = fs::symlink_status(url, error).type();
        sorter.refuse(std::move(url), type == fs::file_type::not_found ? RefusalReason::notFound
                                      : error                          ? RefusalReason::unreadable
                                                                       : RefusalReason::unsupported);
    }
    return std::move(sorter).result();
}

}  // namespace tessellane
