#include "ui/shell/desktop_services.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

#include "ui/shell/words.h"
#include "ui/widgets/fonts.h"

namespace tessellane {

QString fileChooserFilter(const std::vector<std::string>& extensions) {
    QStringList patterns;
    for (const std::string& ext : extensions) {
        const QString lower = QString::fromStdString(ext).toLower();
        patterns << "*." + lower << "*." + lower.toUpper();
    }
    return QStringLiteral("영상·이미지 (") + patterns.join(' ') + ")";
}

FolderChoice DesktopServices::chooseFolder(const QString& confirmLabel) {
    QFileDialog dialog(window_, words::kChooseFolderTitle);
    dialog.setObjectName(QStringLiteral("chooseFolderDialog"));
    dialog.setFont(dialogFont());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, confirmLabel);
    if (dialog.exec() != QDialog::Accepted) return {};
    FolderChoice choice;
    choice.confirmed = true;
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty() && !chosen.front().isEmpty()) choice.folder = FileURL(chosen.front().toStdString());
    return choice;
}

std::optional<std::vector<FileURL>> DesktopServices::chooseFiles(const std::vector<std::string>& extensions) {
    QFileDialog dialog(window_, words::kAddFilesTitle, QString(), fileChooserFilter(extensions));
    dialog.setObjectName(QStringLiteral("addFilesDialog"));
    dialog.setFont(dialogFont());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    std::vector<FileURL> files;
    for (const QString& path : chosen) files.emplace_back(path.toStdString());
    return files;
}

void DesktopServices::reveal(const FileURL& file) {
    const QString path = QString::fromStdString(file.string());
    const QUrl folder = QUrl::fromLocalFile(QString::fromStdString(file.parent_path().string()));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    // Asynchronous so a slow or absent file manager never holds up the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [folder](QDBusPendingCallWatcher* w) {
                         if (QDBusPendingReply<> reply = *w; reply.isError())
                             QDesktopServices::openUrl(folder);
                         w->deleteLater();
                     });
}

}  // namespace tessellane
