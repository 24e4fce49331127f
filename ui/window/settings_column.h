// The middle column: what will be written and where. Order, codec, output folder, base name, suffix and
// the resulting file name, each in a titled section. While a merge runs and the list or the settings have
// been changed since it started, a note on top says that they are the next merge's.
#pragma once

#include <QScrollArea>

class QLineEdit;
class QLabel;

namespace tessellane {

class AppModel;
class ElidedLabel;
class FolderMenuButton;
class PathLabel;

class SettingsColumn : public QScrollArea {
    Q_OBJECT
  public:
    explicit SettingsColumn(AppModel& model, QWidget* parent = nullptr);

    ElidedLabel* orderBox() const { return order_; }
    ElidedLabel* codecBox() const { return codec_; }
    FolderMenuButton* folderMenu() const { return folderMenu_; }
    PathLabel* folderPath() const { return folderPath_; }
    ElidedLabel* baseNameBox() const { return baseName_; }
    QLineEdit* suffixField() const { return suffix_; }
    ElidedLabel* fileNameBox() const { return fileName_; }
    QLabel* nextMergeNote() const { return nextNote_; }

    // The column's controls in the order Tab visits them, top to bottom.
    QList<QWidget*> focusChain() const;

  public slots:
    // Re-reads everything shown from the model.
    void refresh();

  private:
    AppModel& model_;
    ElidedLabel* order_;
    ElidedLabel* codec_;
    FolderMenuButton* folderMenu_;
    PathLabel* folderPath_;
    ElidedLabel* baseName_;
    QLineEdit* suffix_;
    ElidedLabel* fileName_;
    QLabel* nextNote_;
};

}  // namespace tessellane
