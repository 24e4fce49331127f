#include "ui/window/queue_list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/app_model.h"
#include "ui/widgets/button_face.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/output_item_painter.h"
#include "ui/widgets/palette.h"
#include "ui/window/done_list_model.h"
#include "ui/words.h"

namespace tessellane {

namespace {

constexpr int kLinkRightSpace = 12;
constexpr int kBarWidth = 3;

QFont linkFont() { return uiFont(12); }

int linkWidth() { return QFontMetrics(linkFont()).horizontalAdvance(words::kRevealOutput); }

// The entry takes the row but the link's room on the right.
QRect entryRect(const QRect& row) { return row.adjusted(0, 0, -(linkWidth() + kLinkRightSpace + 8), 0); }

class OutputDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(option.rect, selected ? palette::selectedCardBG() : palette::panelBG());
        if (selected)
            p->fillRect(
                QRect(option.rect.left(), option.rect.top() + 6, kBarWidth, option.rect.height() - 12),
                palette::accent());
        paintOutputItem(*p, entryRect(option.rect), index.data(Qt::DisplayRole).toString(),
                        index.data(DoneListModel::SummaryRole).toString(),
                        index.data(DoneListModel::FolderRole).toString());
        p->save();
        p->setFont(linkFont());
        p->setPen(palette::accent());
        p->drawText(QueueList::revealLink(option.rect), Qt::AlignCenter, words::kRevealOutput);
        p->restore();
        auto* view = qobject_cast<const QueueList*>(parent());
        if ((option.state & QStyle::State_HasFocus) && (!view || view->showsFocus()))
            paintFocusRing(*p, option.rect.adjusted(kBarWidth, 0, 0, 0));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        auto* view = qobject_cast<QAbstractItemView*>(parent());
        const int width = view ? view->viewport()->width() : std::max(1, option.rect.width());
        const QRect entry = entryRect(QRect(0, 0, width, 1));
        return {width, outputItemHeight(index.data(DoneListModel::SummaryRole).toString(), entry.width(),
                                        index.data(DoneListModel::FolderRole).toString())};
    }
};

}  // namespace

QRect QueueList::revealLink(const QRect& row) {
    const QFontMetrics metrics(linkFont());
    const int width = linkWidth();
    return {row.right() + 1 - kLinkRightSpace - width, row.center().y() - metrics.height() / 2, width,
            metrics.height()};
}

QueueList::QueueList(AppModel& model, QWidget* parent)
    : QListView(parent), model_(model), rows_(new DoneListModel(model, this)) {
    setModel(rows_);
    setItemDelegate(new OutputDelegate(this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(words::kFinishedListSpoken);
    setAccessibleDescription(words::kFinishedListKeys);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, palette::panelBG());
    pal.setColor(QPalette::Window, palette::panelBG());
    setPalette(pal);
    viewport()->setAutoFillBackground(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &QueueList::chosenChanged);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &QueueList::chosenChanged);
    connect(rows_, &QAbstractItemModel::modelReset, this, &QueueList::chosenChanged);
}

std::vector<int> QueueList::chosenRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    if (rows.empty() && currentIndex().isValid()) rows.push_back(currentIndex().row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<FileURL> QueueList::chosenFiles() const {
    std::vector<FileURL> files;
    for (int row : chosenRows())
        if (const DoneItem* item = rows_->itemAt(row)) files.push_back(item->url());
    return files;
}

std::set<Uuid> QueueList::chosenIds() const {
    std::set<Uuid> ids;
    for (int row : chosenRows())
        if (const DoneItem* item = rows_->itemAt(row)) ids.insert(item->id());
    return ids;
}

void QueueList::focusInEvent(QFocusEvent* event) {
    if (event->reason() != Qt::ActiveWindowFocusReason)
        keyboardFocus_ = event->reason() != Qt::MouseFocusReason;
    QListView::focusInEvent(event);
}

void QueueList::keyPressEvent(QKeyEvent* event) {
    if (!keyboardFocus_) {
        keyboardFocus_ = true;
        viewport()->update();
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        for (const FileURL& file : chosenFiles()) model_.open(file);
        return;
    }
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        // The plain keys are the window's action; Shift or Ctrl with them reach the list.
        model_.removeDone(chosenIds());
        return;
    }
    QListView::keyPressEvent(event);
}

void QueueList::mousePressEvent(QMouseEvent* event) {
    keyboardFocus_ = false;
    const QModelIndex index = indexAt(event->position().toPoint());
    // The link shows its own row's file and leaves the selection as it is.
    if (index.isValid() && event->button() == Qt::LeftButton &&
        revealLink(visualRect(index)).contains(event->position().toPoint())) {
        if (const DoneItem* item = rows_->itemAt(index.row())) model_.reveal(item->url());
        return;
    }
    QListView::mousePressEvent(event);
}

void QueueList::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || revealLink(visualRect(index)).contains(event->position().toPoint())) return;
    if (const DoneItem* item = rows_->itemAt(index.row())) model_.open(item->url());
}

void QueueList::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    if (rows_->rowCount() > 0) return;
    QPainter p(viewport());
    p.setFont(uiFont(12));
    p.setPen(palette::dimText());
    p.drawText(viewport()->rect().adjusted(10, 40, -10, 0), Qt::AlignHCenter | Qt::AlignTop,
               words::kNoFinished);
}

}  // namespace tessellane
