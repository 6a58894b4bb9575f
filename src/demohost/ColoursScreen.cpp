// The colour screen: each of the 32 screen attributes (0x20..0x3F) names
// itself in its own colour, and a blinking line with a blinking cursor
// (the screen's Write To Display sets CC2 0x10).
#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "demohost/ScreenWriter.h"

namespace quenlix::demohost {

namespace {

const char* AttributeName(int a) {
    static const char* const kNames[32] = {
        "Green",           "Green reverse",        "White",
        "White reverse",   "Green underline",      "Green reverse underline",
        "White underline", "Non-display",          "Red",
        "Red reverse",     "Red blink",            "Red reverse blink",
        "Red underline",   "Red reverse underline", "Red underline blink",
        "Non-display",     "Turquoise",            "Turquoise reverse",
        "Yellow",          "Yellow reverse",       "Turquoise underline",
        "Turquoise rev underline", "Yellow underline", "Non-display",
        "Pink",            "Pink reverse",         "Blue",
        "Blue reverse",    "Pink underline",       "Pink reverse underline",
        "Blue underline",  "Non-display"};
    return kNames[(a - 0x20) & 0x1F];
}

}  // namespace

void HostSession::DrawColours(ScreenWriter& w) {
    w.Title("Colours and Blinking");
    for (int a = 0x20; a <= 0x3F; ++a) {
        const int i = a - 0x20;
        const int row = 3 + i % 16;
        const int column = i < 16 ? 2 : 42;
        w.Styled(row, column, static_cast<std::uint8_t>(a),
                 "Attribute " + Hex2(a) + " " + AttributeName(a));
    }
    w.Styled(20, 2, kAttrRedBlink, "This line blinks; so does the cursor.");
    w.FunctionKeys("Enter=Return   F3=Exit   F12=Cancel");
}

}  // namespace quenlix::demohost
