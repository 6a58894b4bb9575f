// The operator's commands of a macro played in the desktop program, over the
// session's operator input as the CLI's same commands do: type (a whole
// "$NAME" types the variable), key, cursor, paste (\r \n \t \\ escapes),
// click, insert on|off.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "input/OperatorInput.h"
#include "terminal/Languages.h"

namespace quenlix::macro {

/// The variables a macro's prompts defined, by name.
using MacroVariables = std::map<std::string, std::string>;

/// "$NAME" of a defined variable gives its value; any other text is itself.
std::string WithVariable(std::string_view text, const MacroVariables& variables);

/// Places the cursor at a 1-based row and column, as a click does (a field
/// exit awaited where it was is not). False off the screen.
bool PlaceCursor(OperatorInput& input, Terminal& t, int row, int column);

/// Runs one of the commands above. False with the reason in `error` when
/// its arguments are wrong, the key is unknown, or the click finds no
/// hotspot or is refused; an address a click names is left in `open`.
bool PerformOperatorCommand(OperatorInput& input, Terminal& t, const PcCharset& charset,
                            const MacroVariables& variables, std::string_view name,
                            std::string_view args, std::string& error, std::string& open);

}  // namespace quenlix::macro
