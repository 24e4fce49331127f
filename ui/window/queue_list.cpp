#include "ui/window/queue_list.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_model.h"
#include "ui/shell/words.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/output_item_painter.h"
#include "ui/widgets/palette.h"

namespace tessellane {

OutputItemWidget::OutputItemWidget(const QString& name, const QString& detail, QWidget* parent)
    : QWidget(parent), name_(name), detail_(detail) {
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int OutputItemWidget::heightForWidth(int width) const { return outputItemHeight(detail_, width); }

QSize OutputItemWidget::sizeHint() const { return {300, heightForWidth(std::max(300, width()))}; }

void OutputItemWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintOutputItem(p, rect(), name_, detail_);
}

QueueList::QueueList(AppModel& model, QWidget* parent) : QScrollArea(parent), model_(model) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    QPalette pal = content->palette();
    pal.setColor(QPalette::Window, palette::panelBG());
    content->setPalette(pal);
    content->setAutoFillBackground(true);
    viewport()->setPalette(pal);
    rows_ = new QVBoxLayout(content);
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(0);
    setWidget(content);
    connect(&model_, &AppModel::doneChanged, this, &QueueList::refresh);
    refresh();
}

void QueueList::refresh() {
    // The list only grows by insertion at the top, so its length says whether anything changed.
    if (model_.done().size() == shown_) return;
    shown_ = model_.done().size();
    while (QLayoutItem* item = rows_->takeAt(0)) {
        if (QWidget* widget = item->widget()) delete widget;
        delete item;
    }
    QWidget* content = widget();
    if (model_.done().empty()) {
        rows_->addSpacing(40);
        auto* empty = new QLabel(QStringLiteral("완료된 합본이 없습니다"), content);
        empty->setObjectName(QStringLiteral("queueEmpty"));
        QPalette pal = empty->palette();
        pal.setColor(QPalette::WindowText, palette::dimText());
        empty->setPalette(pal);
        rows_->addWidget(empty, 0, Qt::AlignHCenter);
    }
    for (const DoneItem& item : model_.done()) {
        auto* row = new QWidget(content);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 12, 0);
        const QString name = QString::fromStdString(item.url().filename().string());
        line->addWidget(new OutputItemWidget(name, item.summary(), row), 1);
        auto* finder = new QPushButton(words::kRevealOutput, row);
        finder->setObjectName(QStringLiteral("revealOutput"));
        finder->setFlat(true);
        finder->setCursor(Qt::PointingHandCursor);
        finder->setFocusPolicy(Qt::NoFocus);
        finder->setFont(uiFont(12));
        finder->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: transparent; border: none;"
                                             " padding: 0px; }")
                                  .arg(palette::cyan().name()));
        const FileURL url = item.url();
        connect(finder, &QPushButton::clicked, this, [this, url] { model_.reveal(url); });
        line->addWidget(finder, 0, Qt::AlignVCenter);
        rows_->addWidget(row);
    }
    rows_->addStretch(1);
}

}  // namespace tessellane
