// The clip list: cards painted by CardDelegate, a click hands the clip to AppModel::click, and dragging a
// card to a new place makes one AppModel::move. The drag carries only row numbers. From the keyboard the
// arrows, Page Up/Down, Home and End move the current card and select it (with Shift: the range from the
// anchor; with Ctrl: the current card only), Space selects it (Ctrl+Space adds or takes it away) and
// Alt+Up/Down move the selected clips. The cards on screen get their thumbnails first.
#pragma once

#include <QListView>
#include <QTimer>
#include <optional>
#include <set>

#include "engine/core/clip_info.h"

namespace tessellane {

class AppModel;
class ClipListModel;

// The drag format of rows inside the list: the dragged row numbers as decimal text, comma-separated.
inline constexpr const char* kRowsMimeType = "application/x-tessellane-rows";

class FileListView : public QListView {
    Q_OBJECT
  public:
    FileListView(AppModel& model, ClipListModel& rows, QWidget* parent = nullptr);

    // The destination position (before the move) for a drop at `pos` in viewport coordinates:
    // before the card under the upper half, after it under the lower half, the end below the last card.
    int dropPosition(const QPoint& pos) const;

    // While a row is dragged this close to the top or bottom edge, the list scrolls towards that edge.
    static constexpr int kAutoScrollMargin = 32;
    // Pixels to scroll per tick for a drag at `y` in a viewport `height` high: negative up, positive down,
    // 0 away from the edges; faster the nearer the edge.
    static int autoScrollStep(int y, int height);

    // Encoding of dragged rows, and its reverse (nothing for malformed data).
    static QByteArray encodeRows(const std::set<int>& rows);
    static std::optional<std::set<int>> decodeRows(const QByteArray& data);

    // The clip of the current card (where the keyboard is), kept by id across edits of the list.
    std::optional<Uuid> currentClip() const { return currentId_; }
    // The rows of the cards at least partly on screen.
    std::pair<int, int> visibleRows() const;
    // Whether the current card shows the focus ring: the list has the keyboard and got it, or was last
    // used, by key rather than by mouse.
    bool showsFocus() const { return hasFocus() && keyboardFocus_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

  private:
    // The keys of the list: Alt+Up/Down move the selected cards (or the current one) a place; the arrows,
    // pages, Home, End and Space go to the card keyTarget() gives (-1 for a key that goes nowhere) and
    // select it as the modifiers say.
    void moveByKey(int key, int current);
    int keyTarget(int key, int current) const;
    void goToByKey(int target, int key, Qt::KeyboardModifiers mods, int current);
    void setCurrentRow(int row);
    void restoreCurrent();
    void reportVisible();
    void startRowDrag(int row);
    void setIndicator(int position);
    void stopAutoScroll();
    void autoScrollTick();

    AppModel& model_;
    ClipListModel& rows_;
    int pressedRow_ = -1;
    QPoint pressPos_;
    bool dragging_ = false;
    int indicator_ = -1;  // insertion position drawn while a row drag hovers, -1 when none
    QTimer autoScroll_;
    QPoint dragPos_;  // last position of a row drag over the viewport
    std::optional<Uuid> currentId_;
    bool keyboardFocus_ = false;
    QTimer visibleReport_;  // coalesces scrolls and relayouts into one report of the cards on screen
};

}  // namespace tessellane
