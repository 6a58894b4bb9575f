// Growing a small background picture into a tile of whole repeats.
#include "app/BackgroundTile.h"

#include <QPainter>

namespace quenlix::app {

QImage RepeatedTile(const QImage& picture) {
    const int w = picture.width(), h = picture.height();
    if (picture.isNull() || (w >= kMinTileSide && h >= kMinTileSide)) return picture;
    const int across = (kMinTileSide + w - 1) / w;
    const int down = (kMinTileSide + h - 1) / h;
    QImage tile(w * across, h * down, picture.format());
    if (tile.isNull()) return picture;  // out of memory: tile the picture itself
    QPainter p(&tile);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int i = 0; i < across; ++i) {
        for (int j = 0; j < down; ++j) p.drawImage(i * w, j * h, picture);
    }
    return tile;
}

}  // namespace quenlix::app
