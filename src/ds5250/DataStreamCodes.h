// Codes of the 5250 data stream: record header, operation codes, commands,
// orders, attention identifiers and negative-response sense codes. The
// field format and control words are in terminal/FieldFormatWord.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "telnet/TelnetCodes.h"
#include "terminal/FieldFormatWord.h"
#include "terminal/GdsHeader.h"
#include "terminal/PendingRead.h"

namespace quenlix::ds {

// GDS record header: length (2), record type 0x12 0xA0, reserved 0x00 0x00,
// variable header length 0x04, flag 1, flag 2, operation code.
// The bytes themselves are kGdsHeader's, which the endpoint also uses.
inline constexpr std::uint8_t kRecordType1 = kGdsHeader[0];
inline constexpr std::uint8_t kRecordType2 = kGdsHeader[1];
inline constexpr std::uint8_t kVariableHeaderLength = kGdsHeader[4];
inline constexpr int kHeaderLength = 10;

// Flag byte 1 of records the terminal sends.
inline constexpr std::uint8_t kFlagError = 0x80;
inline constexpr std::uint8_t kFlagAttention = 0x40;
inline constexpr std::uint8_t kFlagSystemRequest = 0x04;

// Telnet bytes that frame a record, as the telnet layer defines them.
inline constexpr std::uint8_t kIac = telnet::Byte(telnet::Command::IAC);
inline constexpr std::uint8_t kEor = telnet::Byte(telnet::Command::EOR);

enum Opcode : std::uint8_t {
    kOpNoOperation = 0x00,
    kOpInvite = 0x01,
    kOpOutputOnly = 0x02,
    kOpPutGet = 0x03,
    kOpSaveScreen = 0x04,
    kOpRestoreScreen = 0x05,
    kOpReadImmediate = 0x06,
    kOpReserved7 = 0x07,
    kOpReadScreen = 0x08,
    kOpReserved9 = 0x09,
    kOpCancelInvite = 0x0A,
    kOpMessageLightOn = 0x0B,
    kOpMessageLightOff = 0x0C,
};

// Commands, the byte after the escape byte.
inline constexpr std::uint8_t kEscape = 0x04;
enum Command : std::uint8_t {
    kCmdSaveScreen = 0x02,
    kCmdSavePartialScreen = 0x03,
    kCmdWriteToDisplay = 0x11,
    kCmdRestoreScreen = 0x12,
    kCmdRestorePartialScreen = 0x13,
    kCmdClearUnitAlternate = 0x20,
    kCmdWriteErrorCode = 0x21,
    kCmdWriteErrorCodeToWindow = 0x22,
    kCmdRoll = 0x23,
    kCmdClearUnit = 0x40,
    kCmdReadInputFields = kReadInputFields,
    kCmdClearFormatTable = 0x50,
    kCmdReadMdtFields = kReadMdtFields,
    kCmdReadScreen = kReadScreen,
    kCmdReadScreenExtended = 0x64,        ///< with Write Extended Attribute orders
    kCmdReadScreenToPrint = 0x66,
    kCmdReadScreenToPrintExtended = 0x68,
    kCmdReadImmediate = kReadImmediate,
    kCmdWriteStructuredField = 0xF3,
};

/// True for the read commands a Read Screen operation code may carry: the
/// screen's image, with or without its extended attributes, to show or to
/// print (a display station prints nothing itself: the host does).
constexpr bool IsReadScreenCommand(std::uint8_t command) {
    return command == kCmdReadScreen || command == kCmdReadScreenExtended ||
           command == kCmdReadScreenToPrint || command == kCmdReadScreenToPrintExtended;
}

// Write control character, byte 1 (CC1): what is reset before the orders,
// in its top three bits. The other bits are not used.
inline constexpr std::uint8_t kCc1ResetMask = 0xE0;
enum Cc1Reset : std::uint8_t {
    kCc1NoReset = 0x00,
    kCc1ResetPendingAid = 0x20,          ///< no field is touched
    kCc1ResetMdtNonBypass = 0x40,
    kCc1ResetMdtAll = 0x60,
    kCc1NullModifiedNonBypass = 0x80,    ///< non-bypass fields whose MDT is on
    kCc1ResetMdtNullAllNonBypass = 0xA0,
    kCc1NullModifiedResetMdtNonBypass = 0xC0,
    kCc1NullAllNonBypassResetMdtAll = 0xE0,
};

// Write control character, byte 2 (CC2).
enum Cc2Bit : std::uint8_t {
    kCc2CursorStays = 0x40,  ///< the cursor does not move when the keyboard unlocks
    kCc2CursorSteady = 0x20,
    kCc2CursorBlink = 0x10,
    kCc2UnlockKeyboard = 0x08,  ///< once the Write To Display's orders are done
    kCc2Alarm = 0x04,
    kCc2MessageLightOff = 0x02,
    kCc2MessageLightOn = 0x01,  ///< wins when both light bits are set
};

// Roll control byte: direction and number of lines.
inline constexpr std::uint8_t kRollDown = 0x80;
inline constexpr std::uint8_t kRollLinesMask = 0x1F;

// Orders inside Write To Display.
enum Order : std::uint8_t {
    kOrderStartOfHeader = 0x01,
    kOrderRepeatToAddress = 0x02,
    kOrderEraseToAddress = 0x03,
    kOrderTransparentData = 0x10,
    kOrderSetBufferAddress = 0x11,
    kOrderWriteExtendedAttribute = 0x12,
    kOrderInsertCursor = 0x13,
    kOrderMoveCursor = 0x14,
    kOrderDisplayStructuredField = 0x15,
    kOrderStartOfField = 0x1D,
};

// Erase to Address: its length byte counts itself and the attribute types.
inline constexpr std::uint8_t kEraseLengthMin = 2;
inline constexpr std::uint8_t kEraseLengthMax = 5;
// The attribute types an Erase to Address names; 0xFF erases all of them.
enum EraseType : std::uint8_t {
    kEraseCharacters = 0x01,   ///< display characters and extended primary attributes
    kEraseTextAttributes = 0x02,
    kEraseColor = 0x03,
    kEraseIdeographic = 0x04,
    kEraseAll = 0xFF,
};

// Write Extended Attribute: the types a display takes.
enum ExtendedAttributeType : std::uint8_t {
    kExtendedPrimary = 0x01,
    kExtendedForegroundColor = 0x03,
    kExtendedIdeographic = 0x05,
};
// Extended primary attribute bits.
inline constexpr std::uint8_t kExtendedReverse = 0x80;
inline constexpr std::uint8_t kExtendedUnderline = 0x40;
inline constexpr std::uint8_t kExtendedBlink = 0x20;
inline constexpr std::uint8_t kExtendedColumnSeparator = 0x10;
inline constexpr std::uint8_t kExtendedPrimaryReserved = 0x0F;
// Extended foreground colours: 0x00 takes the screen attribute's colour.
inline constexpr std::uint8_t kExtendedColorDefault = 0x00;
inline constexpr std::uint8_t kExtendedColorFirst = 0xF1;  ///< blue
inline constexpr std::uint8_t kExtendedColorLast = 0xF7;   ///< white

// Write To Display structured fields: the class, the length of the part
// before the data (length, class, type), and the types.
inline constexpr std::uint8_t kDisplayFieldClass = 0xD9;
inline constexpr int kDisplayFieldHeader = 4;
enum DisplayFieldType : std::uint8_t {
    kWdsfDefineSelectionField = 0x50,
    kWdsfCreateWindow = 0x51,
    kWdsfUnrestrictedCursor = 0x52,
    kWdsfDefineScrollBar = 0x53,
    kWdsfWriteData = 0x54,
    kWdsfProgrammableMouseButtons = 0x55,
    kWdsfRemoveSelectionField = 0x58,
    kWdsfRemoveWindow = 0x59,
    kWdsfRemoveScrollBar = 0x5B,
    kWdsfRemoveAllConstructs = 0x5F,
    kWdsfDrawGridLines = 0x60,
    kWdsfClearGridLines = 0x61,
};
// Create Window: its flag, the minor structures that may follow.
inline constexpr std::uint8_t kWindowCursorRestricted = 0x80;
inline constexpr std::uint8_t kWindowPullDown = 0x40;
inline constexpr std::uint8_t kMinorBorder = 0x01;
inline constexpr std::uint8_t kMinorTitleFooter = 0x10;
inline constexpr std::uint8_t kTitleIsFooter = 0x40;

// Define Selection Field: its fixed part (after length, class and type),
// the bits of its three flag bytes the display acts on, where the sizes
// sit, and its minor structures. Bit 0 of the reference is 0x80.
inline constexpr std::size_t kSelectionFixedBytes = 16;
inline constexpr std::size_t kSelectionScrollBytes = 8;  ///< total rows, slider position
inline constexpr std::uint8_t kSelectionMouseMask = 0xC0;  ///< flag 1: mouse characteristics
inline constexpr std::uint8_t kSelectionOnlyWithMouse = 0x80;
inline constexpr std::uint8_t kSelectionAutoEnterMask = 0x30;  ///< flag 1: auto-enter kinds
inline constexpr std::uint8_t kSelectionHasScrollBar = 0x80;   ///< flag 2
inline constexpr std::size_t kSelectionTypeAt = 3;
inline constexpr std::size_t kSelectionTextSizeAt = 9;
inline constexpr std::size_t kSelectionRowsAt = 10;
inline constexpr std::size_t kSelectionColumnsAt = 11;
inline constexpr std::size_t kSelectionPaddingAt = 12;
inline constexpr std::size_t kSelectionSeparatorAt = 13;
inline constexpr std::size_t kSelectionCharacterAt = 14;
inline constexpr std::size_t kSelectionCancelAidAt = 15;
enum SelectionMinor : std::uint8_t {
    kMinorChoicePresentation = 0x01,
    kMinorChoiceIndicators = 0x02,
    kMinorScrollBarIndicators = 0x03,
    kMinorMenuBarSeparator = 0x09,
    kMinorChoiceText = 0x10,
};
// Choice text: length, type, three flag bytes, then the optional mnemonic
// offset, AID and numeric characters, then the text.
inline constexpr std::size_t kChoiceFixedBytes = 5;
inline constexpr std::uint8_t kChoiceStateMask = 0xC0;  ///< flag 1
inline constexpr std::uint8_t kChoiceAvailable = 0x40;
inline constexpr std::uint8_t kChoiceSelected = 0x80;
inline constexpr std::uint8_t kChoiceUnavailable = 0xC0;
inline constexpr std::uint8_t kChoiceNewRow = 0x20;
inline constexpr std::uint8_t kChoiceHasMnemonic = 0x08;
inline constexpr std::uint8_t kChoiceHasAid = 0x04;
inline constexpr std::uint8_t kChoiceDigitsMask = 0x03;  ///< 1: one digit, 2: two
inline constexpr std::uint8_t kChoiceNoCursor = 0x80;    ///< flag 2
/// Flag 3: the kinds of display a choice's minor structure is for; a
/// display without a pointer device that underlines takes those with 0x40.
inline constexpr std::uint8_t kChoiceForUnderliningDisplay = 0x40;
inline constexpr std::uint8_t kChoiceForAnyDisplayMask = 0xE0;

// Define Scroll Bar: flag, reserved, total (4), slider position (4), size.
inline constexpr std::size_t kScrollBarFixedBytes = 11;
inline constexpr std::uint8_t kScrollBarHorizontal = 0x80;

// Screen attribute bytes are 0x20..0x3F; every one with the three low bits
// set hides what it introduces (0x27, 0x2F, 0x37, 0x3F).
inline constexpr std::uint8_t kAttributeFirst = 0x20;
inline constexpr std::uint8_t kAttributeLast = 0x3F;
inline constexpr std::uint8_t kAttributeNonDisplay = 0x27;
constexpr bool IsAttribute(std::uint8_t byte) {
    return byte >= kAttributeFirst && byte <= kAttributeLast;
}
constexpr bool IsNonDisplayAttribute(std::uint8_t byte) {
    return IsAttribute(byte) && (byte & kAttributeNonDisplay) == kAttributeNonDisplay;
}

/// True for the bytes the Write To Display state takes for an order or the
/// escape byte rather than display data.
constexpr bool IsOrderCode(std::uint8_t b) {
    switch (b) {
        case kOrderStartOfHeader:
        case kOrderRepeatToAddress:
        case kOrderEraseToAddress:
        case kEscape:
        case kOrderTransparentData:
        case kOrderSetBufferAddress:
        case kOrderWriteExtendedAttribute:
        case kOrderInsertCursor:
        case kOrderMoveCursor:
        case kOrderDisplayStructuredField:
        case kOrderStartOfField:
            return true;
        default:
            return false;
    }
}

// Structured field query.
inline constexpr std::uint8_t kQueryType = 0x70;
inline constexpr std::uint8_t kQueryClass = 0xD9;
inline constexpr std::uint8_t kQueryReplyFlag = 0x80;  ///< the byte after the type in the reply
// The query reply's capability bytes of the enhanced interface: enhanced
// field control words and Write To Display structured fields (0x02) with
// Write Error Code to Window (0x01); the user interface level 2 (0x80).
inline constexpr std::uint8_t kQueryStructuredFields = 0x02;
inline constexpr std::uint8_t kQueryErrorCodeToWindow = 0x01;
inline constexpr std::uint8_t kQueryEnhancedCapabilities =
    kQueryStructuredFields | kQueryErrorCodeToWindow;
inline constexpr std::uint8_t kQueryEnhancedLevel = 0x80;

// Attention identifiers.
enum Aid : std::uint8_t {
    kAidEnter = 0xF1,
    kAidF1 = 0x31,  // F1..F12 = 0x31..0x3C
    kAidF2 = 0x32,
    kAidF3 = 0x33,
    kAidF4 = 0x34,
    kAidF5 = 0x35,
    kAidF6 = 0x36,
    kAidF7 = 0x37,
    kAidF8 = 0x38,
    kAidF9 = 0x39,
    kAidF10 = 0x3A,
    kAidF11 = 0x3B,
    kAidF12 = 0x3C,
    kAidF13 = 0xB1,  // F13..F24 = 0xB1..0xBC: F1..F12 with 0x80
    kAidF14 = 0xB2,
    kAidF15 = 0xB3,
    kAidF16 = 0xB4,
    kAidF17 = 0xB5,
    kAidF18 = 0xB6,
    kAidF19 = 0xB7,
    kAidF20 = 0xB8,
    kAidF21 = 0xB9,
    kAidF22 = 0xBA,
    kAidF23 = 0xBB,
    kAidF24 = 0xBC,
    kAidRollDown = 0xF4,
    kAidRollUp = 0xF5,
    kAidHelp = 0xF3,
    kAidPrint = 0xF6,
    kAidRecordBackspace = 0xF8,
    kAidClear = 0xBD,
    kAidPa1 = 0x6C,
    kAidPa2 = 0x6E,
    kAidPa3 = 0x6B,
    kAidStructuredField = 0x88,
    kAidNone = 0x00,  ///< the AID byte of a Read Immediate answer
};

inline constexpr int kFunctionKeys = 24;

/// The AID of function key F`n`, 1..24; kAidNone for any other number.
constexpr Aid AidOfFunctionKey(int n) {
    if (n >= 1 && n <= 12) return static_cast<Aid>(kAidF1 + (n - 1));
    if (n >= 13 && n <= kFunctionKeys) return static_cast<Aid>(kAidF13 + (n - 13));
    return kAidNone;
}

/// The function key number 1..24 an AID names; 0 for any other AID.
constexpr int FunctionKeyOfAid(std::uint8_t aid) {
    if (aid >= kAidF1 && aid <= kAidF12) return aid - kAidF1 + 1;
    if (aid >= kAidF13 && aid <= kAidF24) return aid - kAidF13 + 13;
    return 0;
}

// Last sense byte of a negative response (0x10 0x05 0x01 c).
inline constexpr std::uint8_t kSensePrefix[] = {0x10, 0x05, 0x01};
enum Sense : std::uint8_t {
    kSenseStructuredFieldLength = 0x10,
    kSenseStructuredFieldType = 0x11,
    kSenseStructuredFieldParameter = 0x12,
    kSenseMinorStructureLength = 0x13,
    kSenseMinorStructureParameter = 0x14,
    kSenseInvalidAddress = 0x22,     ///< an order's row or column off the screen
    kSenseAddressBehind = 0x23,      ///< Repeat/Erase to Address before the current address
    kSenseFieldBeyondScreen = 0x28,
    kSenseWriteBeyondScreen = 0x2A,
    kSenseInvalidRoll = 0x2C,
    kSenseExtendedAttributeType = 0x2D,
    kSenseExtendedAttribute = 0x2F,
    kSenseErrorWindowAddress = 0x32,
    kSenseTooManyWindows = 0x3E,
};

}  // namespace quenlix::ds
