// A thin list adapter over AppModel for the file list: one row per clip, then the footer row naming the
// output (present only when there is a file name). Rows hold raw values; painting is the delegate's.
#pragma once

#include <QAbstractListModel>
#include <QImage>
#include <map>
#include <optional>
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
    void syncRows();
    void syncThumbs();
    void refreshAll();

    AppModel& model_;
    std::vector<Uuid> rowIds_;
    bool hasFooter_ = false;
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
