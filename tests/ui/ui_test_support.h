// Helpers for the window tests: clip records made by hand, and a shown window over a scripted desktop.
#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_model.h"
#include "tests/app/app_test_support.h"
#include "ui/window/main_window.h"

namespace tessellane::testing {

// A 5-second 25 fps H.264 movie record of the given size; the file itself need not exist.
ClipInfo videoRecord(const FileURL& url, std::int64_t width = 1920, std::int64_t height = 1080,
                     const std::string& codec = "h264", const std::string& pixFmt = "yuv420p");
// A PNG still record.
ClipInfo imageRecord(const FileURL& url, std::int64_t width = 1920, std::int64_t height = 1080);
// A record whose probe failed.
ClipInfo brokenRecord(const FileURL& url, const std::string& error);

// Whether any pixel in `area` is within `tolerance` (per channel) of `colour`. Text is anti-aliased, so
// a glyph may not contain one pixel of the exact colour.
bool hasColourNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 24);

// Calls `open`, which shows a modal dialog and waits for it; meanwhile runs `interact` on that dialog and
// then closes whatever modal is still open, so a failing check never leaves the test waiting.
// Returns whether `interact` ran.
bool withModal(const std::function<void()>& open, const std::function<void(QWidget*)>& interact);

// A model over FakeServices and the real window, shown on the offscreen platform at 1280 x 760.
struct WindowHarness {
    WindowHarness();
    ~WindowHarness();
    FakeServices services;
    AppModel model{&services};
    std::unique_ptr<MainWindow> window;

    // The texts and colours of the labels directly inside `parent`, top to bottom.
    static std::vector<std::pair<QString, QColor>> labelRows(const QWidget* parent);
};

}  // namespace tessellane::testing
