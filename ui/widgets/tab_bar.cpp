#include "ui/widgets/tab_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>

#include "ui/widgets/button_face.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"

namespace tessellane {

namespace {

class Tab : public QAbstractButton {
  public:
    Tab(TabBar* bar, int index) : QAbstractButton(bar), bar_(bar), index_(index) {
        setFont(uiFont(12, QFont::Medium));
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setMinimumHeight(26);
    }
    QSize sizeHint() const override { return {QFontMetrics(font()).horizontalAdvance(text()) + 16, 26}; }
    QSize minimumSizeHint() const override { return {0, 26}; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const bool selected = bar_->selection() == index_;
        p.fillRect(rect(), selected ? palette::accent() : palette::buttonBG());
        p.setPen(selected ? palette::textOnAccent() : palette::text());
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter, text());
        if (selected && bar_->hasFocus()) paintFocusRing(p, rect());
    }

  private:
    TabBar* bar_;
    int index_;
};

}  // namespace

TabBar::TabBar(QWidget* parent) : QWidget(parent) {
    // One stop in the Tab order, as a tab row is; the arrow keys then choose the tab.
    setFocusPolicy(Qt::TabFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
}

void TabBar::setTitles(const QStringList& titles) {
    if (titles.size() != tabs_.size()) {
        qDeleteAll(tabs_);
        tabs_.clear();
        for (int i = 0; i < titles.size(); ++i) {
            auto* tab = new Tab(this, i);
            connect(tab, &QAbstractButton::clicked, this, [this, i] { setSelection(i); });
            layout()->addWidget(tab);
            tabs_.append(tab);
        }
    }
    for (int i = 0; i < titles.size(); ++i) tabs_[i]->setText(titles[i]);
}

QStringList TabBar::titles() const {
    QStringList out;
    for (auto* tab : tabs_) out << tab->text();
    return out;
}

void TabBar::setAccessibleNames(const QStringList& names) {
    for (int i = 0; i < tabs_.size() && i < names.size(); ++i) tabs_[i]->setAccessibleName(names[i]);
    setAccessibleName(names.value(selection_));
}

void TabBar::setSelection(int index) {
    if (index == selection_ || index < 0 || index >= std::max<int>(1, int(tabs_.size()))) return;
    selection_ = index;
    for (auto* tab : tabs_) tab->update();
    if (auto* tab = tabs_.value(index)) setAccessibleName(tab->accessibleName());
    emit selectionChanged(index);
}

void TabBar::keyPressEvent(QKeyEvent* event) {
    const int last = int(tabs_.size()) - 1;
    switch (event->key()) {
        case Qt::Key_Left:
            return setSelection(std::max(0, selection_ - 1));
        case Qt::Key_Right:
            return setSelection(std::min(last, selection_ + 1));
        case Qt::Key_Home:
            return setSelection(0);
        case Qt::Key_End:
            return setSelection(last);
        default:
            QWidget::keyPressEvent(event);
    }
}

void TabBar::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    for (auto* tab : tabs_) tab->update();
}

void TabBar::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    for (auto* tab : tabs_) tab->update();
}

}  // namespace tessellane
