// The desktop seen from the window: showing or opening a file never ends in silence.
#include "ui/shell/desktop_services.h"

#include <QClipboard>

#include "tests/ui/ui_test_support.h"

namespace tessellane::testing {

// No file manager answers on the bus; the opener exits as the row says (-1: it is not installed).
TEST(DesktopServices, RevealAndOpenEndInTheFolderTheFileOrANoticeWithThePath) {
    TempDir dir;
    const FileURL file = dir / "합본 1.mov";
    writeFile(file, "x");
    DesktopServices desktop;
    desktop.setFileManagerBus(QDBusConnection(QStringLiteral("no bus")));
    // Reveal or open, the opener's exit status, what it was given (empty: not run).
    const std::tuple<bool, int, FileURL> table[] = {
        {true, 0, dir.path()}, {true, 4, dir.path()}, {false, 0, file}, {false, 3, file}, {true, -1, {}},
    };
    for (const auto& [reveal, status, given] : table) {
        SCOPED_TRACE(std::to_string(reveal) + " " + std::to_string(status));
        std::filesystem::remove(dir / "given");
        writeScript(dir / "opener", "printf '%s' \"$1\" > '" + (dir / "given").string() + "'\nexit " +
                                        std::to_string(status) + "\n");
        desktop.setOpener(QString::fromStdString((dir / (status < 0 ? "missing" : "opener")).string()));
        reveal ? desktop.reveal(file) : desktop.open(file);
        // The opener runs without the window waiting for it; a notice follows only when it fails.
        waitFor([] { return QApplication::activeModalWidget() != nullptr; }, status == 0 ? 300 : 5000);
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        EXPECT_EQ(box != nullptr, status != 0);
        if (box) {
            EXPECT_TRUE(box->informativeText().endsWith(QString::fromStdString(file.string())));
            box->buttons().first()->click();  // "경로 복사"
            EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(file.string()));
            EXPECT_TRUE(waitFor([] { return !QApplication::activeModalWidget(); }, 2000));
        }
        EXPECT_TRUE(waitFor([&] { return given.empty() || std::filesystem::exists(dir / "given"); }, 5000));
        EXPECT_EQ(FileURL(readFile(dir / "given")), given);
        // The closed notice and the finished opener go now, not with the application.
        QTest::qWait(300);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace tessellane::testing
