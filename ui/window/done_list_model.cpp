#include "ui/window/done_list_model.h"

#include "app/qt_text.h"

namespace tessellane {

DoneListModel::DoneListModel(AppModel& model, QObject* parent) : QAbstractListModel(parent), model_(model) {
    connect(&model_, &AppModel::doneChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int DoneListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(model_.done().size());
}

const DoneItem* DoneListModel::itemAt(int row) const {
    if (row < 0 || row >= rowCount()) return nullptr;
    return &model_.done()[std::size_t(row)];
}

QVariant DoneListModel::data(const QModelIndex& index, int role) const {
    const DoneItem* item = itemAt(index.row());
    if (!index.isValid() || !item) return {};
    const QString name = toQString(item->url().filename().string());
    const QString folder = toQString(item->url().parent_path().string());
    switch (role) {
        case Qt::DisplayRole:
            return name;
        case SummaryRole:
            return item->summary();
        case FolderRole:
            return folder;
        case Qt::AccessibleTextRole:
            return name + ", " + item->summary() + ", " + folder;
        default:
            return {};
    }
}

}  // namespace tessellane
