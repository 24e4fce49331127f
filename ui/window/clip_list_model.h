// A thin list adapter over AppModel for the file list: one row per clip, then the footer row naming the
// output (present only when there is a file name). Rows hold raw values; painting is the delegate's.
#pragma once

#include <QAbstractListModel>
#include <QImage>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "app/app_model.h"

namespace tessellane {

class ClipListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    enum Role {
        IsFooterRole = Qt::UserRole + 1,  // bool
        CardRole,                         // CardData (clip rows)
        FooterNameRole,                   // QString (footer row)
        FooterDetailRole,                 // QString (footer row)
    };

    explicit ClipListModel(AppModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int clipCount() const { return static_cast<int>(rowIds_.size()); }
    bool hasFooter() const { return hasFooter_; }
    // The clip shown in `row`, or nothing for the footer and out-of-range rows.
    std::optional<Uuid> clipIdAt(int row) const;

    // The thumbnail already shrunk to the card's box (shrinking a full frame on every paint is too slow).
    QImage cardThumb(const Uuid& id) const;

  private:
    // The rows follow the list with Qt's insert, move and remove signals, so the view keeps its current
    // row, scroll position and drag state; only rows whose contents changed are repainted.
    void syncRows();
    void removeRowsNotIn(const std::set<Uuid>& kept);
    void placeRows(const std::vector<Uuid>& ids);
    void syncFooter();
    void syncSelection();
    void syncAudioClip();
    void syncThumbs();
    void refreshRows(int first, int last);
    void refreshClip(const Uuid& id);
    // The record shown in `row`, found by its identity: while the rows catch up with a new list, row and
    // list position differ. Null for the footer and for a clip no longer listed.
    const ClipInfo* clipOf(int row) const;

    AppModel& model_;
    std::vector<Uuid> rowIds_;
    std::map<Uuid, std::size_t> listed_;  // each listed clip's position in model_.clips()
    bool hasFooter_ = false;
    // What the rows were last painted with, to tell which rows a change touches.
    std::set<Uuid> shownSelected_;
    std::optional<Uuid> shownAudioClip_;
    struct CachedThumb {
        qint64 sourceKey = 0;
        QImage scaled;
    };
    std::map<Uuid, CachedThumb> thumbCache_;
};

// "hstack 3 · ProRes 422 HQ · 5760 x 1080" (vstack for a column, xstack for a grid): the footer row's
// second line.
QString footerDetail(const AppModel& model);

}  // namespace tessellane
