#include "ui/window/file_list_view.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "app/app_model.h"
#include "ui/widgets/palette.h"
#include "ui/window/card_delegate.h"
#include "ui/window/clip_list_model.h"
#include "ui/words.h"

namespace tessellane {

FileListView::FileListView(AppModel& model, ClipListModel& rows, QWidget* parent)
    : QListView(parent), model_(model), rows_(rows) {
    setModel(&rows_);
    setItemDelegate(new CardDelegate(this));
    // Selection lives in AppModel; Qt's own selection and drag machinery stay out of the way.
    setSelectionMode(QAbstractItemView::NoSelection);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
    setSpacing(0);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, palette::panelBG());
    pal.setColor(QPalette::Window, palette::panelBG());
    setPalette(pal);
    viewport()->setAutoFillBackground(true);
    autoScroll_.setInterval(30);
    connect(&autoScroll_, &QTimer::timeout, this, &FileListView::autoScrollTick);
    // Tab brings the keyboard here; a click too.
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(words::kClipListSpoken);
    setAccessibleDescription(words::kClipListKeys);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        if (auto id = rows_.clipIdAt(index.row())) currentId_ = id;
    });
    visibleReport_.setSingleShot(true);
    connect(&visibleReport_, &QTimer::timeout, this, &FileListView::reportVisible);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, &visibleReport_, qOverload<>(&QTimer::start));
    const auto rowsChanged = [this] {
        restoreCurrent();
        visibleReport_.start();
    };
    connect(&rows_, &QAbstractItemModel::modelReset, this, rowsChanged);
    connect(&rows_, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(&rows_, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(&rows_, &QAbstractItemModel::rowsMoved, this, rowsChanged);
}

void FileListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    // The keyboard's card going away leaves no current card, rather than one Qt picks beside it.
    const int current = currentIndex().row();
    if (currentIndex().isValid() && current >= start && current <= end) {
        selectionModel()->clearCurrentIndex();
        currentId_.reset();
    }
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

void FileListView::setCurrentRow(int row) {
    const QModelIndex index = rows_.index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
}

void FileListView::restoreCurrent() {
    // The rows changed: the keyboard stays on the same clip wherever it went, and it stays in sight.
    if (!currentId_) return;
    for (int row = 0; row < rows_.clipCount(); ++row) {
        if (rows_.clipIdAt(row) == currentId_) return setCurrentRow(row);
    }
    currentId_.reset();
}

std::pair<int, int> FileListView::visibleRows() const {
    const int clips = rows_.clipCount();
    if (clips == 0) return {0, -1};
    const QModelIndex first = indexAt(QPoint(1, 0));
    const QModelIndex last = indexAt(QPoint(1, viewport()->height() - 1));
    const int from = first.isValid() ? std::min(first.row(), clips - 1) : 0;
    const int to = last.isValid() ? std::min(last.row(), clips - 1) : clips - 1;
    return {from, to};
}

void FileListView::reportVisible() {
    std::vector<Uuid> ids;
    const auto [from, to] = visibleRows();
    for (int row = from; row <= to; ++row)
        if (auto id = rows_.clipIdAt(row)) ids.push_back(*id);
    model_.preferThumbnails(ids);
}

void FileListView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    visibleReport_.start();
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    if (!keyboardFocus_) {
        keyboardFocus_ = true;
        viewport()->update();
    }
    const int clips = rows_.clipCount();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const QModelIndex currentIndex = this->currentIndex();
    const int current = currentIndex.isValid() && currentIndex.row() < clips ? currentIndex.row() : -1;

    if (mods == Qt::AltModifier && (key == Qt::Key_Up || key == Qt::Key_Down)) return moveByKey(key, current);
    if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && mods != Qt::NoModifier &&
        !(mods & Qt::AltModifier)) {
        // Shift or Ctrl with a Delete key removes too (the plain keys are the window's action).
        model_.deleteSelected();
        return;
    }
    if (clips == 0 || (mods & ~(Qt::ShiftModifier | Qt::ControlModifier)))
        return QListView::keyPressEvent(event);
    const int target = keyTarget(key, current);
    if (target < 0) return QListView::keyPressEvent(event);
    goToByKey(target, key, mods, current);
}

