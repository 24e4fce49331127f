// The finished-outputs tab: newest first, each with its folder and a link that shows the file in the file
// manager. Its own selection (click, Shift/Ctrl-click, the arrows) chooses what the tab's actions act on:
// Return or a double click opens, the tool row reveals and takes entries off the list.
#pragma once

#include <QListView>
#include <set>
#include <vector>

#include "engine/core/clip_info.h"

namespace tessellane {

class AppModel;
class DoneListModel;

class QueueList : public QListView {
    Q_OBJECT
  public:
    explicit QueueList(AppModel& model, QWidget* parent = nullptr);

    DoneListModel* rows() const { return rows_; }
    // The rows the actions act on: the selected ones, or the current one when none is selected.
    std::vector<int> chosenRows() const;
    std::vector<FileURL> chosenFiles() const;
    std::set<Uuid> chosenIds() const;

    // Where a row's file-manager link is drawn, for a row drawn in `row`.
    static QRect revealLink(const QRect& row);
    // Whether the current row shows the focus ring: the list has the keyboard, got by key.
    bool showsFocus() const { return hasFocus() && keyboardFocus_; }

  signals:
    // The chosen rows may have changed.
    void chosenChanged();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    bool keyboardFocus_ = false;
    AppModel& model_;
    DoneListModel* rows_;
};

}  // namespace tessellane
