// Password levels and their substitute methods.
#include "signon/PasswordLevel.h"

namespace quenlix::signon {

std::optional<SubstituteMethod> MethodForPasswordLevel(int level) {
    switch (level) {
        case 0:
        case 1:
            return SubstituteMethod::Des;
        case 2:
        case 3:
            return SubstituteMethod::Sha1;
        case 4:
            return SubstituteMethod::Pbkdf2;
        default:
            return std::nullopt;
    }
}

std::size_t SubstituteLength(SubstituteMethod method) {
    switch (method) {
        case SubstituteMethod::Des:
            return 8;
        case SubstituteMethod::Sha1:
            return 20;
        case SubstituteMethod::Pbkdf2:
            return 64;
    }
    return 0;
}

std::string_view MethodName(SubstituteMethod method) {
    switch (method) {
        case SubstituteMethod::Des:
            return "DES";
        case SubstituteMethod::Sha1:
            return "SHA-1";
        case SubstituteMethod::Pbkdf2:
            return "PBKDF2-SHA-512";
    }
    return "";
}

}  // namespace quenlix::signon
