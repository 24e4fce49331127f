// The application-wide key hook: Ctrl+A (⌘A on macOS) selects every clip, Backspace and Delete remove the
// selected clips. It sees every key press first and never takes one from a control that edits text.
#pragma once

#include <QObject>

class QWidget;

namespace tessellane {

class AppModel;

// True for every control in which keys edit text (line edits, text edits, spin boxes, editable combos).
bool editsText(const QWidget* widget);

class ShortcutFilter : public QObject {
    Q_OBJECT
  public:
    explicit ShortcutFilter(QObject* parent = nullptr) : QObject(parent) {}

    // The model the keys act on; until it is set every key passes on untouched.
    void setModel(AppModel* model) { model_ = model; }

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    AppModel* model_ = nullptr;
};

}  // namespace tessellane
