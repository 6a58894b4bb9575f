// The textured command bars: a 26 x 26 tile drawn in code covers the tool
// bars (docked or floating) and the dock areas around them, and the bars'
// buttons get their pictures, the Connect/Disconnect one following the
// connection.
#pragma once

#include <QPixmap>
#include <QProxyStyle>

namespace quenlix::app {

class CMainFrame;

/// The texture tile, 26 x 26 pixels.
QPixmap TextureTile();

/// Tiles `area` with the tile from its top-left corner: columns while x is
/// left of the right edge, rows while y is above the bottom edge.
void TileArea(QPainter& painter, const QRect& area, const QPixmap& tile);

/// The tool bars' style: the bar's panel drawn as the texture; everything
/// else as the base style draws it.
class CBmpToolBarStyle : public QProxyStyle {
    Q_OBJECT
public:
    CBmpToolBarStyle();
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;

private:
    QPixmap tile_;
};

/// Textures the main window's bars and dock areas, gives the bars' buttons
/// their pictures, and keeps the Connect/Disconnect picture in step with
/// connectButtonPicture().
void DecorateBars(CMainFrame& frame);

}  // namespace quenlix::app
