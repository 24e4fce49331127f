// A flat pull-down in the settings column's look: the face reads the current choice with a small ▼, the
// menu lists the choices with a check on the current one. The choices are asked for when the menu opens,
// so a long list (a clip each) costs nothing while the list changes.
#pragma once

#include <QAbstractButton>
#include <functional>
#include <vector>

class QMenu;

namespace tessellane {

class ChoiceButton : public QAbstractButton {
    Q_OBJECT
  public:
    struct Choice {
        QString text;
        bool enabled = true;
    };

    explicit ChoiceButton(QWidget* parent = nullptr);

    // Called each time the menu opens.
    void setChoices(std::function<std::vector<Choice>()> choices) { choices_ = std::move(choices); }
    // The choice checked in the menu (the face's text is set by the owner, with setText).
    void setCurrent(int index) { current_ = index; }
    int current() const { return current_; }

    QMenu* menu() const { return menu_; }
    // Fills the menu from the choices, as opening it does.
    void fillMenu();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void chosen(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QMenu* menu_;
    std::function<std::vector<Choice>()> choices_;
    int current_ = 0;
};

}  // namespace tessellane
