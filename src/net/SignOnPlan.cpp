// The words of a sign-on report.
#include "net/SignOnPlan.h"

namespace quenlix {

std::string SignOnReport::Text() const {
    switch (kind) {
        case Kind::kSubstitute:
            return "signon: level " + std::to_string(level) + " (" + how + ")";
        case Kind::kClear:
            return "signon: password sent in clear (" + reason + ")";
        case Kind::kNoPassword:
            return "signon: no password sent (" + reason + ")";
        case Kind::kNotAsked:
            break;
    }
    return {};
}

}  // namespace quenlix
