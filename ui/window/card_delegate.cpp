#include "ui/window/card_delegate.h"

#include <QAbstractItemView>
#include <QPainter>

#include "ui/widgets/button_face.h"
#include "ui/widgets/card_painter.h"
#include "ui/widgets/output_item_painter.h"
#include "ui/widgets/palette.h"
#include "ui/window/clip_list_model.h"
#include "ui/window/file_list_view.h"

namespace tessellane {

void CardDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    if (index.data(ClipListModel::IsFooterRole).toBool()) {
        painter->fillRect(option.rect, palette::panelBG());
        paintOutputItem(*painter, option.rect, index.data(ClipListModel::FooterNameRole).toString(),
                        index.data(ClipListModel::FooterDetailRole).toString());
        return;
    }
    paintCard(*painter, option.rect, index.data(ClipListModel::CardRole).value<CardData>());
    auto* view = qobject_cast<const FileListView*>(parent());
    if ((option.state & QStyle::State_HasFocus) && (!view || view->showsFocus())) {
        // Beside the selection bar, not over it.
        paintFocusRing(*painter, option.rect.adjusted(kSelectionBarWidth, 0, 0, 0));
    }
}

QSize CardDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    // The rows span the viewport; the footer's wrapped detail depends on that width.
    auto* view = qobject_cast<QAbstractItemView*>(parent());
    const int width = view ? view->viewport()->width() : std::max(1, option.rect.width());
    if (index.data(ClipListModel::IsFooterRole).toBool()) {
        return {width, outputItemHeight(index.data(ClipListModel::FooterDetailRole).toString(), width)};
    }
    return {width, cardHeight()};
}

}  // namespace tessellane
