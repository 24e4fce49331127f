// The box under the file list: why the next merge cannot start and what it will change, what the last add
// did not take, an undo for the last removal, and the status of the running or last merge with the file it
// writes or wrote.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

class QLabel;
class QScrollArea;

namespace tessellane {

class AppModel;
class ElidedLabel;
class ToolButton;

struct ValidationRow {
    QString text;
    QColor colour;
    friend bool operator==(const ValidationRow&, const ValidationRow&) = default;
};

struct StatusRow {
    QString text;
    QColor colour;
    QString where;           // the merge's output (while it runs) or folder (once written); may be empty
    bool canReveal = false;  // the button that shows the last result in the file manager
    friend bool operator==(const StatusRow&, const StatusRow&) = default;
};

// The problem and warning rows, in display order, computed afresh from the model.
std::vector<ValidationRow> validationRows(const AppModel& model);
// The status row, when there is a status.
std::optional<StatusRow> statusRow(const AppModel& model);
// One line for what the last add did not take, grouped by reason with a few names each:
// "3개를 넣지 않았습니다 — 지원하지 않는 형식: a.mkv, b.webm · 하위 폴더: proxy/"; empty when it took all.
QString refusedText(const AppModel& model);
// Every refused name with its reason, one a line ("a.mkv: 지원하지 않는 형식"), for the line's tooltip.
QString refusedDetail(const AppModel& model);
// "파일 3개를 목록에서 뺐습니다" while the last removal can be undone, otherwise empty.
QString undoText(const AppModel& model);

class ValidationBox : public QWidget {
    Q_OBJECT
  public:
    explicit ValidationBox(AppModel& model, QWidget* parent = nullptr);

    // What is on screen now (for tests and for skipping needless rebuilds).
    const std::vector<ValidationRow>& shownRows() const { return rows_; }
    const std::optional<StatusRow>& shownStatus() const { return status_; }

    // The two buttons, made once so that they keep their place in the Tab order.
    ToolButton* undoButton() const { return undoButton_; }
    ToolButton* revealButton() const { return revealButton_; }

  public slots:
    void refresh();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The parts around the refused files' line: the scrolling rows above it; below, the undo of a
    // removal and the status with the button that shows the last result.
    QScrollArea* buildRowsScroll();
    QWidget* buildUndoLine();
    QWidget* buildStatusLine();
    void rebuildRows();
    // The rows take the height they need up to a few lines; beyond that they scroll, so a long list of bad
    // files never pushes the list off the window.
    void fitRows();

    AppModel& model_;
    QScrollArea* rowsScroll_;
    QWidget* rowsBox_;
    QLabel* refusedLabel_;
    QWidget* undoLine_;
    QLabel* undoLabel_;
    ToolButton* undoButton_;
    QWidget* statusLine_;
    QLabel* statusText_;
    ElidedLabel* statusWhere_;
    ToolButton* revealButton_;
    std::vector<ValidationRow> rows_;
    std::optional<StatusRow> status_;
    bool built_ = false;
};

}  // namespace tessellane
