// Where key maps come from: a built-in map by name, a user map by name from
// the configuration folder, or a map file by path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "input/KeyMapFile.h"

namespace quenlix {

/// The folder of the operator's own maps: $XDG_CONFIG_HOME/Quenlix/keymaps,
/// or ~/.config/Quenlix/keymaps without it. Each map is "<name>.keymap".
std::string UserKeyMapFolder();

/// The file a map name stands for: text holding a '/' or ending in
/// ".keymap" is a path; any other name is a user map in UserKeyMapFolder().
/// Empty for a built-in map's name or empty text.
std::string KeyMapPath(std::string_view nameOrPath);

/// The map a name (as in the session file's "Keyboard Map" or --keymap)
/// stands for: empty text is Standard, a built-in name is that map, anything
/// else is read from KeyMapPath. A file that cannot be read gives Standard
/// and one error naming the file and why.
KeyMapFileResult LoadKeyMap(std::string_view nameOrPath);

/// Writes a map file (the folder is made when missing). 0 or the errno cause.
int SaveKeyMap(const std::string& path, const KeyMap& map);

/// The names of the user maps in UserKeyMapFolder(), sorted; at most 200.
std::vector<std::string> UserKeyMapNames();

}  // namespace quenlix
