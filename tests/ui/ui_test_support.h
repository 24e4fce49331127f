// Helpers for the window tests: clip records made by hand, a shown window over a scripted desktop, modals.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

#include "app/app_model.h"
#include "tests/app/app_test_support.h"
#include "tests/support/test_support.h"
#include "ui/widgets/palette.h"
#include "ui/window/file_list_view.h"
#include "ui/window/main_window.h"
#include "ui/window/settings_column.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QColor& c, std::ostream* out) { *out << c.name(QColor::HexArgb).toStdString(); }

namespace tessellane::testing {

// A 5-second 25 fps movie record 1920 pixels wide; the file itself need not exist.
ClipInfo videoRecord(const FileURL& url, std::int64_t height = 1080, const std::string& codec = "h264",
                     const std::string& pixFmt = "yuv420p");

// Calls `open`, which waits for a modal; runs `interact` on it, then closes it. Whether `interact` ran.
bool withModal(const std::function<void()>& open, const std::function<void(QWidget*)>& interact,
               int waitMs = 5000);

// The lowest row of `image` with ink (grey above 64), or -1 for none.
int inkBottom(const QImage& image);

// The texts and colours of the shown labels inside `parent`, in the order they were made (top to bottom).
std::vector<std::pair<QString, QColor>> labelRows(const QWidget* parent);

// A model over FakeServices and the real window with its keys, shown and active.
struct WindowHarness {
    WindowHarness();
    FakeServices services;
    SeamModel model{&services};
    std::unique_ptr<MainWindow> window;
};

}  // namespace tessellane::testing
