#include "ui/shell/windowed_app.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QPalette>
#include <QScreen>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QTranslator>
#include <QUrl>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_model.h"
#include "engine/merge/stop_signal_route.h"
#include "ui/shell/desktop_services.h"
#include "ui/shell/display_check.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"
#include "ui/window/main_window.h"

namespace tessellane {

void applyLook(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    QPalette pal;
    pal.setColor(QPalette::Window, palette::winBG());
    pal.setColor(QPalette::WindowText, palette::text());
    pal.setColor(QPalette::Base, palette::panelBG());
    pal.setColor(QPalette::AlternateBase, palette::fieldBG());
    pal.setColor(QPalette::Text, palette::text());
    pal.setColor(QPalette::Button, palette::buttonBG());
    pal.setColor(QPalette::ButtonText, palette::text());
    pal.setColor(QPalette::ToolTipBase, palette::fieldBG());
    pal.setColor(QPalette::ToolTipText, palette::text());
    pal.setColor(QPalette::PlaceholderText, palette::dimText());
    pal.setColor(QPalette::Highlight, palette::cyan());  // the window's tint
    pal.setColor(QPalette::HighlightedText, palette::text());
    pal.setColor(QPalette::Link, palette::cyan());
    pal.setColor(QPalette::Disabled, QPalette::Text, palette::dimText());
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, palette::dimText());
    pal.setColor(QPalette::Disabled, QPalette::WindowText, palette::dimText());
    app.setPalette(pal);
    installUiFont(app);
}

bool installQtKoreanTexts(QCoreApplication& app) {
    // Qt's own dialogs and buttons speak the window's language, whatever the session's locale is.
    static QTranslator translator;
    if (!translator.isEmpty()) return true;
    if (!translator.load(QStringLiteral("qtbase_ko"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return app.installTranslator(&translator);
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

namespace {

// Qt's argv: what was given, then "-platform <chosen>" (of several, Qt takes the last), then the end.
std::vector<char*> qtArguments(int argc, char** argv, std::string& chosen) {
    static char platformSwitch[] = "-platform";
    std::vector<char*> arguments(argv, argv + argc);
    arguments.push_back(platformSwitch);
    arguments.push_back(chosen.data());
    arguments.push_back(nullptr);
    return arguments;
}

// The preferred size, or the screen's room when that is smaller.
void showAtPreferredSize(QWidget& window) {
    QSize size(1280, 760);
    if (const QScreen* screen = window.screen()) size = size.boundedTo(screen->availableGeometry().size());
    window.resize(size.expandedTo(window.minimumSize()));
    window.show();
    window.raise();
    window.activateWindow();
}

// The program as the desktop knows it (name, desktop entry, icon) in its own look, with Qt's texts in Korean.
void presentApplication(QApplication& app) {
    installQtKoreanTexts(app);
    QApplication::setApplicationName(QStringLiteral("Tessellane"));
    QApplication::setDesktopFileName(QStringLiteral(TESSELLANE_APP_ID));
    QApplication::setQuitOnLastWindowClosed(true);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tessellane/tessellane.png")));
    applyLook(app);
}

// The files named at start, taken against the working directory. The sound's clip is a position in their
// sorted order, so it is chosen once they are listed.
void addStartupFiles(AppModel& model, const std::vector<std::string>& files,
                     std::optional<std::size_t> audioClip) {
    std::error_code error;
    const auto cwd = std::filesystem::current_path(error);
    const auto paths = startupFiles(files, error ? std::filesystem::path("/") : cwd);
    if (paths.empty()) return;
    model.add(paths);
    if (!audioClip) return;
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = QObject::connect(&model, &AppModel::clipsChanged, &model, [&model, once, at = *audioClip] {
        QObject::disconnect(*once);
        if (at < model.clips().size()) model.setAudioClip(model.clips()[at].id());
    });
}

}  // namespace

int runWindowedApp(int argc, char** argv, const std::string& platform, const std::vector<std::string>& files,
                   const MergeSettings& settings) {
    const std::optional<std::string> chosen =
        choosePlatform(currentDisplayEnvironment(platform), systemDisplayProbes());
    if (!chosen) {
        std::fprintf(stderr, "%s\n", noDisplayMessage());
        return 2;
    }
    // Qt starts on exactly the platform found to work: its own choice could abort the process.
    std::string platformName = *chosen;
    std::vector<char*> arguments = qtArguments(argc, argv, platformName);
    int count = int(arguments.size()) - 1;

    // SIGINT, SIGTERM, SIGHUP, SIGQUIT and the other stop signals quit the window as it quits normally, so
    // the merge is stopped and the private thumbnail folder removed; a second one ends the process at once.
    // Declared before the application and the model, so the signals stay routed until both are gone.
    Cancellation quitRequest;
    const StopSignalRoute quitSignals(quitRequest, StopSignalRoute::Repeat::secondEnds);

    QApplication app(count, arguments.data());
    presentApplication(app);

    DesktopServices services;
    AppModel model(&services);
    MergeSettings stored = settings;
    stored.audioClip.reset();  // the model keeps the sound's clip by identity, below
    model.setMergeSettings(stored);
    MainWindow window(model);
    services.setWindow(&window);

    QSocketNotifier quitNotifier(quitRequest.waitFd(), QSocketNotifier::Read);
    QObject::connect(&quitNotifier, &QSocketNotifier::activated, &app, [&] {
        quitNotifier.setEnabled(false);
        model.cancelMerge();
        QApplication::quit();
    });

    showAtPreferredSize(window);

    addStartupFiles(model, files, settings.audioClip);
    return app.exec();
}

}  // namespace tessellane
