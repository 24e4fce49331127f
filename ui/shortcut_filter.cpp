#include "ui/shortcut_filter.h"

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

}  // namespace

bool ShortcutFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);

    // Select all: Ctrl (⌘ on macOS) with a lower-case "a"; Shift makes it "A" and does not count.
    if ((key->modifiers() & Qt::ControlModifier) && !(key->modifiers() & Qt::ShiftModifier) &&
        key->key() == Qt::Key_A && !typingInField(watched) && model_) {
        model_->selectAll();
        return true;
    }

    if (key->key() != Qt::Key_Backspace && key->key() != Qt::Key_Delete) return false;
    if (typingInField(watched)) return false;
    if (model_ && !model_->selected().empty()) {
        // While a merge runs the model keeps the clips, but the key is still spent here.
        model_->deleteSelected();
        return true;
    }
    return false;
}

}  // namespace tessellane
