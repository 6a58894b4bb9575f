// Why the terminal refused a key, and how it says so: the refused key
// changes nothing and sends nothing, but sounds the alarm once and leaves a
// short reason on the indicator row until the next key.
#pragma once

#include <string>
#include <string_view>

#include "input/InputLinks.h"

namespace quenlix {

/// The reasons, short enough for the indicator row of a 24 x 80 screen.
namespace refusal {
inline constexpr std::string_view kProtected = "Protected area: no typing here";
inline constexpr std::string_view kDigitsOnly = "Numeric field: digits only";
inline constexpr std::string_view kNumericOnly = "Numeric field: digits + - , . blank";
inline constexpr std::string_view kAlphabeticOnly = "Alphabetic field: letters , . - blank";
inline constexpr std::string_view kNotKeyable = "This field takes no typing";
inline constexpr std::string_view kSignPosition = "Sign position: use Field+ or Field-";
inline constexpr std::string_view kFieldFull = "Insert: the field is full";
inline constexpr std::string_view kFieldMinus = "Field- only in numeric fields";
inline constexpr std::string_view kNotInCodePage = "Not in the host's code page";
inline constexpr std::string_view kMandatoryFill = "Mandatory fill: fill or clear it";
inline constexpr std::string_view kMandatoryEnter = "Mandatory field: enter data first";
inline constexpr std::string_view kFieldExitRequired = "Field Exit required";
inline constexpr std::string_view kDupNotAllowed = "Dup is not allowed in this field";
inline constexpr std::string_view kClickWhileLocked = "Keyboard locked: click again when it frees";
inline constexpr std::string_view kNoOptionField = "No field here takes the option";
inline constexpr std::string_view kChoiceUnavailable = "That choice is not available";
}  // namespace refusal

/// A field's rule as a refused paste names it after the field's label
/// ("digits only"): the refusal reason without the field's kind.
std::string_view PasteRule(std::string_view reason);

/// Refuses the key: the reason goes on the indicator row
/// (TerminalState::refusedReason) and the front end sounds the alarm
/// (MessageBoxes::KeyRefused).
void RefuseKey(const InputLinks& links, std::string_view reason);

/// A new key began: the reason of the last refusal goes.
void ClearRefusal(const InputLinks& links);

}  // namespace quenlix
