// Creates and measures the view font with Qt: a face, a pixel height and an
// average character width become a QFont, its height and widest character.
#pragma once

#include <QFont>

#include "display/ScreenGeometry.h"

namespace quenlix::app {

class QtFontMeasurer : public FontMeasurer {
public:
    FontMetrics CreateAndMeasure(const FontRequest& request) override;
    /// The last font created: after a fit, the view font.
    const QFont& font() const { return font_; }

    /// The QFont a request stands for.
    static QFont MakeFont(const FontRequest& request);

private:
    QFont font_;
};

}  // namespace quenlix::app
