// Host-side field checks of the data-entry screen.
#include "demohost/FieldChecks.h"

#include <string_view>

#include "demohost/HostText.h"

namespace quenlix::demohost {

bool AllOf(const std::string& s, const char* allowed, bool digits, bool letters) {
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (digits && u >= '0' && u <= '9') continue;
        if (letters && ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'))) continue;
        if (std::string_view(allowed).find(c) != std::string_view::npos) continue;
        return false;
    }
    return true;
}

FieldCheck CheckField(const FieldDef& f, const std::string& value) {
    const std::uint8_t fill = f.fillType();
    const std::string trimmed = Trim(value);
    if (f.ffw1 & ds::kFfwBypass) {
        if (value != Pad(f.initial, static_cast<std::size_t>(f.length)) && trimmed != f.initial) {
            return {false, "a protected field came back changed"};
        }
        return {};
    }
    if ((f.ffw2 & ds::kFfw2MandatoryEnter) && trimmed.empty()) {
        return {false, "a value is required"};
    }
    if (fill == ds::kFillMandatory && !trimmed.empty() && value.find(' ') != std::string::npos) {
        return {false, "fill every position or none"};
    }
    if (f.ffw2 & ds::kFfw2Monocase) {
        for (char c : value) {
            if (c >= 'a' && c <= 'z') return {false, "lower-case letters in a monocase field"};
        }
    }
    switch (f.shiftEdit()) {
        case ds::kShiftAlphabeticOnly:
            if (!AllOf(value, " ,.-", false, true)) return {false, "letters only"};
            break;
        case ds::kShiftNumericOnly:
            if (!AllOf(value, " ,.+-", true, false)) return {false, "numbers only"};
            break;
        case ds::kShiftDigitsOnly:
            if (!AllOf(value, " ", true, false)) return {false, "digits only"};
            break;
        case ds::kShiftSignedNumeric:
            if (value.size() > 0 && !AllOf(value.substr(0, value.size() - 1), " ", true, false)) {
                return {false, "digits only before the sign position"};
            }
            if (!value.empty() && std::string_view(" +-").find(value.back()) ==
                                      std::string_view::npos) {
                return {false, "the sign position holds something else"};
            }
            break;
        default:
            break;
    }
    if ((fill == ds::kFillRightZero || fill == ds::kFillRightBlank) &&
        !AllOf(value, " ,.+-", true, false)) {
        return {false, "numbers only"};
    }
    return {};
}

}  // namespace quenlix::demohost