void FileListView::moveByKey(int key, int current) {
    // Nothing selected: the current card is what moves.
    if (model_.selected().empty() && current >= 0) model_.select(*rows_.clipIdAt(current), Qt::NoModifier);
    model_.moveSelected(key == Qt::Key_Up ? -1 : 1);
    if (currentId_) restoreCurrent();
}

int FileListView::keyTarget(int key, int current) const {
    const int clips = rows_.clipCount();
    const int page = std::max(1, viewport()->height() / std::max(1, sizeHintForRow(0)));
    switch (key) {
        case Qt::Key_Up:
            return current < 0 ? clips - 1 : std::max(0, current - 1);
        case Qt::Key_Down:
            return current < 0 ? 0 : std::min(clips - 1, current + 1);
        case Qt::Key_PageUp:
            return std::max(0, current - page);
        case Qt::Key_PageDown:
            return std::min(clips - 1, current < 0 ? page - 1 : current + page);
        case Qt::Key_Home:
            return 0;
        case Qt::Key_End:
            return clips - 1;
        case Qt::Key_Space:
            return current < 0 ? 0 : current;
        default:
            return -1;
    }
}

void FileListView::goToByKey(int target, int key, Qt::KeyboardModifiers mods, int current) {
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const Uuid id = *rows_.clipIdAt(target);
    setCurrentRow(target);
    currentId_ = id;
    if (key == Qt::Key_Space) {
        // Space selects the card; Ctrl+Space adds it to the selection or takes it out, as a Ctrl-click does.
        model_.select(id, ctrl ? Qt::ControlModifier : mods);
        return;
    }
    if (ctrl && !shift) return;  // Ctrl+arrow moves the keyboard only
    if (shift && current >= 0) {
        // A range needs a first end: the card the keyboard was on, when no click or key set one.
        const auto& anchor = model_.anchor();
        bool anchorListed = false;
        for (int row = 0; row < rows_.clipCount() && anchor; ++row)
            anchorListed |= rows_.clipIdAt(row) == anchor;
        if (!anchorListed) model_.setAnchor(rows_.clipIdAt(current));
    }
    model_.select(id, mods);
}

int FileListView::autoScrollStep(int y, int height) {
    constexpr int kMaxStep = 16;
    const int margin = std::min(kAutoScrollMargin, height / 3);
    if (margin <= 0) return 0;
    if (y < margin) return -std::max(1, kMaxStep * (margin - std::max(y, 0)) / margin);
    if (y >= height - margin)
        return std::max(1, kMaxStep * (std::min(y, height) - (height - margin)) / margin);
    return 0;
}

void FileListView::autoScrollTick() {
    const int step = autoScrollStep(dragPos_.y(), viewport()->height());
    QScrollBar* bar = verticalScrollBar();
    if (step == 0 || (step < 0 && bar->value() == bar->minimum()) ||
        (step > 0 && bar->value() == bar->maximum())) {
        autoScroll_.stop();
        return;
    }
    bar->setValue(bar->value() + step);
    // The rows moved under the pointer, and with them the place a drop would land.
    setIndicator(dropPosition(dragPos_));
}

void FileListView::stopAutoScroll() { autoScroll_.stop(); }

QByteArray FileListView::encodeRows(const std::set<int>& rows) {
    QByteArrayList parts;
    for (int row : rows) parts << QByteArray::number(row);
    return parts.join(',');
}

std::optional<std::set<int>> FileListView::decodeRows(const QByteArray& data) {
    if (data.isEmpty() || data.size() > 100000) return std::nullopt;
    std::set<int> rows;
    for (const QByteArray& part : data.split(',')) {
        bool ok = false;
        const int row = part.toInt(&ok);
        if (!ok || row < 0) return std::nullopt;
        rows.insert(row);
    }
    return rows;
}

