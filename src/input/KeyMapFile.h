// Key map files: a small text file a person can read and edit.
//
//     # comments start with '#'
//     base = IBM5250
//     Ctrl+Enter = FieldExit
//     KeypadEnter = Enter
//     Esc = None
//     Ctrl+F9 = Macro:Daily sign-on
//
// The first line that is not blank or a comment names the built-in map the
// file starts from; each further line binds one key (the chord names of
// KeyChord.h) to one function (the names of KeyFunction.h, "None" to unbind
// a key of the base, "Macro:<name>" to play one of the operator's macros).
// Only the keys named change.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "input/KeyMap.h"

namespace quenlix {

struct KeyMapFileResult {
    KeyMap map;                       ///< the base with every valid line applied
    std::vector<std::string> errors;  ///< "file:line: what is wrong", in line order
};

/// Bounds of what a map file can make the reader do.
inline constexpr std::size_t kMaxKeyMapFileBytes = 64 * 1024;
inline constexpr std::size_t kMaxKeyMapLineLength = 200;
inline constexpr std::size_t kMaxKeyMapErrors = 50;  ///< then one line says more were left out

/// Reads a map file's text. `fileName` only names the file in the errors.
/// An unknown key or function, a key bound twice, a main-window shortcut, a
/// missing or unknown base, a line without '=' or a line too long is an
/// error; the valid lines are still used. Text past kMaxKeyMapFileBytes is
/// not read (an error says so).
KeyMapFileResult ParseKeyMapFile(std::string_view text, std::string_view fileName);

/// The file text of a map: its base, then the keys that differ from it.
std::string FormatKeyMapFile(const KeyMap& map);

}  // namespace quenlix
