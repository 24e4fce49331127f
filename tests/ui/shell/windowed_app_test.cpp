// The application shell: Qt's own texts in Korean, start-up files and the built-in icon.
#include "ui/shell/windowed_app.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QIcon>
#include <QMessageBox>

#include "ui/widgets/palette.h"

namespace tessellane {
namespace {

TEST(QtTexts, QtsOwnButtonsSpeakKorean) {
    ASSERT_TRUE(installQtKoreanTexts(*qApp));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "취소");
    QFileDialog chooser;
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_NE(chooser.labelText(QFileDialog::LookIn), "Look in:");
}

TEST(StartupFiles, PathsAreMadeAbsoluteAndUrlsDecoded) {
    const auto files = startupFiles(
        {"a b.mov", "/abs/c.mov", "-x.png", "file:///tmp/%ED%95%9C.png", "sub/../d.mp4", ""}, "/work/dir");
    const std::vector<std::filesystem::path> expected = {
        "/work/dir/a b.mov", "/abs/c.mov", "/work/dir/-x.png", "/tmp/한.png", "/work/dir/sub/../d.mp4"};
    EXPECT_EQ(files, expected);
}

TEST(WindowIcon, TravelsInsideTheBinary) {
    const QIcon icon(QStringLiteral(":/tessellane/tessellane.png"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(256).toImage().pixelColor(128, 128).name(), palette::cyan().name());
}

}  // namespace
}  // namespace tessellane
