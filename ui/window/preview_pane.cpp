#include "ui/window/preview_pane.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <cmath>

#include "app/app_model.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"
#include "ui/words.h"

namespace tessellane {

namespace {
// Rescaling a thumbnail costs far more than drawing it: when many tiles change size at once (a new layout,
// hundreds of clips), one paint rescales for at most this long and the next paints finish the rest.
constexpr qint64 kRescaleBudgetNs = 4'000'000;
}  // namespace

PreviewPane::PreviewPane(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setMinimumWidth(240);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(words::kPreview);
    // Qt gathers the requests into one paint.
    connect(&model_, &AppModel::changed, this, qOverload<>(&QWidget::update));
}

PreviewLayout PreviewPane::currentLayout() const {
    return previewLayout(QSizeF(size()), model_.plan().geometry);
}

QImage PreviewPane::tileImage(const Uuid& id, const QSize& size, bool rescale) {
    const QImage source = model_.thumb(id);
    if (source.isNull() || size.isEmpty()) return {};
    CachedTile& cached = tiles_[id];
    if (cached.sourceKey != source.cacheKey() || cached.size != size || cached.image.isNull()) {
        if (!rescale) return {};
        cached.sourceKey = source.cacheKey();
        cached.size = size;
        cached.image = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return cached.image;
}

void PreviewPane::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette::pictureBG());
    const auto& clips = model_.clips();
    if (clips.empty()) {
        tiles_.clear();
        p.setFont(uiFont(12));
        p.setPen(palette::faintText());
        p.drawText(rect(), Qt::AlignCenter, words::kPreview);
        return;
    }
    const PreviewLayout layout = currentLayout();
    // What no picture covers (around a fitted picture, a short last row) stays the frame's black; its edge
    // shows how far the frame reaches.
    p.setPen(palette::divider());
    p.drawRect(layout.frame);
    std::map<Uuid, CachedTile> keep;
    QElapsedTimer rescaling;
    rescaling.start();
    bool rough = false;
    for (std::size_t i = 0; i < clips.size() && i < layout.tiles.size(); ++i) {
        const QRectF& tile = layout.tiles[i];
        p.fillRect(tile, palette::tileBG());
        const QRect pixels = tile.toAlignedRect();
        const bool inBudget = rescaling.nsecsElapsed() < kRescaleBudgetNs;
        if (const QImage image = tileImage(clips[i].id(), pixels.size(), inBudget); !image.isNull()) {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(tile, image);
        } else if (const QImage source = model_.thumb(clips[i].id()); !source.isNull() && !pixels.isEmpty()) {
            // The nearest pixels for now; a later paint rescales it properly.
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.drawImage(tile, source);
            rough = true;
        }
        if (auto found = tiles_.find(clips[i].id()); found != tiles_.end()) keep.insert(*found);
    }
    tiles_ = std::move(keep);  // forget clips that left the list
    if (rough) QTimer::singleShot(0, this, qOverload<>(&QWidget::update));
    p.setRenderHint(QPainter::Antialiasing);
    QPen outline(palette::accent());
    outline.setWidthF(0.5);
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    for (const QRectF& tile : layout.tiles) p.drawRect(tile);
    if (model_.nextMergeDiffers()) {
        p.setFont(uiFont(11));
        p.setPen(palette::warn());
        p.drawText(rect().adjusted(12, 8, -12, -8), Qt::AlignLeft | Qt::AlignTop, words::kNextMergeMark);
    }
}

}  // namespace tessellane
