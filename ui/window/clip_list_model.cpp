#include "ui/window/clip_list_model.h"

#include <algorithm>

#include "ui/widgets/card_painter.h"
#include "ui/words.h"

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
    if (model.audioClip() == clip.id()) card.timeLine += " · " + words::kSoundKept;
    return card;
}

}  // namespace

ClipListModel::ClipListModel(AppModel& model, QObject* parent) : QAbstractListModel(parent), model_(model) {
    connect(&model_, &AppModel::clipsChanged, this, &ClipListModel::syncRows);
    connect(&model_, &AppModel::selectedChanged, this, &ClipListModel::syncSelection);
    connect(&model_, &AppModel::thumbsChanged, this, &ClipListModel::syncThumbs);
    // The footer shows the file name, which follows the suffix, and names the layout and its size.
    connect(&model_, &AppModel::suffixChanged, this, &ClipListModel::syncFooter);
    connect(&model_, &AppModel::mergeSettingsChanged, this, &ClipListModel::syncFooter);
    // A card says whether the output keeps its sound.
    connect(&model_, &AppModel::audioClipChanged, this, &ClipListModel::syncAudioClip);
    syncThumbs();
    syncRows();
    shownSelected_ = model_.selected();
    shownAudioClip_ = model_.audioClip();
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
            return words::outputFileSpoken(model_.fileName(), footerDetail(model_));
        if (role == FooterDetailRole) return footerDetail(model_);
        return {};
    }
    const ClipInfo* found = clipOf(row);
    if (!found) return {};
    const ClipInfo& clip = *found;
    if (role == Qt::DisplayRole) return QString::fromStdString(clip.name());
    if (role == Qt::AccessibleTextRole) {
        const CardData card = cardOf(model_, row, clip, {}, false);
        QStringList parts{words::clipPositionSpoken(row + 1), card.name};
        if (card.error)
            parts << *card.error;
        else
            parts << card.formatLine << card.sizeLine << card.timeLine;
        if (model_.selected().count(clip.id())) parts << words::kSelectedSpoken;
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

const ClipInfo* ClipListModel::clipOf(int row) const {
    const std::optional<Uuid> id = clipIdAt(row);
    const auto found = id ? listed_.find(*id) : listed_.end();
    const auto& clips = model_.clips();
    if (found == listed_.end() || found->second >= clips.size()) return nullptr;
    const ClipInfo& clip = clips[found->second];
    return clip.id() == *id ? &clip : nullptr;
}

void ClipListModel::syncRows() {
    std::vector<Uuid> ids;
    ids.reserve(model_.clips().size());
    listed_.clear();
    for (const ClipInfo& clip : model_.clips()) {
        listed_.emplace(clip.id(), ids.size());
        ids.push_back(clip.id());
    }
    const std::set<Uuid> kept(ids.begin(), ids.end());
    if (kept.size() != ids.size() ||
        std::set<Uuid>(rowIds_.begin(), rowIds_.end()).size() != rowIds_.size()) {
        // One record listed twice (now or in the rows shown) has no single row to follow: the rows are
        // made again.
        beginResetModel();
        rowIds_ = std::move(ids);
        hasFooter_ = !model_.fileName().isEmpty();
        endResetModel();
        return;
    }
    const auto mismatch = std::mismatch(rowIds_.begin(), rowIds_.end(), ids.begin(), ids.end());
    // Same rows: the records behind them may still have changed (a clip read again).
    const int firstChanged = ids == rowIds_ ? 0 : static_cast<int>(mismatch.first - rowIds_.begin());
    removeRowsNotIn(kept);
    placeRows(ids);
    // Rows from the first change on may show another number.
    refreshRows(firstChanged, clipCount() - 1);
    syncFooter();
}

void ClipListModel::removeRowsNotIn(const std::set<Uuid>& kept) {
    for (int last = clipCount() - 1; last >= 0;) {
        if (kept.count(rowIds_[static_cast<std::size_t>(last)])) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !kept.count(rowIds_[static_cast<std::size_t>(first - 1)])) --first;
        beginRemoveRows({}, first, last);
        rowIds_.erase(rowIds_.begin() + first, rowIds_.begin() + last + 1);
        endRemoveRows();
        last = first - 1;
    }
}

