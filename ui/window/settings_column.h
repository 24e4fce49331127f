// The middle column: what will be written and where. Order, layout (with a grid's columns), size fitting,
// rate conforming, sound, codec, output folder, base name, suffix and the resulting file name, each in a
// titled section. While a merge runs and the list or the settings have been changed since it started, a
// note on top says that they are the next merge's.
#pragma once

#include <QScrollArea>
#include <functional>

class QAction;
class QLineEdit;
class QLabel;
class QVBoxLayout;

namespace tessellane {

class AppModel;
struct MergeSettings;
class ChoiceButton;
class ElidedLabel;
class MenuButton;
class PathLabel;

class SettingsColumn : public QScrollArea {
    Q_OBJECT
  public:
    explicit SettingsColumn(AppModel& model, QWidget* parent = nullptr);

    ElidedLabel* orderBox() const { return order_; }
    ChoiceButton* layoutMenu() const { return layout_; }
    ChoiceButton* columnsMenu() const { return columns_; }  // shown for a grid: automatic, then 1, 2, ...
    ChoiceButton* fitMenu() const { return fit_; }
    ChoiceButton* rateMenu() const { return rate_; }
    ChoiceButton* audioMenu() const { return audio_; }  // no sound, then every clip in list order
    QLabel* audioNote() const { return audioNote_; }
    ElidedLabel* codecBox() const { return codec_; }
    MenuButton* folderMenu() const { return folderMenu_; }  // "Same as Source" or "Custom"
    QAction* sameAsSourceAction() const { return sameAsSource_; }
    QAction* chooseFolderAction() const { return chooseFolder_; }  // "Choose...": the folder chooser
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
    // The rows of the merge's settings: layout (with a grid's columns), size fitting, rate conforming, sound.
    void buildMergeRows(QVBoxLayout* column, QWidget* content);
    void buildLayoutRow(QVBoxLayout* column, QWidget* content);
    void buildFitAndRateRows(QVBoxLayout* column, QWidget* content);
    void buildAudioRow(QVBoxLayout* column, QWidget* content);
    // The rows of what is written where: output folder, base name, suffix, file name.
    void buildOutputRows(QVBoxLayout* column, QWidget* content);
    // Applies `change` to the model's settings, and stores them only when it changed them.
    void changeSettings(const std::function<void(MergeSettings&)>& change);
    void refreshMergeRows();

    AppModel& model_;
    ElidedLabel* order_;
    ChoiceButton* layout_;
    ChoiceButton* columns_;
    ChoiceButton* fit_;
    ChoiceButton* rate_;
    ChoiceButton* audio_;
    QLabel* audioNote_;
    ElidedLabel* codec_;
    MenuButton* folderMenu_;
    QAction* sameAsSource_;
    QAction* chooseFolder_;
    PathLabel* folderPath_;
    ElidedLabel* baseName_;
    QLineEdit* suffix_;
    ElidedLabel* fileName_;
    QLabel* nextNote_;
};

}  // namespace tessellane
