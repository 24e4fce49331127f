#include "ui/window/file_list_view.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "app/app_model.h"
#include "ui/widgets/palette.h"
#include "ui/window/card_delegate.h"
#include "ui/window/clip_list_model.h"

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

void FileListView::mousePressEvent(QMouseEvent* event) {
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
    if (auto id = rows_.clipIdAt(row)) model_.click(*id);
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
    p.fillRect(QRect(0, y - 1, viewport()->width(), 2), palette::cyan());
}

}  // namespace tessellane
