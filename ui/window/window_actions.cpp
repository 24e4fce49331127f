#include "ui/window/window_actions.h"

#include <QAction>

#include "app/app_model.h"
#include "ui/widgets/tab_bar.h"
#include "ui/window/choosers.h"
#include "ui/window/main_window.h"
#include "ui/window/queue_list.h"
#include "ui/words.h"

namespace tessellane {

WindowActions::WindowActions(MainWindow& window, AppModel& model)
    : QObject(&window), window_(window), model_(model) {
    const auto ctrl = Qt::ControlModifier;
    addFiles_ = make(words::kAddFilesAction, {QKeySequence(ctrl | Qt::Key_O)}, [this] {
        window_.showTab(MainWindow::kFilesTab);
        addChosenFiles(model_);
    });
    merge_ = make(words::kMergeAction,
                  {QKeySequence(ctrl | Qt::Key_Return), QKeySequence(ctrl | Qt::Key_Enter),
                   QKeySequence(ctrl | Qt::KeypadModifier | Qt::Key_Enter)},
                  [this] {
                      if (model_.canMerge()) model_.runMerge();
                  });
    stop_ = make(words::kStopMergeAction, {QKeySequence(Qt::Key_Escape)}, [this] { model_.cancelMerge(); });
    quit_ = make(words::kQuitAction, {QKeySequence(ctrl | Qt::Key_Q)}, [this] { window_.close(); });
    selectAll_ = make(words::kSelectAllAction, {QKeySequence(ctrl | Qt::Key_A)}, [this] {
        if (window_.currentTab() == MainWindow::kFilesTab) return model_.selectAll();
        window_.queueList()->selectAll();
    });
    // Plain Delete and Backspace only: a text field claims those for itself, so they never reach the clips
    // while the suffix is typed. The lists take the Shift and Ctrl forms themselves.
    const QList<QKeySequence> deleteKeys = {QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_Backspace)};
    remove_ = make(words::kRemoveFromListAction, deleteKeys, [this] {
        if (window_.currentTab() == MainWindow::kFilesTab) return model_.deleteSelected();
        model_.removeDone(window_.queueList()->chosenIds());
    });
    undo_ =
        make(words::kUndoRemovalAction, {QKeySequence(ctrl | Qt::Key_Z)}, [this] { model_.undoRemoval(); });
    filesTab_ = make(words::kFilesTabAction, {QKeySequence(ctrl | Qt::Key_1)},
                     [this] { window_.showTab(MainWindow::kFilesTab); });
    finishedTab_ = make(words::kFinishedTabAction, {QKeySequence(ctrl | Qt::Key_2)},
                        [this] { window_.showTab(MainWindow::kFinishedTab); });
    const auto otherTab = [this] {
        window_.showTab(window_.currentTab() == MainWindow::kFilesTab ? MainWindow::kFinishedTab
                                                                      : MainWindow::kFilesTab);
    };
    nextTab_ = make(words::kNextTabAction,
                    {QKeySequence(ctrl | Qt::Key_Tab), QKeySequence(ctrl | Qt::Key_PageDown)}, otherTab);
    previousTab_ = make(words::kPreviousTabAction,
                        {QKeySequence(ctrl | Qt::ShiftModifier | Qt::Key_Backtab),
                         QKeySequence(ctrl | Qt::Key_Backtab), QKeySequence(ctrl | Qt::Key_PageUp)},
                        otherTab);
    connect(&model_, &AppModel::changed, this, &WindowActions::refresh);
    connect(window_.queueList(), &QueueList::chosenChanged, this, &WindowActions::refresh);
    refresh();
}

QAction* WindowActions::make(const QString& name, const QList<QKeySequence>& keys,
                             std::function<void()> act) {
    auto* action = new QAction(name, &window_);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, std::move(act));
    window_.addAction(action);
    return action;
}

void WindowActions::refresh() {
    const bool files = window_.currentTab() == MainWindow::kFilesTab;
    // A key whose action cannot act passes on to the focused control.
    stop_->setEnabled(model_.running() && !model_.stopping());
    remove_->setEnabled(files ? !model_.selected().empty() : !window_.queueList()->chosenRows().empty());
    undo_->setEnabled(files && model_.undoableRemoval() > 0);
}

}  // namespace tessellane
