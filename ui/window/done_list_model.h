// A thin list adapter over AppModel's finished outputs for the finished-outputs tab, newest first.
#pragma once

#include <QAbstractListModel>
#include <optional>

#include "app/app_model.h"

namespace tessellane {

class DoneListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    enum Role {
        SummaryRole = Qt::UserRole + 1,  // QString: the result summary
        FolderRole,                      // QString: the folder the file was written to
    };

    explicit DoneListModel(AppModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    // DisplayRole: the file's name; AccessibleTextRole: name, summary and folder.
    QVariant data(const QModelIndex& index, int role) const override;

    // The finished output shown in `row`, or nothing out of range.
    const DoneItem* itemAt(int row) const;

  private:
    AppModel& model_;
};

}  // namespace tessellane