int FileListView::dropPosition(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    const int clips = rows_.clipCount();
    if (!index.isValid() || index.row() >= clips) {
        // Above the first card can only happen with an empty region above it; everything else is the end.
        if (clips > 0 && pos.y() < visualRect(rows_.index(0)).top()) return 0;
        return clips;
    }
    const QRect rect = visualRect(index);
    return pos.y() < rect.center().y() ? index.row() : index.row() + 1;
}

void FileListView::focusInEvent(QFocusEvent* event) {
    // Coming back to the window keeps what the list showed before.
    if (event->reason() != Qt::ActiveWindowFocusReason)
        keyboardFocus_ = event->reason() != Qt::MouseFocusReason;
    QListView::focusInEvent(event);
}

void FileListView::mousePressEvent(QMouseEvent* event) {
    keyboardFocus_ = false;
    setFocus(Qt::MouseFocusReason);
    pressedRow_ = -1;
    dragging_ = false;
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && rows_.clipIdAt(index.row())) {
        pressedRow_ = index.row();
        pressPos_ = event->position().toPoint();
    }
}

void FileListView::mouseMoveEvent(QMouseEvent* event) {
    if (pressedRow_ < 0 || dragging_ || !(event->buttons() & Qt::LeftButton)) return;
    if ((event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance())
        return;
    dragging_ = true;
    const int row = pressedRow_;
    pressedRow_ = -1;
    startRowDrag(row);
}

void FileListView::mouseReleaseEvent(QMouseEvent* event) {
    const int row = pressedRow_;
    pressedRow_ = -1;
    if (dragging_ || event->button() != Qt::LeftButton || row < 0) return;
    // A click is a press and release on the same card.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || index.row() != row) return;
    if (auto id = rows_.clipIdAt(row)) {
        setCurrentRow(row);
        currentId_ = id;
        model_.select(*id, event->modifiers() & ~Qt::KeypadModifier);
    }
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is one more click, as on the platform the list imitates.
    mousePressEvent(event);
}

void FileListView::startRowDrag(int row) {
    auto* mime = new QMimeData;
    mime->setData(kRowsMimeType, encodeRows({row}));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QRect rect = visualRect(rows_.index(row));
    QPixmap face(rect.size());
    face.fill(Qt::transparent);
    viewport()->render(&face, QPoint(), QRegion(rect));
    drag->setPixmap(face);
    drag->setHotSpot(pressPos_ - rect.topLeft());
    drag->exec(Qt::MoveAction);
    stopAutoScroll();
    dragging_ = false;
    setIndicator(-1);
}

void FileListView::setIndicator(int position) {
    if (position == indicator_) return;
    indicator_ = position;
    viewport()->update();
}

// Drops of files are left to the window; this view only takes its own rows.
void FileListView::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
    if (!event->mimeData()->hasFormat(kRowsMimeType)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    dragPos_ = event->position().toPoint();
    setIndicator(dropPosition(dragPos_));
    if (autoScrollStep(dragPos_.y(), viewport()->height()) != 0) {
        if (!autoScroll_.isActive()) autoScroll_.start();
    } else {
        autoScroll_.stop();
    }
}

void FileListView::dragLeaveEvent(QDragLeaveEvent* event) {
    stopAutoScroll();
    setIndicator(-1);
    event->accept();
}

void FileListView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setIndicator(-1);
    if (!event->mimeData()->hasFormat(kRowsMimeType)) {
        event->ignore();
        return;
    }
    const auto rows = decodeRows(event->mimeData()->data(kRowsMimeType));
    event->setDropAction(Qt::MoveAction);
    event->accept();
    if (!rows) return;
    model_.move(*rows, dropPosition(event->position().toPoint()));
}

void FileListView::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    if (indicator_ < 0 || rows_.clipCount() == 0) return;
    int y = 0;
    if (indicator_ < rows_.clipCount()) {
        y = visualRect(rows_.index(indicator_)).top();
    } else {
        y = visualRect(rows_.index(rows_.clipCount() - 1)).bottom() + 1;
    }
    QPainter p(viewport());
    p.fillRect(QRect(0, y - 1, viewport()->width(), 2), palette::accent());
}

}  // namespace tessellane
