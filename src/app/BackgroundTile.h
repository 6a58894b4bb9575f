// A small picture tiled over the window is first repeated into one larger
// tile, so a repaint draws a few hundred pictures instead of one per pixel.
#pragma once

#include <QImage>

namespace quenlix::app {

/// The shortest side a tile is grown to.
inline constexpr int kMinTileSide = 128;

/// `picture` repeated a whole number of times across and down until both
/// sides are at least kMinTileSide, so tiling the result shows exactly what
/// tiling `picture` shows. A picture that large already, or a null one,
/// comes back as it is.
QImage RepeatedTile(const QImage& picture);

}  // namespace quenlix::app
