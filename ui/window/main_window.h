// The one window: the left column (tabs, tool buttons, the clip list or the finished outputs, validation,
// progress and the merge button), the settings column and the preview; files dropped anywhere on it are
// added in one call.
#pragma once

#include <QMainWindow>

class QLabel;
class QStackedWidget;

namespace tessellane {

class AppModel;
class AlleyButton;
class ClipListModel;
class FileListView;
class PreviewPane;
class ProgressBar;
class QueueList;
class SettingsColumn;
class TabBar;
class ToolButton;
class ValidationBox;

// "Tessellane", or "<file name> - <width> x <height>" once there are clips.
QString windowTitleFor(const AppModel& model);
// "Merging…" while a merge runs, otherwise "Merge <n> Files".
QString mergeButtonTitle(const AppModel& model);

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(AppModel& model, QWidget* parent = nullptr);
    ~MainWindow() override;

    TabBar* tabBar() const { return tabs_; }
    ToolButton* addButton() const { return addButton_; }
    ToolButton* clearButton() const { return clearButton_; }
    FileListView* fileList() const { return fileList_; }
    ClipListModel* listModel() const { return listModel_; }
    QWidget* emptyState() const { return emptyState_; }
    QueueList* queueList() const { return queue_; }
    SettingsColumn* settings() const { return settings_; }
    ValidationBox* validationBox() const { return validation_; }
    PreviewPane* preview() const { return preview_; }
    ProgressBar* progressBar() const { return progress_; }
    AlleyButton* mergeButton() const { return merge_; }
    ToolButton* cancelButton() const { return cancel_; }
    bool dropHover() const { return dropHover_; }

    static constexpr int kColumnWidth = 430;

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    // During a merge, asks whether to stop it and quit; the default answer stops it.
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildLeftColumn();
    void refreshControls();
    void refreshLists();
    void setDropHover(bool hover);
    bool confirmStopMerge();

    AppModel& model_;
    TabBar* tabs_ = nullptr;
    ToolButton* addButton_ = nullptr;
    ToolButton* clearButton_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QStackedWidget* filePage_ = nullptr;
    QWidget* emptyState_ = nullptr;
    ClipListModel* listModel_ = nullptr;
    FileListView* fileList_ = nullptr;
    QueueList* queue_ = nullptr;
    ValidationBox* validation_ = nullptr;
    ProgressBar* progress_ = nullptr;
    AlleyButton* merge_ = nullptr;
    ToolButton* cancel_ = nullptr;
    SettingsColumn* settings_ = nullptr;
    PreviewPane* preview_ = nullptr;
    QWidget* overlay_ = nullptr;
    bool dropHover_ = false;
};

}  // namespace tessellane
