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

std::vector<std::filesystem::path> startupFiles(const QStringList& arguments,
                                                const std::filesystem::path& workingDirectory) {
    std::vector<std::filesystem::path> files;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.isEmpty() || argument.startsWith('-')) continue;
        if (argument.startsWith(QStringLiteral("file:"))) {
            const QUrl url(argument);
            if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toStdString());
            continue;
        }
        std::filesystem::path path(argument.toStdString());
        files.push_back(path.is_absolute() ? path : workingDirectory / path);
    }
    return files;
}

int runWindowedApp(int argc, char** argv) {
    if (!displayAvailable(currentDisplayEnvironment(argc, argv))) {
        std::fprintf(stderr, "%s\n", noDisplayMessage());
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessellane"));
    QApplication::setDesktopFileName(QStringLiteral("tessellane"));
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
    const auto files = startupFiles(QApplication::arguments(), error ? std::filesystem::path("/") : cwd);
    if (!files.empty()) model.add(files);

    return app.exec();
}

}  // namespace tessellane
