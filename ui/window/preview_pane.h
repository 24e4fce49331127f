// The right-hand pane: the merged frame drawn to scale from the clips' thumbnails, on black, each where the
// merge plan's layout puts it.
#pragma once

#include <QImage>
#include <QWidget>
#include <map>

#include "engine/core/clip_info.h"
#include "ui/window/preview_layout.h"

namespace tessellane {

class AppModel;

class PreviewPane : public QWidget {
    Q_OBJECT
  public:
    explicit PreviewPane(AppModel& model, QWidget* parent = nullptr);

    // The tiles for the current size and clips.
    PreviewLayout currentLayout() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // The thumbnail shrunk once to its tile size, so repaints do not rescale full frames; null when it is
    // not at that size yet and `rescale` is false.
    QImage tileImage(const Uuid& id, const QSize& size, bool rescale);

    AppModel& model_;
    struct CachedTile {
        qint64 sourceKey = 0;
        QSize size;
        QImage image;
    };
    std::map<Uuid, CachedTile> tiles_;
};

}  // namespace tessellane
