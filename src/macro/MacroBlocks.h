// The `if-screen "TEXT" ... end` blocks of a macro as it runs: a block whose
// text is on the screen is entered, one whose text is not is passed over to
// its own `end`, nested blocks included.
#pragma once

#include <string_view>

namespace quenlix::macro {

class MacroBlocks {
public:
    /// True when the line with this command name lies inside a block passed
    /// over (it is not run); counts the blocks nested in it.
    bool PassesOver(std::string_view command);
    /// An `if-screen` ran: `holds` whether its text is on the screen.
    void Open(bool holds);
    /// An `end` ran: false when no block is open.
    bool Close();
    /// False while a block is open (its `end` not yet read).
    bool Closed() const { return open_ == 0; }
    int depth() const { return open_; }

private:
    int open_ = 0;  ///< blocks entered, their `end` not yet read
    int skip_ = 0;  ///< > 0: inside a block passed over, counting nested ones
};

}  // namespace quenlix::macro
