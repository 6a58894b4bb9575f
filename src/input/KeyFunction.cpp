// The table of keyboard functions.
#include "input/KeyFunction.h"

#include <array>

namespace quenlix {

namespace {

using enum KeyFunction;
using G = KeyFunctionGroup;

constexpr std::array<KeyFunctionInfo, 59> kFunctions = {{
    {kEnter, "Enter", "Send the screen's input (Enter)", G::kAttention},
    {kF1, "F1", "Function key 1", G::kAttention},
    {kF2, "F2", "Function key 2", G::kAttention},
    {kF3, "F3", "Function key 3", G::kAttention},
    {kF4, "F4", "Function key 4", G::kAttention},
    {kF5, "F5", "Function key 5", G::kAttention},
    {kF6, "F6", "Function key 6", G::kAttention},
    {kF7, "F7", "Function key 7", G::kAttention},
    {kF8, "F8", "Function key 8", G::kAttention},
    {kF9, "F9", "Function key 9", G::kAttention},
    {kF10, "F10", "Function key 10", G::kAttention},
    {kF11, "F11", "Function key 11", G::kAttention},
    {kF12, "F12", "Function key 12", G::kAttention},
    {kF13, "F13", "Function key 13", G::kAttention},
    {kF14, "F14", "Function key 14", G::kAttention},
    {kF15, "F15", "Function key 15", G::kAttention},
    {kF16, "F16", "Function key 16", G::kAttention},
    {kF17, "F17", "Function key 17", G::kAttention},
    {kF18, "F18", "Function key 18", G::kAttention},
    {kF19, "F19", "Function key 19", G::kAttention},
    {kF20, "F20", "Function key 20", G::kAttention},
    {kF21, "F21", "Function key 21", G::kAttention},
    {kF22, "F22", "Function key 22", G::kAttention},
    {kF23, "F23", "Function key 23", G::kAttention},
    {kF24, "F24", "Function key 24", G::kAttention},
    {kRollUp, "RollUp", "Roll Up: the next page", G::kAttention},
    {kRollDown, "RollDown", "Roll Down: the previous page", G::kAttention},
    {kHelp, "Help", "Help", G::kAttention},
    {kPrint, "Print", "Print the screen on the host's printer", G::kAttention},
    {kClear, "Clear", "Clear: the host sends the screen again", G::kAttention},
    {kPa1, "PA1", "Program attention 1", G::kAttention},
    {kPa2, "PA2", "Program attention 2", G::kAttention},
    {kPa3, "PA3", "Program attention 3", G::kAttention},
    {kAttention, "Attn", "Attention request", G::kAttention},
    {kSystemRequest, "SysReq", "System request line", G::kAttention},
    {kTab, "Tab", "Next input field", G::kCursor},
    {kBacktab, "Backtab", "Previous input field", G::kCursor},
    {kHome, "Home", "Start of the field (of the row outside fields)", G::kCursor},
    {kEnd, "End", "End of the field's text", G::kCursor},
    {kLeft, "Left", "Cursor left", G::kCursor},
    {kRight, "Right", "Cursor right", G::kCursor},
    {kUp, "Up", "Cursor up", G::kCursor},
    {kDown, "Down", "Cursor down", G::kCursor},
    {kWordLeft, "WordLeft", "Previous word", G::kCursor},
    {kWordRight, "WordRight", "Next word", G::kCursor},
    {kNewLine, "NewLine", "First input field of the next rows", G::kCursor},
    {kHomePosition, "HomePosition", "The screen's home position", G::kCursor},
    {kInsert, "Insert", "Insert or overwrite", G::kEditing},
    {kDelete, "Delete", "Delete the character under the cursor", G::kEditing},
    {kBackspace, "Backspace", "Delete the character before the cursor", G::kEditing},
    {kFieldPlus, "FieldPlus", "Field+: adjust the field and go to the next", G::kEditing},
    {kFieldMinus, "FieldMinus", "Field-: a negative number, then the next field",
     G::kEditing},
    {kFieldExit, "FieldExit", "Field Exit: adjust the field and go to the next", G::kEditing},
    {kDup, "Dup", "Duplicate the field from the previous record", G::kEditing},
    {kFieldMark, "FieldMark", "Field Mark at the cursor", G::kEditing},
    {kEraseEof, "EraseEOF", "Erase to the end of the field", G::kEditing},
    {kEraseInput, "EraseInput", "Erase every input field", G::kEditing},
    {kDeleteFields, "DeleteFields", "Blank every modified field", G::kEditing},
    {kReset, "Reset", "Reset: end a refusal, overwrite mode, leave the request line",
     G::kEditing},
}};

// Compile-time check that the table holds every function once, in order.
constexpr bool TableIsComplete() {
    for (std::size_t i = 0; i < kFunctions.size(); ++i) {
        if (static_cast<std::size_t>(kFunctions[i].function) != i + 1) return false;
    }
    return static_cast<std::size_t>(kReset) == kFunctions.size();
}
static_assert(TableIsComplete(), "every keyboard function has one row, in enum order");

constexpr std::string_view kNoneName = "None";

}  // namespace

std::span<const KeyFunctionInfo> KeyFunctions() { return kFunctions; }

std::optional<KeyFunction> KeyFunctionByName(std::string_view name) {
    if (name == kNoneName) return kNone;
    for (const KeyFunctionInfo& f : kFunctions) {
        if (f.name == name) return f.function;
    }
    return std::nullopt;
}

std::string_view KeyFunctionName(KeyFunction function) {
    const auto index = static_cast<std::size_t>(function);
    if (index == 0 || index > kFunctions.size()) return kNoneName;
    return kFunctions[index - 1].name;
}

int FunctionKeyNumber(KeyFunction function) {
    const int n = static_cast<int>(function) - static_cast<int>(kF1) + 1;
    return n >= 1 && n <= 24 ? n : 0;
}

}  // namespace quenlix
