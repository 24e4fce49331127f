#include "tests/ui/ui_test_support.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace tessellane::testing {

ClipInfo videoRecord(const FileURL& url, std::int64_t width, std::int64_t height, const std::string& codec,
                     const std::string& pixFmt) {
    return ClipInfo(url, {.codec = codec,
                          .codecTag = codec == "h264" ? "avc1" : "hvc1",
                          .profile = "High",
                          .width = width,
                          .height = height,
                          .pixFmt = pixFmt,
                          .fpsString = "25/1",
                          .frames = 125,
                          .duration = 5.0,
                          .colorSpace = "bt709",
                          .colorPrimaries = "bt709",
                          .colorTransfer = "bt709",
                          .colorRange = "tv",
                          .fileSize = 1234567});
}

ClipInfo imageRecord(const FileURL& url, std::int64_t width, std::int64_t height) {
    return ClipInfo(url, {.codec = "png",
                          .width = width,
                          .height = height,
                          .pixFmt = "rgb24",
                          .frames = 1,
                          .fileSize = 48000});
}

ClipInfo brokenRecord(const FileURL& url, const std::string& error) {
    return ClipInfo(url, {.fileSize = 10, .error = error});
}

bool hasColourNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance) {
    const QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance &&
                std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                return true;
        }
    }
    return false;
}

bool withModal(const std::function<void()>& open, const std::function<void(QWidget*)>& interact) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = nullptr;
        waitFor([&] { return (modal = QApplication::activeModalWidget()) != nullptr; }, 5000);
        if (modal) {
            interact(modal);
            ran = true;
        }
        if (QWidget* still = QApplication::activeModalWidget()) still->close();
    });
    open();
    return ran;
}

WindowHarness::WindowHarness() : window(std::make_unique<MainWindow>(model)) {
    window->resize(1280, 760);
    window->show();
    window->activateWindow();
    (void)QTest::qWaitForWindowExposed(window.get());
    (void)QTest::qWaitForWindowActive(window.get());
}

WindowHarness::~WindowHarness() { window.reset(); }

std::vector<std::pair<QString, QColor>> WindowHarness::labelRows(const QWidget* parent) {
    auto labels = parent->findChildren<QLabel*>();
    std::stable_sort(labels.begin(), labels.end(), [parent](QLabel* a, QLabel* b) {
        return a->mapTo(parent, QPoint()).y() < b->mapTo(parent, QPoint()).y();
    });
    std::vector<std::pair<QString, QColor>> rows;
    for (QLabel* label : labels)
        rows.emplace_back(label->text(), label->palette().color(QPalette::WindowText));
    return rows;
}

}  // namespace tessellane::testing
