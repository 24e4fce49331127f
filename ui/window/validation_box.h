// The box under the file list: why a merge cannot start, what it will change, and the last status line.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

namespace tessellane {

class AppModel;

struct ValidationRow {
    QString text;
    QColor colour;
    friend bool operator==(const ValidationRow&, const ValidationRow&) = default;
};

struct StatusRow {
    QString text;
    QColor colour;
    bool canReveal = false;  // the button that shows the last result in the file manager
    friend bool operator==(const StatusRow&, const StatusRow&) = default;
};

// The problem and warning rows, in display order, computed afresh from the model.
std::vector<ValidationRow> validationRows(const AppModel& model);
// The status row, when there is a status.
std::optional<StatusRow> statusRow(const AppModel& model);

class ValidationBox : public QWidget {
    Q_OBJECT
  public:
    explicit ValidationBox(AppModel& model, QWidget* parent = nullptr);

    // What is on screen now (for tests and for skipping needless rebuilds).
    const std::vector<ValidationRow>& shownRows() const { return rows_; }
    const std::optional<StatusRow>& shownStatus() const { return status_; }

  public slots:
    void refresh();

  private:
    void rebuild();

    AppModel& model_;
    std::vector<ValidationRow> rows_;
    std::optional<StatusRow> status_;
    bool built_ = false;
};

}  // namespace tessellane
