// The window's platform services: the file choosers as Qt dialogs over the main window; revealing a file
// through the freedesktop file-manager D-Bus interface, falling back to opening its folder, then to a
// notice with the path; opening a file with the desktop's program for it.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <functional>

#include "app/platform_services.h"

class QFileDialog;
class QWidget;

namespace tessellane {

class DesktopServices : public PlatformServices {
  public:
    DesktopServices();

    // Dialogs and notices are made children of `window` (may be null).
    void setWindow(QWidget* window) { window_ = window; }
    // The bus the file manager is asked on (the session bus unless changed).
    void setFileManagerBus(const QDBusConnection& bus) { bus_ = bus; }
    // The program that opens a file or folder with the desktop's choice ("xdg-open" unless changed).
    void setOpener(const QString& program) { opener_ = program; }

    FolderChoice chooseFolder(const QString& confirmLabel, const std::optional<FileURL>& startIn) override;
    std::optional<std::vector<FileURL>> chooseFiles(const std::vector<std::string>& extensions,
                                                    const std::optional<FileURL>& startIn) override;
    void reveal(const FileURL& file) override;
    void open(const FileURL& file) override;

  private:
    // Runs the opener on `target` without waiting; `failed` runs when it cannot start or exits non-zero.
    void openWithDesktop(const FileURL& target, std::function<void()> failed);
    // A notice over the window with the path, selectable and copyable.
    void showNotice(const QString& text, const FileURL& file);

    QWidget* window_ = nullptr;
    QDBusConnection bus_;
    QString opener_ = QStringLiteral("xdg-open");
};

// The name filters of the file chooser: the accepted extensions in lower and upper case, then every file.
QStringList fileChooserFilters(const std::vector<std::string>& extensions);

// Takes away a Qt file dialog's ways to delete the user's files (its Delete key and menu item).
void keepFilesSafe(QFileDialog& dialog);

}  // namespace tessellane
