// Helpers for the application-model tests: a scripted stand-in for the desktop, tiny real media, waiting.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/app_model.h"
#include "app/platform_services.h"

namespace tessellane::testing {

// Chooser answers set by the test; every request is recorded.
class FakeServices : public PlatformServices {
  public:
    FolderChoice folderAnswer;
    std::optional<std::vector<FileURL>> filesAnswer;
    std::vector<QString> folderLabels;
    std::vector<std::vector<std::string>> fileFilters;
    std::vector<std::optional<FileURL>> startFolders;  // of both choosers, in the order they opened
    std::vector<FileURL> revealed;
    std::vector<FileURL> opened;

    FolderChoice chooseFolder(const QString& confirmLabel, const std::optional<FileURL>& startIn) override {
        folderLabels.push_back(confirmLabel);
        startFolders.push_back(startIn);
        return folderAnswer;
    }
    std::optional<std::vector<FileURL>> chooseFiles(const std::vector<std::string>& extensions,
                                                    const std::optional<FileURL>& startIn) override {
        fileFilters.push_back(extensions);
        startFolders.push_back(startIn);
        return filesAnswer;
    }
    void reveal(const FileURL& file) override { revealed.push_back(file); }
    void open(const FileURL& file) override { opened.push_back(file); }
};

// The model with what its own jobs set opened, to put it in a state without running them.
class SeamModel : public AppModel {
  public:
    using AppModel::AppModel;
    using AppModel::makeThumb;
    using AppModel::planRevision;
    using AppModel::setClips;
    using AppModel::setDone;
    using AppModel::setLastResult;
    using AppModel::setMergeTarget;
    using AppModel::setPlatformServices;
    using AppModel::setProgress;
    using AppModel::setRefused;
    using AppModel::setRunning;
    using AppModel::setSelected;
    using AppModel::setStatus;
    using AppModel::setStatusIsError;
    using AppModel::setStopping;
    using AppModel::setThumb;
    using AppModel::setThumbnailTimeLimit;
    using AppModel::setThumbs;
    using AppModel::thumbnailFolder;
};

// A 64x32 H.264 movie of `frames` frames at 25 fps, and a width x height PNG, made by the real ffmpeg.
FileURL makeTinyMovie(const FileURL& path, int frames = 5);
FileURL makeTinyImage(const FileURL& path, int width = 64, int height = 32);

// Runs the event loop until `done` holds or `timeoutMs` passes; returns done().
bool waitFor(const std::function<bool()>& done, int timeoutMs = 30000);

// The names of the entries directly inside `folder`.
std::vector<std::string> filesIn(const FileURL& folder);

}  // namespace tessellane::testing
