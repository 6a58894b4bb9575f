// Font creation: the pixel height is the font's full line height, and the
// width is reached by stretching the face's natural width.
#include "app/QtFontMeasurer.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <algorithm>

namespace quenlix::app {

QFont QtFontMeasurer::MakeFont(const FontRequest& request) {
    QFont font(QString::fromStdString(request.face));
    font.setStyleHint(QFont::TypeWriter, request.proofQuality ? QFont::PreferQuality
                                                              : QFont::PreferDefault);
    font.setFixedPitch(request.fixedPitch);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(request.weight, 1, 1000)));
    font.setItalic(request.italic);
    font.setKerning(false);
    // The cell height includes the line spacing: start from a pixel size that
    // gives that full height.
    const int height = std::max(1, request.height);
    font.setPixelSize(height);
    const int natural = QFontMetrics(font).height();
    if (natural > height) font.setPixelSize(std::max(1, height * height / natural));
    if (request.width > 0) {
        const int advance = QFontMetrics(font).horizontalAdvance(QLatin1Char('M'));
        if (advance > 0) {
            font.setStretch(std::clamp(request.width * 100 / advance, 1, 4000));
        }
    }
    return font;
}

FontMetrics QtFontMeasurer::CreateAndMeasure(const FontRequest& request) {
    font_ = MakeFont(request);
    const QFontMetrics metrics(font_);
    FontMetrics result;
    result.height = metrics.height();
    // Cells hold one character each: the advance of a wide letter is the cell
    // width a fixed-pitch face needs (maxWidth counts rare wide glyphs).
    result.maxCharWidth = std::max(metrics.horizontalAdvance(QLatin1Char('W')),
                                   metrics.horizontalAdvance(QLatin1Char('M')));
    result.fixedPitch = QFontInfo(font_).fixedPitch();
    return result;
}

}  // namespace quenlix::app
