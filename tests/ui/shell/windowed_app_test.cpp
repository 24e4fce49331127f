// The application shell: Qt's own texts in Korean, start-up files and the built-in icon.
#include "ui/shell/windowed_app.h"

#include <QFileDialog>

#include "tests/ui/ui_test_support.h"

namespace tessellane {

TEST(QtTexts, QtsOwnButtonsSpeakKorean) {
    ASSERT_TRUE(installQtKoreanTexts(*qApp));
    QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "취소");
    QFileDialog chooser;
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_NE(chooser.labelText(QFileDialog::LookIn), "Look in:");
}

TEST(StartupFiles, PathsAreMadeAbsoluteAndUrlsDecoded) {
    EXPECT_EQ(startupFiles({"a b.mov", "/abs/c.mov", "-x.png", "file:///tmp/%ED%95%9C.png", "s/../d.mp4", ""},
                           "/w"),
              std::vector<std::filesystem::path>(
                  {"/w/a b.mov", "/abs/c.mov", "/w/-x.png", "/tmp/한.png", "/w/s/../d.mp4"}));
}

TEST(WindowIcon, TravelsInsideTheBinary) {
    EXPECT_EQ(QIcon(":/tessellane/tessellane.png").pixmap(256).toImage().pixelColor(128, 128),
              palette::cyan());
}

}  // namespace tessellane
