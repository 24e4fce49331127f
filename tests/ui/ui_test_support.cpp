#include "tests/ui/ui_test_support.h"

#include <QTextDocumentFragment>
#include <QTimer>

#include "ui/shell/windowed_app.h"

namespace tessellane::testing {

ClipInfo videoRecord(const FileURL& url, std::int64_t height, const std::string& codec,
                     const std::string& pixFmt) {
    ClipInfo c(url, {.codec = codec, .width = 1920, .height = height, .pixFmt = pixFmt, .fpsString = "25/1"});
    c.frames = 125;
    c.duration = 5.0;
    c.fileSize = 1234567;
    return c;
}

bool withModal(const std::function<void()>& open, const std::function<void(QWidget*)>& interact, int waitMs) {
    bool ran = false;
    // Owned here: when `open` returns without a modal, the timer goes with this call and never fires later.
    QTimer look;
    look.setSingleShot(true);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (waitFor([] { return QApplication::activeModalWidget() != nullptr; }, waitMs)) {
            interact(QApplication::activeModalWidget());
            ran = true;
        }
        if (QWidget* still = QApplication::activeModalWidget()) still->close();
    });
    look.start(0);
    open();
    return ran;
}

int inkBottom(const QImage& image) {
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 64) return y;
    return -1;
}

std::vector<std::pair<QString, QColor>> labelRows(const QWidget* parent) {
    std::vector<std::pair<QString, QColor>> rows;
    for (QLabel* label : parent->findChildren<QLabel*>())
        if (label->isVisibleTo(parent) && !label->text().isEmpty()) {
            // A text with "…" is set as rich text (its ellipsis from another font); read it as shown.
            const QString text = label->textFormat() == Qt::RichText
                                     ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                                     : label->text();
            rows.emplace_back(text, label->palette().color(QPalette::WindowText));
        }
    return rows;
}

WindowHarness::WindowHarness() : window(std::make_unique<MainWindow>(model)) {
    window->resize(1280, 760);
    window->show();
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window.get());
}

}  // namespace tessellane::testing

// One offscreen QApplication with the window's look, in the pinned environment.
int main(int argc, char** argv) {
    tessellane::testing::pinTestEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    tessellane::applyLook(application);
    return RUN_ALL_TESTS();
}
