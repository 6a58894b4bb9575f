// The operator's macros: plain files "<name>.qtm" in the configuration
// folder's "macros" folder, read and written whole, never larger than a
// macro may be.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "input/KeyMap.h"

namespace quenlix::macro {

/// The file name extension of a macro.
inline constexpr std::string_view kMacroExtension = ".qtm";
/// At most this many macros are listed.
inline constexpr std::size_t kMaxListedMacros = 200;

/// $XDG_CONFIG_HOME/Quenlix/macros, or ~/.config/Quenlix/macros without it.
std::string UserMacroFolder();

// A macro's name is quenlix::IsMacroName's (a key map's "Macro:<name>").

/// The file of a named macro in UserMacroFolder(); empty for a bad name.
std::string MacroPath(std::string_view name);

/// The names of the macros in UserMacroFolder(), sorted; at most
/// kMaxListedMacros.
std::vector<std::string> UserMacroNames();

/// A macro's name from a file's path ("x/Daily.qtm" is "Daily"); empty when
/// what is left is no macro name.
std::string MacroNameOfPath(std::string_view path);

/// Reads a macro file (a regular file of at most kMaxMacroBytes). 0 or the
/// errno cause.
int ReadMacroFile(const std::string& path, std::string& text);
/// Writes a macro file whole (its folder made when missing). 0 or the cause.
int WriteMacroFile(const std::string& path, std::string_view text);

}  // namespace quenlix::macro
