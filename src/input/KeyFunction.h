// The operator's keyboard functions: everything a key can be bound to. One
// table names them (for map files, the CLI and the mapping dialog) and puts
// them in the groups the dialog shows.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quenlix {

enum class KeyFunction : std::uint8_t {
    kNone,  ///< a key unbound from its base map's function: it does nothing
    // Attention keys.
    kEnter,
    kF1, kF2, kF3, kF4, kF5, kF6, kF7, kF8, kF9, kF10, kF11, kF12,
    kF13, kF14, kF15, kF16, kF17, kF18, kF19, kF20, kF21, kF22, kF23, kF24,
    kRollUp,
    kRollDown,
    kHelp,
    kPrint,
    kClear,
    kPa1,
    kPa2,
    kPa3,
    kAttention,
    kSystemRequest,
    // Cursor movement.
    kTab,
    kBacktab,
    kHome,
    kEnd,
    kLeft,
    kRight,
    kUp,
    kDown,
    kWordLeft,
    kWordRight,
    kNewLine,
    kHomePosition,
    // Field editing.
    kInsert,
    kDelete,
    kBackspace,
    kFieldPlus,
    kFieldMinus,
    kFieldExit,
    kDup,
    kFieldMark,
    kEraseEof,
    kEraseInput,
    kDeleteFields,
    kReset,
};

enum class KeyFunctionGroup : std::uint8_t { kAttention, kCursor, kEditing };

struct KeyFunctionInfo {
    KeyFunction function;
    std::string_view name;         ///< the name in map files and the CLI's `key`
    std::string_view description;  ///< one line for the mapping dialog and help
    KeyFunctionGroup group;
};

/// Every function but kNone, in the order the dialog lists them.
std::span<const KeyFunctionInfo> KeyFunctions();
/// The function of a name (case-sensitive, as in map files); "None" gives
/// kNone. Empty for an unknown name.
std::optional<KeyFunction> KeyFunctionByName(std::string_view name);
/// The name of a function ("None" for kNone).
std::string_view KeyFunctionName(KeyFunction function);
/// 1..24 for F1..F24, 0 for any other function.
int FunctionKeyNumber(KeyFunction function);

}  // namespace quenlix
