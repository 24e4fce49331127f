// Paints the rows of the file list: clip rows as cards, the last row as the output footer.
#pragma once

#include <QStyledItemDelegate>

namespace tessellane {

class CardDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace tessellane
