// Printer session records.
#include "scs/PrinterRecords.h"

#include <algorithm>
#include <array>

#include "terminal/GdsHeader.h"

namespace quenlix::scs {

namespace {

struct CodeText {
    std::string_view code;
    std::string_view text;
};

// The codes a host's startup response carries, with IBM's texts.
constexpr std::array<CodeText, 27> kStartupCodes{{
    {"I901", "Virtual device has less function than source device"},
    {"I902", "Session successfully started"},
    {"I906", "Automatic sign-on requested, but not allowed; session still allowed"},
    {"2702", "Device description not found"},
    {"2703", "Controller description not found"},
    {"2777", "Damaged device description"},
    {"8901", "Device not varied on"},
    {"8902", "Device not available"},
    {"8903", "Device not valid for session"},
    {"8906", "Session initiation failed"},
    {"8907", "Session failure"},
    {"8910", "Controller not valid for session"},
    {"8916", "No matching device found"},
    {"8917", "Not authorized to object"},
    {"8918", "Job canceled"},
    {"8920", "Object partially damaged"},
    {"8921", "Communications error"},
    {"8922", "Negative response received"},
    {"8923", "Start-up record built incorrectly"},
    {"8925", "Creation of device failed"},
    {"8928", "Change of device failed"},
    {"8929", "Vary on or vary off failed"},
    {"8930", "Message queue does not exist"},
    {"8934", "Start-up for S/36 WSF received"},
    {"8935", "Session rejected"},
    {"8936", "Security failure on session attempt"},
    {"8940", "Automatic configuration failed or not allowed"},
}};

// EBCDIC 'I' and the digits: the characters of a startup code.
constexpr std::uint8_t kEbcdicI = 0xC9;
constexpr std::uint8_t kEbcdicZero = 0xF0;
constexpr std::uint8_t kEbcdicNine = 0xF9;

bool IsDigit(std::uint8_t b) { return b >= kEbcdicZero && b <= kEbcdicNine; }

char Ascii(std::uint8_t b) {
    if (b == kEbcdicI) return 'I';
    if (IsDigit(b)) return static_cast<char>('0' + (b - kEbcdicZero));
    if (b >= 0xC1 && b <= 0xC9) return static_cast<char>('A' + (b - 0xC1));
    if (b >= 0xD1 && b <= 0xD9) return static_cast<char>('J' + (b - 0xD1));
    if (b >= 0xE2 && b <= 0xE9) return static_cast<char>('S' + (b - 0xE2));
    return ' ';
}

std::uint8_t Ebcdic(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(kEbcdicZero + (c - '0'));
    if (c >= 'A' && c <= 'I') return static_cast<std::uint8_t>(0xC1 + (c - 'A'));
    if (c >= 'J' && c <= 'R') return static_cast<std::uint8_t>(0xD1 + (c - 'J'));
    if (c >= 'S' && c <= 'Z') return static_cast<std::uint8_t>(0xE2 + (c - 'S'));
    return 0x40;
}

// Whether SCS data holds controls only, no character to print: the short
// closing record does, and a page of one short word of the same length
// does not.
bool ControlsOnly(const std::uint8_t* data, std::size_t count) {
    for (std::size_t at = 0; at < count;) {
        if (data[at] == 0x2B) {
            if (count - at < 3 || data[at + 2] == 0)
                return true;  // cut off: nothing printable follows
            at += 2 + data[at + 2];
        } else if (data[at] >= 0x40) {
            return false;
        } else {
            ++at;
        }
    }
    return true;
}

void PutLength(std::vector<std::uint8_t>& r) {
    r[0] = static_cast<std::uint8_t>(r.size() >> 8);
    r[1] = static_cast<std::uint8_t>(r.size());
}

std::vector<std::uint8_t> Answer(std::uint8_t operation) {
    std::vector<std::uint8_t> r{0,
                                0,
                                kGdsHeader[0],
                                kGdsHeader[1],
                                kPrinterRecordFlag,
                                kFromPrinterFlag,
                                kPrintHeaderLength,
                                0x00,
                                0x00,
                                operation};
    PutLength(r);
    return r;
}

/// A host's print or clear record without data: the answer's header with
/// the host's direction and the zero diagnostic field.
std::vector<std::uint8_t> HostRecord(std::uint8_t operation) {
    std::vector<std::uint8_t> r = Answer(operation);
    r[5] = kFromHostFlag;
    r[kPassThroughHeaderAt] = kHostPrintHeaderLength;
    r.resize(kPassThroughHeaderAt + kHostPrintHeaderLength, 0x00);
    PutLength(r);
    return r;
}

}  // namespace

bool StartupCode::Ready() const { return code == "I901" || code == "I902" || code == "I906"; }

std::string_view StartupCode::Text() const {
    for (const CodeText& c : kStartupCodes) {
        if (c.code == code) return c.text;
    }
    return "Unknown startup response code";
}

PrinterRecord ReadPrinterRecord(const std::uint8_t* record, std::size_t count) {
    PrinterRecord r;
    if (count < kPassThroughHeaderAt + 1) {
        r.problem = "record shorter than its header";
        return r;
    }
    if (record[2] != kGdsHeader[0] || record[3] != kGdsHeader[1]) {
        r.problem = "no GDS header";
        return r;
    }
    const std::size_t headerLength = record[kPassThroughHeaderAt];
    const std::size_t dataAt = kPassThroughHeaderAt + headerLength;
    if (headerLength == 0 || dataAt > count) {
        r.problem = "pass-through header longer than the record";
        return r;
    }
    if (record[4] & kStartupConfirmationFlag) {
        // The code follows the header's fixed fields, which never hold a
        // character of a code; it is looked for in a short window.
        const std::size_t end = std::min(count, dataAt + kStartupCodeWindow);
        for (std::size_t at = dataAt; at + 4 <= end; ++at) {
            if ((record[at] == kEbcdicI || IsDigit(record[at])) && IsDigit(record[at + 1]) &&
                IsDigit(record[at + 2]) && IsDigit(record[at + 3])) {
                StartupCode code;
                for (std::size_t k = 0; k < 4; ++k) code.code += Ascii(record[at + k]);
                r.kind = PrinterRecord::Kind::kStartupResponse;
                r.code = code;
                return r;
            }
        }
        r.problem = "startup response without a code";
        return r;
    }
    if (!(record[4] & kPrinterRecordFlag) || headerLength < kPrintHeaderLength) {
        r.kind = PrinterRecord::Kind::kOther;
        return r;
    }
    const std::uint8_t operation = record[kPassThroughHeaderAt + 3];
    if (operation == kClearOperation) {
        r.kind = PrinterRecord::Kind::kClear;
        return r;
    }
    if (operation != kPrintOperation) {
        r.kind = PrinterRecord::Kind::kOther;
        return r;
    }
    r.kind = PrinterRecord::Kind::kPrint;
    r.data = record + dataAt;
    r.dataLength = count - dataAt;
    // A print record without data (the null print record, flagged or not)
    // is the last of a spooled file; so is the short closing record.
    r.endOfFile = r.dataLength == 0 ||
                  (count == kEndOfSpooledFileRecordLength && ControlsOnly(r.data, r.dataLength));
    return r;
}

std::vector<std::uint8_t> PrintCompleteRecord() { return Answer(kPrintOperation); }

std::vector<std::uint8_t> ClearedRecord() { return Answer(kClearOperation); }

std::vector<std::uint8_t> StartupResponseRecord(std::string_view code, std::string_view system,
                                                std::string_view device) {
    // Header, then fixed fields the printer passes over, then the code, the
    // system's name (8) and the device's name (10), blank-padded: the layout
    // an IBM i host sends, the code at offset 16.
    std::vector<std::uint8_t> r{
        0,    0,    kGdsHeader[0], kGdsHeader[1], kStartupConfirmationFlag | kDiagnosticFlag,
        0x00, 0x05, 0x60,          0x06,          0x00,
        0x20, 0xC0, 0x00,          0x3D,          0x00,
        0x00};
    for (std::size_t k = 0; k < 4; ++k) r.push_back(Ebcdic(k < code.size() ? code[k] : ' '));
    for (std::size_t k = 0; k < 8; ++k) r.push_back(Ebcdic(k < system.size() ? system[k] : ' '));
    for (std::size_t k = 0; k < 10; ++k) r.push_back(Ebcdic(k < device.size() ? device[k] : ' '));
    PutLength(r);
    return r;
}

std::vector<std::uint8_t> PrintRecord(const std::vector<std::uint8_t>& scs, bool endOfFile) {
    std::vector<std::uint8_t> r = HostRecord(kPrintOperation);
    if (endOfFile) r[kPassThroughHeaderAt + 1] = kEndOfSpooledFileFlag;
    r.reserve(r.size() + scs.size());
    for (const std::uint8_t b : scs) r.push_back(b);
    PutLength(r);
    return r;
}

std::vector<std::uint8_t> ClearRecord() { return HostRecord(kClearOperation); }

}  // namespace quenlix::scs
