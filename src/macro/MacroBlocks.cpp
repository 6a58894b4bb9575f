// Entering and passing over the blocks of a macro.
#include "macro/MacroBlocks.h"

namespace quenlix::macro {

bool MacroBlocks::PassesOver(std::string_view command) {
    if (skip_ == 0) return false;
    if (command == "if-screen") ++skip_;
    if (command == "end") --skip_;
    return true;
}

void MacroBlocks::Open(bool holds) {
    if (holds) {
        ++open_;
    } else {
        skip_ = 1;
    }
}

bool MacroBlocks::Close() {
    if (open_ == 0) return false;
    --open_;
    return true;
}

}  // namespace quenlix::macro
