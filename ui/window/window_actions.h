// The window's keys, as actions of the main window. Qt gives a window's shortcuts to it only while it has
// the keyboard itself (never while a chooser, a question or a menu is over it) and lets a focused text
// field keep the keys it edits with, so the suffix field keeps Backspace, Delete, Ctrl+A and Ctrl+Z.
// The actions of a list act only while its tab is shown.
#pragma once

#include <QObject>
#include <functional>

class QAction;
class QKeySequence;

namespace tessellane {

class AppModel;
class MainWindow;

class WindowActions : public QObject {
    Q_OBJECT
  public:
    WindowActions(MainWindow& window, AppModel& model);

    QAction* addFiles() const { return addFiles_; }        // Ctrl+O, on the files tab
    QAction* merge() const { return merge_; }              // Ctrl+Return, Ctrl+Enter
    QAction* stop() const { return stop_; }                // Escape while a merge runs
    QAction* quit() const { return quit_; }                // Ctrl+Q: closes the window
    QAction* selectAll() const { return selectAll_; }      // Ctrl+A in the list on screen
    QAction* remove() const { return remove_; }            // Delete, Backspace: clips or finished entries
    QAction* undo() const { return undo_; }                // Ctrl+Z: the last removal of clips
    QAction* filesTab() const { return filesTab_; }        // Ctrl+1
    QAction* finishedTab() const { return finishedTab_; }  // Ctrl+2
    QAction* nextTab() const { return nextTab_; }          // Ctrl+Tab, Ctrl+Page Down
    QAction* previousTab() const { return previousTab_; }  // Ctrl+Shift+Tab, Ctrl+Page Up

  public slots:
    // Enables what can act now, for the tab on screen and the model's state.
    void refresh();

  private:
    QAction* make(const QString& name, const QList<QKeySequence>& keys, std::function<void()> act);

    MainWindow& window_;
    AppModel& model_;
    QAction* addFiles_;
    QAction* merge_;
    QAction* stop_;
    QAction* quit_;
    QAction* selectAll_;
    QAction* remove_;
    QAction* undo_;
    QAction* filesTab_;
    QAction* finishedTab_;
    QAction* nextTab_;
    QAction* previousTab_;
};

}  // namespace tessellane
