// The window's platform services: the file choosers as Qt dialogs over the main window, and revealing a
// file through the freedesktop file-manager D-Bus interface, falling back to opening its folder.
#pragma once

#include "app/platform_services.h"

class QWidget;

namespace tessellane {

class DesktopServices : public QtPlatformServices {
  public:
    // Dialogs are made children of `window` (may be null).
    void setWindow(QWidget* window) { window_ = window; }

    FolderChoice chooseFolder(const QString& confirmLabel) override;
    std::optional<std::vector<FileURL>> chooseFiles(const std::vector<std::string>& extensions) override;
    void reveal(const FileURL& file) override;

  private:
    QWidget* window_ = nullptr;
};

// The name filter for the file chooser: every extension in lower and upper case.
QString fileChooserFilter(const std::vector<std::string>& extensions);

}  // namespace tessellane
