#include "app/platform_services.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace tessellane {

Qt::KeyboardModifiers QtPlatformServices::keyboardModifiers() const {
    return QGuiApplication::queryKeyboardModifiers();
}

void QtPlatformServices::reveal(const FileURL& file) {
    const QString path = QString::fromStdString(file.string());
    const QUrl fileUrl = QUrl::fromLocalFile(path);
    const QUrl folderUrl = QUrl::fromLocalFile(QString::fromStdString(file.parent_path().string()));
    // The freedesktop file-manager interface selects the file; without a file manager that offers it,
    // opening the containing folder is the closest thing.
    auto* process = new QProcess();
    QObject::connect(process, &QProcess::finished, process,
                     [process, folderUrl](int code, QProcess::ExitStatus how) {
                         if (how != QProcess::NormalExit || code != 0) QDesktopServices::openUrl(folderUrl);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, folderUrl](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             QDesktopServices::openUrl(folderUrl);
                             process->deleteLater();
                         }
                     });
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(
        QStringLiteral("dbus-send"),
        {QStringLiteral("--session"), QStringLiteral("--print-reply"),
         QStringLiteral("--dest=org.freedesktop.FileManager1"), QStringLiteral("--type=method_call"),
         QStringLiteral("/org/freedesktop/FileManager1"),
         QStringLiteral("org.freedesktop.FileManager1.ShowItems"),
         QStringLiteral("array:string:") + fileUrl.toString(QUrl::FullyEncoded), QStringLiteral("string:")});
}

}  // namespace tessellane
