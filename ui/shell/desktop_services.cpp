#include "ui/shell/desktop_services.h"

#include <QAction>
#include <QClipboard>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>

#include "app/qt_text.h"
#include "ui/widgets/fonts.h"
#include "ui/words.h"

namespace tessellane {

namespace {

QString pathText(const FileURL& path) { return toQString(path.string()); }

// The chooser opens where the clips are, when that folder is still there.
void startIn(QFileDialog& dialog, const std::optional<FileURL>& folder) {
    std::error_code error;
    if (folder && std::filesystem::is_directory(*folder, error)) dialog.setDirectory(pathText(*folder));
}

}  // namespace

QStringList fileChooserFilters(const std::vector<std::string>& extensions) {
    QStringList patterns;
    for (const std::string& ext : extensions) {
        const QString lower = QString::fromStdString(ext).toLower();
        patterns << "*." + lower << "*." + lower.toUpper();
    }
    return {words::mediaFilesFilter(patterns.join(' ')), words::kAllFilesFilter};
}

void keepFilesSafe(QFileDialog& dialog) {
    // The dialog's list and tree carry a Delete shortcut and its menu a delete item; a chooser of this
    // program never removes a file of the user's.
    const QList<QKeySequence> deleteKeys = QKeySequence::keyBindings(QKeySequence::Delete);
    for (QShortcut* shortcut : dialog.findChildren<QShortcut*>()) {
        for (const QKeySequence& key : shortcut->keys())
            if (deleteKeys.contains(key) || key == QKeySequence(Qt::Key_Delete)) shortcut->setEnabled(false);
    }
    if (auto* remove = dialog.findChild<QAction*>(QStringLiteral("qt_delete_action")))
        remove->setVisible(false);
}

DesktopServices::DesktopServices() : bus_(QDBusConnection::sessionBus()) {}

FolderChoice DesktopServices::chooseFolder(const QString& confirmLabel,
                                           const std::optional<FileURL>& folder) {
    QFileDialog dialog(window_, words::kChooseFolderTitle);
    dialog.setObjectName(QStringLiteral("chooseFolderDialog"));
    dialog.setFont(dialogFont());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, confirmLabel);
    startIn(dialog, folder);
    keepFilesSafe(dialog);
    if (dialog.exec() != QDialog::Accepted) return {};
    FolderChoice choice;
    choice.confirmed = true;
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty() && !chosen.front().isEmpty()) choice.folder = FileURL(chosen.front().toStdString());
    return choice;
}

std::optional<std::vector<FileURL>> DesktopServices::chooseFiles(const std::vector<std::string>& extensions,
                                                                 const std::optional<FileURL>& folder) {
    QFileDialog dialog(window_, words::kAddFilesTitle);
    dialog.setObjectName(QStringLiteral("addFilesDialog"));
    dialog.setFont(dialogFont());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(fileChooserFilters(extensions));
    // Choosing files to add needs no renaming or new folders either.
    dialog.setOption(QFileDialog::ReadOnly);
    startIn(dialog, folder);
    keepFilesSafe(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    std::vector<FileURL> files;
    for (const QString& path : chosen) files.emplace_back(path.toStdString());
    return files;
}

void DesktopServices::reveal(const FileURL& file) {
    auto openFolder = [this, file] {
        openWithDesktop(file.parent_path(), [this, file] { showNotice(words::kRevealFailed, file); });
    };
    if (!bus_.isConnected()) return openFolder();
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(pathText(file)).toString(QUrl::FullyEncoded)} << QString();
    // Asynchronous so a slow or absent file manager never holds up the window.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [openFolder](QDBusPendingCallWatcher* w) {
                         if (QDBusPendingReply<> reply = *w; reply.isError()) openFolder();
                         w->deleteLater();
                     });
}

void DesktopServices::open(const FileURL& file) {
    openWithDesktop(file, [this, file] { showNotice(words::kOpenFailed, file); });
}

void DesktopServices::openWithDesktop(const FileURL& target, std::function<void()> failed) {
    // Not parented: closing the window must not kill a file manager that the opener waits for.
    auto* opener = new QProcess;
    opener->setProgram(opener_);
    opener->setArguments({pathText(target)});  // absolute, so never taken for an option
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, failed](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0) failed();
                         opener->deleteLater();
                     });
    QObject::connect(opener, &QProcess::errorOccurred, opener,
                     [opener, failed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         failed();
                         opener->deleteLater();
                     });
    opener->start();
}

void DesktopServices::showNotice(const QString& text, const FileURL& file) {
    const QString path = pathText(file);
    auto* box =
        new QMessageBox(QMessageBox::Information, words::kProgramName, text, QMessageBox::NoButton, window_);
    box->setObjectName(QStringLiteral("desktopNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setFont(dialogFont());
    box->setInformativeText(words::kFileIsHere + "\n" + path);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPushButton* copy = box->addButton(words::kCopyPath, QMessageBox::AcceptRole);
    box->addButton(words::kClose, QMessageBox::RejectRole);
    QObject::connect(copy, &QPushButton::clicked, box,
                     [path] { QGuiApplication::clipboard()->setText(path); });
    box->setDefaultButton(copy);
    box->open();
}

}  // namespace tessellane
