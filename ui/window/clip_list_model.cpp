#include "ui/window/clip_list_model.h"

#include "ui/widgets/card_painter.h"

namespace tessellane {

QString footerDetail(const AppModel& model) {
    const Layout layout = model.mergeSettings().layout;
    const QString stack = layout == Layout::row      ? "hstack "
                          : layout == Layout::column ? "vstack "
                                                     : "xstack ";
    return stack + QString::number(model.clips().size()) + " · " + model.codecSummary() + " · " +
           QString::number(model.outputWidth()) + " x " + QString::number(model.outputHeight());
}

namespace {

// The card of the clip whose sound the output keeps says so on its last line.
CardData cardOf(const AppModel& model, int row, const ClipInfo& clip, const QImage& thumb, bool selected) {
    CardData card = cardDataFor(row + 1, clip, thumb, selected);
    if (model.audioClip() == clip.id()) card.timeLine += QStringLiteral(" · \u266A 소리");
    return card;
}

}  // namespace

ClipListModel::ClipListModel(AppModel& model, QObject* parent) : QAbstractListModel(parent), model_(model) {
    connect(&model_, &AppModel::clipsChanged, this, &ClipListModel::syncRows);
    connect(&model_, &AppModel::selectedChanged, this, &ClipListModel::refreshAll);
    connect(&model_, &AppModel::thumbsChanged, this, &ClipListModel::syncThumbs);
    // The footer shows the file name, which follows the suffix.
    connect(&model_, &AppModel::suffixChanged, this, &ClipListModel::syncRows);
    // The footer names the layout and its size; a card, the sound.
    connect(&model_, &AppModel::mergeSettingsChanged, this, &ClipListModel::refreshAll);
    connect(&model_, &AppModel::audioClipChanged, this, &ClipListModel::refreshAll);
    syncThumbs();
    syncRows();
}

int ClipListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return clipCount() + (hasFooter_ ? 1 : 0);
}

std::optional<Uuid> ClipListModel::clipIdAt(int row) const {
    if (row < 0 || row >= clipCount()) return std::nullopt;
    return rowIds_[static_cast<std::size_t>(row)];
}

QImage ClipListModel::cardThumb(const Uuid& id) const {
    auto found = thumbCache_.find(id);
    return found == thumbCache_.end() ? QImage() : found->second.scaled;
}

QVariant ClipListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const int row = index.row();
    const bool footer = row >= clipCount();
    if (role == IsFooterRole) return footer;
    if (footer) {
        if (role == FooterNameRole || role == Qt::DisplayRole) return model_.fileName();
        if (role == Qt::AccessibleTextRole)
            return "출력 파일 " + model_.fileName() + ", " + footerDetail(model_);
        if (role == FooterDetailRole) return footerDetail(model_);
        return {};
    }
    const auto& clips = model_.clips();
    if (static_cast<std::size_t>(row) >= clips.size()) return {};
    const ClipInfo& clip = clips[static_cast<std::size_t>(row)];
    if (role == Qt::DisplayRole) return QString::fromStdString(clip.name());
    if (role == Qt::AccessibleTextRole) {
        const CardData card = cardOf(model_, row, clip, {}, false);
        QStringList parts{QString::number(row + 1) + "번", card.name};
        if (card.error)
            parts << *card.error;
        else
            parts << card.formatLine << card.sizeLine << card.timeLine;
        if (model_.selected().count(clip.id())) parts << QStringLiteral("선택됨");
        return parts.join(", ");
    }
    if (role == CardRole) {
        const bool selected = model_.selected().count(clip.id()) > 0;
        return QVariant::fromValue(cardOf(model_, row, clip, cardThumb(clip.id()), selected));
    }
    return {};
}

Qt::ItemFlags ClipListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    // The footer is shown but never dragged.
    if (index.row() >= clipCount()) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

void ClipListModel::syncRows() {
    std::vector<Uuid> ids;
    ids.reserve(model_.clips().size());
    for (const ClipInfo& clip : model_.clips()) ids.push_back(clip.id());
    const bool footer = !model_.fileName().isEmpty();
    if (ids == rowIds_ && footer == hasFooter_) {
        refreshAll();  // same rows; the records behind them may still have changed
        return;
    }
    beginResetModel();
    rowIds_ = std::move(ids);
    hasFooter_ = footer;
    endResetModel();
}

void ClipListModel::syncThumbs() {
    bool changedAny = false;
    for (const auto& [id, image] : model_.thumbs()) {
        auto& cached = thumbCache_[id];
        if (cached.sourceKey == image.cacheKey() && !cached.scaled.isNull()) continue;
        cached.sourceKey = image.cacheKey();
        cached.scaled = image.isNull()
                            ? QImage()
                            : image.scaled(thumbnailBoxSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        changedAny = true;
    }
    for (auto it = thumbCache_.begin(); it != thumbCache_.end();) {
        it = model_.thumbs().count(it->first) ? std::next(it) : thumbCache_.erase(it);
    }
    if (changedAny) refreshAll();
}

void ClipListModel::refreshAll() {
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1));
}

}  // namespace tessellane
