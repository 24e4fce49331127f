#include "ui/widgets/tab_bar.h"

#include <QHBoxLayout>
#include <QPainter>

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
        p.fillRect(rect(), selected ? palette::cyan() : palette::buttonBG());
        p.setPen(selected ? palette::textOnAccent() : palette::text());
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter, text());
    }

  private:
    TabBar* bar_;
    int index_;
};

}  // namespace

TabBar::TabBar(QWidget* parent) : QWidget(parent) {
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

void TabBar::setSelection(int index) {
    if (index == selection_) return;
    selection_ = index;
    for (auto* tab : tabs_) tab->update();
    emit selectionChanged(index);
}

}  // namespace tessellane
