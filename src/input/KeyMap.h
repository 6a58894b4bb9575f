// A key map: which keyboard function each PC key does. A map starts from one
// of the built-in maps and changes some of its keys; a key is bound to at
// most one function, a function may have several keys. Keys a map leaves
// unbound keep today's behaviour: characters type themselves.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/KeyChord.h"
#include "input/KeyFunction.h"

namespace quenlix {

enum class BuiltInKeyMap : std::uint8_t { kStandard, kIbm5250, kLaptop };

struct BuiltInKeyMapInfo {
    BuiltInKeyMap id;
    std::string_view name;   ///< the name in map files, session files and --keymap
    std::string_view title;  ///< the name shown to the operator
};

std::span<const BuiltInKeyMapInfo> BuiltInKeyMaps();
std::optional<BuiltInKeyMap> BuiltInKeyMapByName(std::string_view name);
std::string_view BuiltInKeyMapName(BuiltInKeyMap id);

/// A key bound to one of the operator's macros is written "Macro:<name>".
inline constexpr std::string_view kMacroFunctionPrefix = "Macro:";
/// A macro's name: 1 to 64 letters, digits, blanks, '_', '-' and '.', not
/// starting with '.' or a blank, not ending with a blank.
bool IsMacroName(std::string_view name);
/// The macro a function text names ("Macro:Daily" is "Daily"); empty when
/// the text names no macro.
std::optional<std::string> MacroOfFunctionText(std::string_view text);

class KeyMap {
public:
    /// At most this many keys in one map: bounds what a map file can make.
    static constexpr std::size_t kMaxBindings = 512;

    /// The Standard map.
    KeyMap();
    static KeyMap BuiltIn(BuiltInKeyMap id);
    /// The same map, built once for the program (what BuiltIn copies).
    static const KeyMap& BuiltInMap(BuiltInKeyMap id);

    BuiltInKeyMap base() const { return base_; }
    /// The function the key is bound to (kNone when the map unbinds a key of
    /// its base); empty when unbound.
    std::optional<KeyFunction> Lookup(const KeyChord& key) const;
    /// The function the key does where it differs from the Standard map,
    /// which is today's fixed mapping: empty means the key takes today's
    /// path. kNone means the key does nothing.
    std::optional<KeyFunction> Override(const KeyChord& key) const;
    /// Binds a key, replacing what it did. False when the map is full.
    bool Bind(const KeyChord& key, KeyFunction function);
    /// Unbinds a key: bound to kNone when the base binds it, else forgotten.
    void Remove(const KeyChord& key);
    /// Binds a key to a macro: the key plays it and does nothing else. False
    /// when the map is full or the name is no macro name.
    bool BindMacro(const KeyChord& key, std::string name);
    /// The macro a key plays; empty when the key plays none.
    std::optional<std::string> MacroOf(const KeyChord& key) const;
    const std::map<KeyChord, std::string>& macroBindings() const { return macros_; }
    /// The keys of a function, in chord order.
    std::vector<KeyChord> KeysOf(KeyFunction function) const;
    /// The bindings that differ from the base map's (kNone for keys removed;
    /// keys bound to macros are left out, see macroBindings).
    std::vector<std::pair<KeyChord, KeyFunction>> ChangesFromBase() const;
    const std::map<KeyChord, KeyFunction>& bindings() const { return bindings_; }

    friend bool operator==(const KeyMap&, const KeyMap&) = default;

private:
    BuiltInKeyMap base_ = BuiltInKeyMap::kStandard;
    std::map<KeyChord, KeyFunction> bindings_;
    std::map<KeyChord, std::string> macros_;
};

}  // namespace quenlix
