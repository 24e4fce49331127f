#include "ui/shell/shortcut_filter.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "app/app_model.h"

namespace tessellane {

bool editsText(const QWidget* widget) {
    if (!widget) return false;
    if (auto* line = qobject_cast<const QLineEdit*>(widget)) return !line->isReadOnly();
    if (auto* text = qobject_cast<const QTextEdit*>(widget)) return !text->isReadOnly();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(widget)) return !plain->isReadOnly();
    if (qobject_cast<const QAbstractSpinBox*>(widget)) return true;
    if (auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->isEditable();
    // The viewport of a text edit receives its keys through the editor itself; check the parent too.
    if (auto* parent = widget->parentWidget()) {
        if (qobject_cast<const QTextEdit*>(parent) || qobject_cast<const QPlainTextEdit*>(parent)) {
            return editsText(parent);
        }
    }
    return false;
}

namespace {

bool typingInField(QObject* watched) {
    if (editsText(QApplication::focusWidget())) return true;
    return watched->isWidgetType() && editsText(static_cast<QWidget*>(watched));
}

bool isReturn(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }

}  // namespace

bool ShortcutFilter::keysBelongToWindow(QObject* watched) const {
    if (!model_ || !window_) return false;
    // A chooser, a message box, the folder menu or any other pop-up keeps every key it is sent; the list
    // behind it must never see them.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;
    if (QApplication::activeWindow() != window_) return false;
    return !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() == window_;
}

bool ShortcutFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    if (!keysBelongToWindow(watched)) return false;
    return handle(watched, *static_cast<QKeyEvent*>(event));
}

bool ShortcutFilter::handle(QObject* watched, const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool alt = mods & Qt::AltModifier;

    // Select all: Ctrl (⌘ on macOS) with a lower-case "a"; Shift makes it "A" and does not count.
    if (ctrl && !shift && key.key() == Qt::Key_A && !typingInField(watched)) {
        model_->selectAll();
        return true;
    }
    // The remaining Ctrl keys mean nothing to a text field, so they work from the suffix field too.
    if (ctrl && !shift && !alt) {
        if (key.key() == Qt::Key_O) {
            model_->openFiles();
            return true;
        }
        if (isReturn(key)) {
            if (!model_->canMerge()) return false;
            model_->runMerge();
            return true;
        }
        if (key.key() == Qt::Key_Q) {
            // Exactly what closing the window does, the question during a merge included.
            window_->close();
            return true;
        }
    }
    if (key.key() == Qt::Key_Escape && mods == Qt::NoModifier && model_->running()) {
        model_->cancelMerge();
        return true;
    }

    if (key.key() != Qt::Key_Backspace && key.key() != Qt::Key_Delete) return false;
    if (typingInField(watched)) return false;
    if (!model_->selected().empty()) {
        // While a merge runs the model keeps the clips, but the key is still spent here.
        model_->deleteSelected();
        return true;
    }
    return false;
}

}  // namespace tessellane
