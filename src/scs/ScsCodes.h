// The SCS (SNA Character String) control codes a 5250 printer session reads.
// Every byte below 0x40 is a control; 0x40 and above are graphic characters
// in the session's EBCDIC code page.
#pragma once

#include <cstdint>

namespace quenlix::scs {

/// Bytes below this are controls, the rest print.
inline constexpr std::uint8_t kFirstGraphic = 0x40;

// One-byte controls.
inline constexpr std::uint8_t kNull = 0x00;                  ///< NUL: nothing
inline constexpr std::uint8_t kHorizontalTab = 0x05;         ///< HT: to the next tab stop
inline constexpr std::uint8_t kRequiredNewLine = 0x06;       ///< RNL: as NL
inline constexpr std::uint8_t kVerticalTab = 0x0B;           ///< VT: to the next vertical tab stop
inline constexpr std::uint8_t kFormFeed = 0x0C;              ///< FF: a new page
inline constexpr std::uint8_t kCarriageReturn = 0x0D;        ///< CR: to the left margin
inline constexpr std::uint8_t kNewLine = 0x15;               ///< NL: the next line's left margin
inline constexpr std::uint8_t kBackspace = 0x16;             ///< BS: one column back
inline constexpr std::uint8_t kInterchangeRecordSep = 0x1E;  ///< IRS: as NL
inline constexpr std::uint8_t kLineFeed = 0x25;              ///< LF: the next line, same column
inline constexpr std::uint8_t kSetAttribute = 0x28;          ///< SA type value: no effect on text
inline constexpr std::uint8_t kClassPrefix = 0x2B;           ///< 2B class count parameters...
inline constexpr std::uint8_t kBell = 0x2F;                  ///< BEL
inline constexpr std::uint8_t kPresentationPosition = 0x34;  ///< PP type value
inline constexpr std::uint8_t kTransparent = 0x35;           ///< TRN count bytes: printed as data
inline constexpr std::uint8_t kSubstitute = 0x3F;            ///< SUB: prints the substitute mark

// The second byte of a presentation-position control.
inline constexpr std::uint8_t kAbsoluteHorizontal = 0xC0;  ///< AHPP: to column n
inline constexpr std::uint8_t kAbsoluteVertical = 0xC4;    ///< AVPP: to line n
inline constexpr std::uint8_t kRelativeHorizontal = 0xC8;  ///< RHPP: n columns right
inline constexpr std::uint8_t kRelativeVertical = 0x4C;    ///< RVPP: n lines down

// The class byte after 0x2B. The byte after it counts itself and the
// parameters that follow, so the whole control is 2 + count bytes.
inline constexpr std::uint8_t kSetHorizontalFormat = 0xC1;    ///< SHF: MPP LM RM tab stops
inline constexpr std::uint8_t kSetVerticalFormat = 0xC2;      ///< SVF: MPL TM BM vertical tabs
inline constexpr std::uint8_t kSetLineDensity = 0xC6;         ///< SLD: line distance in 1/72 inch
inline constexpr std::uint8_t kSetGraphicErrorAction = 0xC8;  ///< SGEA: action
inline constexpr std::uint8_t kSetCodePage = 0xD1;            ///< SCGL: 01 GCSGID CPGID
inline constexpr std::uint8_t kSetCharacterDistance = 0xD2;   ///< SCD: 29 distance (2 bytes)
/// The function byte of SCD inside class 0xD2.
inline constexpr std::uint8_t kCharacterDistanceFunction = 0x29;
/// The function byte of SCGL inside class 0xD1.
inline constexpr std::uint8_t kCodePageFunction = 0x01;

}  // namespace quenlix::scs
