// Key and command codes of the operator's keyboard: the virtual-key codes of
// key-down events, the character codes and scan codes of character events,
// and the command ids of the special key bar.
#pragma once

#include <cstdint>

namespace quenlix::keys {

// Virtual-key codes (key-down, system-key-down, key-up).
enum VirtualKey : int {
    kVkBackspace = 0x08,
    kVkTab = 0x09,
    kVkEnter = 0x0D,
    kVkShift = 0x10,
    kVkControl = 0x11,
    kVkCapsLock = 0x14,
    kVkEscape = 0x1B,
    kVkSpace = 0x20,
    kVkPageUp = 0x21,
    kVkPageDown = 0x22,
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkInsert = 0x2D,
    kVkDelete = 0x2E,
    kVkKeypadPlus = 0x6B,
    kVkKeypadMinus = 0x6D,
    kVkF1 = 0x70,   // F1..F12 = 0x70..0x7B
    kVkF10 = 0x79,  // arrives as a system key
    kVkF12 = 0x7B,
    kVkOemPlus = 0xBB,   // the main keyboard's "+"
    kVkOemMinus = 0xBD,  // the main keyboard's "-"
    kVkOther = 0xDF,     // any key without a row of its own
};

// Character codes with an action of their own.
enum CharacterCode : int {
    kCharBackspace = 8,
    kCharTab = 9,
    kCharEnter = 13,
    kCharEscape = 27,
};

// Scan codes (bits 16..23 of a key message).
enum ScanCode : std::uint8_t {
    kScanEscape = 0x01,
    kScanMinus = 0x0C,
    kScanPlus = 0x0D,  // "+" of the main keyboard (shifted "=")
    kScanBackspace = 0x0E,
    kScanTab = 0x0F,
    kScanEnter = 0x1C,
    kScanKeypadMinus = 0x4A,
    kScanKeypadPlus = 0x4E,
};

// Commands of the special key bar.
enum Command : int {
    kCmdSystemRequest = 32784,
    kCmdAttention = 32785,
    kCmdHelp = 32786,
    kCmdPrevious = 32787,
    kCmdNext = 32788,
    kCmdPrint = 32789,
    kCmdRefresh = 32791,
    kCmdDeleteFields = 32792,
    kCmdPa1 = 32793,
    kCmdPa2 = 32794,
    kCmdPa3 = 32795,
};

}  // namespace quenlix::keys
