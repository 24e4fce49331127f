// The application-wide key hook of the main window: Ctrl+A (⌘A on macOS) selects every clip, Backspace and
// Delete remove the selected clips, Ctrl+O opens the file chooser, Ctrl+Return starts the merge, Escape
// stops a running merge and Ctrl+Q closes the window. It sees every key press first, acts only while the
// main window itself has the keyboard (no dialog, menu or pop-up over it) and never takes a key from a
// control that edits text.
#pragma once

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

namespace tessellane {

class AppModel;

// True for every control in which keys edit text (line edits, text edits, spin boxes, editable combos).
bool editsText(const QWidget* widget);

class ShortcutFilter : public QObject {
    Q_OBJECT
  public:
    explicit ShortcutFilter(QObject* parent = nullptr) : QObject(parent) {}

    // The model the keys act on and the window they belong to; until both are set every key passes on.
    void setModel(AppModel* model) { model_ = model; }
    void setWindow(QWidget* window) { window_ = window; }

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool keysBelongToWindow(QObject* watched) const;
    bool handle(QObject* watched, const QKeyEvent& key);

    AppModel* model_ = nullptr;
    QPointer<QWidget> window_;
};

}  // namespace tessellane
