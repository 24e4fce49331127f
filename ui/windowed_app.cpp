#include "ui/windowed_app.h"

#include <QApplication>
#include <QIcon>
#include <QPalette>
#include <QStyleFactory>
#include <QUrl>
#include <cstdio>

#include "app/app_model.h"
#include "ui/desktop_services.h"
#include "ui/display_check.h"
#include "ui/fonts.h"
#include "ui/main_window.h"
#include "ui/palette.h"
#include "ui/shortcut_filter.h"

namespace tessellane {

void applyLook(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    QPalette pal;
    pal.setColor(QPalette::Window, palette::winBG());
    pal.setColor(QPalette::WindowText, Qt::white);
    pal.setColor(QPalette::Base, palette::panelBG());
    pal.setColor(QPalette::AlternateBase, palette::fieldBG());
    pal.setColor(QPalette::Text, Qt::white);
    pal.setColor(QPalette::Button, palette::buttonBG());
    pal.setColor(QPalette::ButtonText, Qt::white);
    pal.setColor(QPalette::ToolTipBase, palette::fieldBG());
    pal.setColor(QPalette::ToolTipText, Qt::white);
    pal.setColor(QPalette::PlaceholderText, palette::dimText());
    pal.setColor(QPalette::Highlight, palette::cyan());  // the window's tint
    pal.setColor(QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::Link, palette::cyan());
    pal.setColor(QPalette::Disabled, QPalette::Text, palette::dimText());
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, palette::dimText());
    pal.setColor(QPalette::Disabled, QPalette::WindowText, palette::dimText());
    app.setPalette(pal);
    installUiFont(app);
}

std::vector<std::filesystem::path> startupFiles(const std::vector<std::string>& files,
                                                const std::filesystem::path& workingDirectory) {
    std::vector<std::filesystem::path> paths;
    for (const std::string& file : files) {
        if (file.empty()) continue;
        if (file.starts_with("file:")) {
            const QUrl url(QString::fromStdString(file));
            if (url.isLocalFile()) paths.emplace_back(url.toLocalFile().toStdString());
            continue;
        }
        std::filesystem::path path(file);
        paths.push_back(path.is_absolute() ? path : workingDirectory / path);
    }
    return paths;
}

int runWindowedApp(int argc, char** argv, const std::vector<std::string>& files) {
    // Qt gets its own null-terminated copy of the first argc entries and may remove the options it takes.
    std::vector<char*> toolkitArguments(argv, argv + argc);
    toolkitArguments.push_back(nullptr);
    if (!displayAvailable(currentDisplayEnvironment(argc, toolkitArguments.data()))) {
        std::fprintf(stderr, "%s\n", noDisplayMessage());
        return 2;
    }
    QApplication app(argc, toolkitArguments.data());
    QApplication::setApplicationName(QStringLiteral("Tessellane"));
    QApplication::setDesktopFileName(QStringLiteral(TESSELLANE_APP_ID));
    QApplication::setQuitOnLastWindowClosed(true);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tessellane/tessellane.png")));
    applyLook(app);

    DesktopServices services;
    AppModel model(&services);
    MainWindow window(model);
    services.setWindow(&window);

    ShortcutFilter shortcuts;
    app.installEventFilter(&shortcuts);
    shortcuts.setModel(&model);

    window.resize(1280, 760);
    window.show();
    window.raise();
    window.activateWindow();

    std::error_code error;
    const auto cwd = std::filesystem::current_path(error);
    const auto paths = startupFiles(files, error ? std::filesystem::path("/") : cwd);
    if (!paths.empty()) model.add(paths);

    return app.exec();
}

}  // namespace tessellane
