// The one window: the left column (tabs, the tool row of the tab on screen, the clip list or the finished
// outputs, validation and status, progress and the merge button), the settings column and the preview;
// files dropped anywhere on it are added in one call. Every control is reached with Tab, in the order they
// are seen: the left column from the top, then the settings column from the top.
#pragma once

#include <QMainWindow>
#include <utility>

class QHBoxLayout;
class QLabel;
class QStackedWidget;

namespace tessellane {

class AppModel;
class MergeButton;
class ClipListModel;
class FileListView;
class PreviewPane;
class ProgressBar;
class QueueList;
class SettingsColumn;
class TabBar;
class ToolButton;
class ValidationBox;
class WindowActions;

// "Tessellane", or "<file name> - <width> x <height>" once there are clips; while a merge runs, the file
// it writes.
QString windowTitleFor(const AppModel& model);
// "Merging…" while a merge runs (the stopping status once it is asked to stop), otherwise "Merge <n> Files".
QString mergeButtonTitle(const AppModel& model);
// The widths of the left and settings columns when the row is `available` pixels wide: 430 each while the
// preview keeps 360, narrower (down to 340 and 300) on smaller screens.
std::pair<int, int> columnWidths(int available);

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(AppModel& model, QWidget* parent = nullptr);
    ~MainWindow() override;

    static constexpr int kFilesTab = 0;
    static constexpr int kFinishedTab = 1;
    int currentTab() const;
    // Shows the tab; the keyboard follows to its list when it was in the list now hidden.
    void showTab(int tab);

    TabBar* tabBar() const { return tabs_; }
    ToolButton* addButton() const { return addButton_; }
    ToolButton* clearButton() const { return clearButton_; }
    ToolButton* openButton() const { return openButton_; }
    ToolButton* revealButton() const { return revealButton_; }
    ToolButton* removeButton() const { return removeButton_; }
    FileListView* fileList() const { return fileList_; }
    ClipListModel* listModel() const { return listModel_; }
    QWidget* emptyState() const { return emptyState_; }
    QueueList* queueList() const { return queue_; }
    SettingsColumn* settings() const { return settings_; }
    ValidationBox* validationBox() const { return validation_; }
    PreviewPane* preview() const { return preview_; }
    ProgressBar* progressBar() const { return progress_; }
    MergeButton* mergeButton() const { return merge_; }
    ToolButton* cancelButton() const { return cancel_; }
    WindowActions* actions() const { return actions_; }
    bool dropHover() const { return dropHover_; }

    static constexpr int kColumnWidth = 430;
    // Fits a 1280 × 720 screen (and 1366 × 768 at 125 %) with the desktop's bars around it.
    static constexpr QSize kMinimumSize{900, 540};

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // During a merge, asks whether to stop it and quit; the default answer stops it.
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildLeftColumn();
    // The two tabs' pages (the file list, or the help when it is empty; the finished list), and the row of
    // the merge button with the cancel button beside it.
    QWidget* buildPages(QWidget* parent);
    QHBoxLayout* buildMergeRow(QWidget* parent);
    QWidget* buildToolRows(QWidget* parent);
    void setTabOrder();
    void refreshControls();
    void refreshLists();
    void refreshFinishedTools();
    void setDropHover(bool hover);
    bool confirmStopMerge();

    AppModel& model_;
    TabBar* tabs_ = nullptr;
    QStackedWidget* toolRows_ = nullptr;
    ToolButton* addButton_ = nullptr;
    ToolButton* clearButton_ = nullptr;
    ToolButton* openButton_ = nullptr;
    ToolButton* revealButton_ = nullptr;
    ToolButton* removeButton_ = nullptr;
    QWidget* left_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QStackedWidget* filePage_ = nullptr;
    QWidget* emptyState_ = nullptr;
    ClipListModel* listModel_ = nullptr;
    FileListView* fileList_ = nullptr;
    QueueList* queue_ = nullptr;
    ValidationBox* validation_ = nullptr;
    ProgressBar* progress_ = nullptr;
    MergeButton* merge_ = nullptr;
    ToolButton* cancel_ = nullptr;
    SettingsColumn* settings_ = nullptr;
    PreviewPane* preview_ = nullptr;
    QWidget* overlay_ = nullptr;
    WindowActions* actions_ = nullptr;
    bool dropHover_ = false;
};

}  // namespace tessellane
