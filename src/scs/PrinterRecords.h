// The records of a 5250 printer session, both directions: the host's
// startup response with its four-character code, its print and clear
// records, and the printer's answers. Every record carries the GDS header
// (length, 12 A0, two flag bytes) and a pass-through header whose first byte
// counts its own length; the print data follows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlix::scs {

// The first flag byte of the GDS header (offset 4).
inline constexpr std::uint8_t kStartupConfirmationFlag = 0x80;
inline constexpr std::uint8_t kDiagnosticFlag = 0x10;
inline constexpr std::uint8_t kPrinterRecordFlag = 0x01;
// The second flag byte (offset 5): which side sent the printer record.
inline constexpr std::uint8_t kFromPrinterFlag = 0x02;
inline constexpr std::uint8_t kFromHostFlag = 0x01;
// The first byte of the pass-through header's flags (offset 7): a host may
// set it on the empty print record that ends a spooled file.
inline constexpr std::uint8_t kEndOfSpooledFileFlag = 0x02;

/// The printer operation code (offset 9).
inline constexpr std::uint8_t kPrintOperation = 0x01;
inline constexpr std::uint8_t kClearOperation = 0x02;

/// Offset of the pass-through header's length byte.
inline constexpr std::size_t kPassThroughHeaderAt = 6;
/// The pass-through header of the printer's answers: its length, two flag
/// bytes and the operation code.
inline constexpr std::uint8_t kPrintHeaderLength = 4;
/// The pass-through header of a host's print and clear records: the same
/// four bytes and six zero bytes of diagnostic field, so that the print
/// data starts at offset 16.
inline constexpr std::uint8_t kHostPrintHeaderLength = 10;
/// Where a startup response holds its code, the system's name (8) and the
/// device's name (10), all EBCDIC.
inline constexpr std::size_t kStartupCodeAt = 16;
inline constexpr std::size_t kStartupSystemAt = 20;
inline constexpr std::size_t kStartupDeviceAt = 28;
/// Some hosts end a spooled file with a print record of exactly this many
/// bytes (the headers and one byte of data), holding controls only, instead
/// of the flag; its data is printed first.
inline constexpr std::size_t kEndOfSpooledFileRecordLength = 17;
/// How far past the pass-through header the startup code is looked for.
inline constexpr std::size_t kStartupCodeWindow = 16;

/// A startup code and what it means.
struct StartupCode {
    std::string code;  ///< four characters, e.g. "I902" or "8902"
    /// The device is ready: I901, I902 and I906.
    bool Ready() const;
    /// IBM's text of the code; "Unknown startup response code" for others.
    std::string_view Text() const;
};

/// What a host record is to the printer.
struct PrinterRecord {
    enum class Kind {
        kStartupResponse,  ///< the startup response; `code` holds its code
        kPrint,            ///< print data in `data`
        kClear,            ///< the host clears the printer
        kOther,            ///< a record the printer has nothing to do with
        kMalformed,        ///< too short, no GDS header, or a header past the end
    };
    Kind kind = Kind::kMalformed;
    std::optional<StartupCode> code;
    const std::uint8_t* data = nullptr;
    std::size_t dataLength = 0;
    /// The record ends the spooled file (after its data is printed): a print
    /// record without data, or the short closing record.
    bool endOfFile = false;
    /// Why a record is malformed.
    std::string problem;
};

/// Reads one whole host record (its 0xFF doubling undone, no IAC EOR). The
/// data points into `record`.
PrinterRecord ReadPrinterRecord(const std::uint8_t* record, std::size_t count);

/// The printer's answers, byte for byte.
std::vector<std::uint8_t> PrintCompleteRecord();
std::vector<std::uint8_t> ClearedRecord();

// The host's side, for the demo host and tests.
/// A startup response carrying `code` (four characters), the system's name
/// and the device's name (EBCDIC upper-case letters and digits).
std::vector<std::uint8_t> StartupResponseRecord(std::string_view code, std::string_view system,
                                                std::string_view device);
/// A print record with SCS data; `endOfFile` sets the end-of-file flag.
std::vector<std::uint8_t> PrintRecord(const std::vector<std::uint8_t>& scs, bool endOfFile = false);
/// The host's clear record.
std::vector<std::uint8_t> ClearRecord();

}  // namespace quenlix::scs