void ClipListModel::placeRows(const std::vector<Uuid>& ids) {
    std::set<Uuid> shown(rowIds_.begin(), rowIds_.end());
    const int count = static_cast<int>(ids.size());
    for (int at = 0; at < count; ++at) {
        const Uuid& id = ids[static_cast<std::size_t>(at)];
        if (at < clipCount() && rowIds_[static_cast<std::size_t>(at)] == id) continue;
        if (shown.count(id)) {
            // A listed clip further down comes up to its place.
            const int from =
                static_cast<int>(std::find(rowIds_.begin() + at, rowIds_.end(), id) - rowIds_.begin());
            beginMoveRows({}, from, from, {}, at);
            std::rotate(rowIds_.begin() + at, rowIds_.begin() + from, rowIds_.begin() + from + 1);
            endMoveRows();
            continue;
        }
        // New clips side by side arrive in one insertion.
        int last = at;
        while (last + 1 < count && !shown.count(ids[static_cast<std::size_t>(last + 1)])) ++last;
        beginInsertRows({}, at, last);
        rowIds_.insert(rowIds_.begin() + at, ids.begin() + at, ids.begin() + last + 1);
        endInsertRows();
        shown.insert(ids.begin() + at, ids.begin() + last + 1);
        at = last;
    }
}

void ClipListModel::syncFooter() {
    const bool footer = !model_.fileName().isEmpty();
    const int row = clipCount();
    if (footer == hasFooter_) {
        if (footer) refreshRows(row, row);
        return;
    }
    if (footer) {
        beginInsertRows({}, row, row);
        hasFooter_ = true;
        endInsertRows();
    } else {
        beginRemoveRows({}, row, row);
        hasFooter_ = false;
        endRemoveRows();
    }
}

void ClipListModel::syncSelection() {
    const std::set<Uuid>& selected = model_.selected();
    for (int row = 0; row < clipCount(); ++row) {
        const Uuid& id = rowIds_[static_cast<std::size_t>(row)];
        if (selected.count(id) != shownSelected_.count(id)) refreshRows(row, row);
    }
    shownSelected_ = selected;
}

void ClipListModel::syncAudioClip() {
    if (shownAudioClip_) refreshClip(*shownAudioClip_);
    shownAudioClip_ = model_.audioClip();
    if (shownAudioClip_) refreshClip(*shownAudioClip_);
}

void ClipListModel::refreshClip(const Uuid& id) {
    const auto found = std::find(rowIds_.begin(), rowIds_.end(), id);
    if (found == rowIds_.end()) return;
    const int row = static_cast<int>(found - rowIds_.begin());
    refreshRows(row, row);
}

void ClipListModel::syncThumbs() {
    std::vector<Uuid> changed;
    for (const auto& [id, image] : model_.thumbs()) {
        auto& cached = thumbCache_[id];
        if (cached.sourceKey == image.cacheKey() && !cached.scaled.isNull()) continue;
        cached.sourceKey = image.cacheKey();
        cached.scaled = image.isNull()
                            ? QImage()
                            : image.scaled(thumbnailBoxSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        changed.push_back(id);
    }
    for (auto it = thumbCache_.begin(); it != thumbCache_.end();) {
        it = model_.thumbs().count(it->first) ? std::next(it) : thumbCache_.erase(it);
    }
    for (const Uuid& id : changed) refreshClip(id);
}

void ClipListModel::refreshRows(int first, int last) {
    if (first <= last) emit dataChanged(index(first), index(last));
}

}  // namespace tessellane
