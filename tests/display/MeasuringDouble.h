// A font system for geometry tests: a font answers its request's size, plus a
// configurable overshoot, and never narrower than a configurable minimum.
#pragma once

#include <algorithm>
#include <vector>

#include "display/ScreenGeometry.h"

namespace quenlix::testing {

class MeasuringDouble : public FontMeasurer {
public:
    FontMetrics CreateAndMeasure(const FontRequest& request) override {
        requests.push_back(request);
        if (reportNothing) return {0, 0, true};
        return {request.height + heightExcess, std::max(minimumWidth, request.width + widthExcess),
                true};
    }

    int widthExcess = 0;   ///< the widest glyph is this much wider than asked
    int heightExcess = 0;  ///< the font is this much higher than asked
    int minimumWidth = 0;  ///< no request gives a narrower widest glyph
    bool reportNothing = false;
    std::vector<FontRequest> requests;
};

}  // namespace quenlix::testing
