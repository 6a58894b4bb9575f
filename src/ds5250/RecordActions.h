// What the record walker finds in a host command stream, as named actions:
// the operation code and what follows it, each command with its operands,
// each Write To Display order with its operands, display data in runs. The
// interpreter implements them on the terminal model, the describer as
// readable lines; NullRecordActions does nothing (tests, fuzzing).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quenlix::ds {

/// The two control bytes after Write To Display and the two reads.
struct WriteControlBytes {
    std::uint8_t cc1 = 0;
    std::uint8_t cc2 = 0;
};

/// A Start of Header order: its length byte and the bytes it counts. Bytes
/// the length does not reach read as 0.
struct HeaderOrder {
    static constexpr std::size_t kMaxBytes = 255;
    std::uint8_t length = 0;
    std::array<std::uint8_t, kMaxBytes> bytes{};  ///< bytes[0] is the order's offset 2
    /// The byte at `offset` from the order byte (1 is the length).
    std::uint8_t at(std::size_t offset) const {
        if (offset == 1) return length;
        return offset >= 2 && offset - 2 < length ? bytes[offset - 2] : 0;
    }
    std::uint8_t flag() const { return at(2); }
    std::uint8_t resequenceField() const { return at(4); }
    std::uint8_t errorRow() const { return at(5); }
};

/// A Start of Field order: an optional field format word, field control
/// words, the attribute and the length.
struct FieldOrder {
    static constexpr std::size_t kControlWordsKept = 8;
    bool formatWord = false;
    std::uint8_t ffw1 = 0;
    std::uint8_t ffw2 = 0;
    std::size_t controlWords = 0;  ///< all of them; the first kControlWordsKept are kept
    std::array<std::array<std::uint8_t, 2>, kControlWordsKept> controlWord{};
    bool resequenced = false;      ///< a control word 0x80 nn was among them
    std::uint8_t resequence = 0;   ///< its nn (of the last one)
    std::size_t resequenceWords = 0;  ///< how many 0x80 nn there were
    std::uint8_t attribute = 0;
    int length = 0;
};

/// An Erase to Address order: the address it erases to, its length byte
/// (which counts itself) and the attribute types it names.
struct EraseOrder {
    int row = 0;
    int column = 0;
    std::uint8_t length = 0;
    std::size_t typeCount = 0;  ///< length - 1 when the length is valid, else 0
    std::array<std::uint8_t, 4> types{};
};

/// The rectangle of a Save Partial Screen or Restore Partial Screen: its
/// flag byte, its top row and left column (from 1), its rows and columns.
struct PartialScreen {
    std::uint8_t flag = 0;
    int row = 0;
    int column = 0;
    int depth = 0;
    int width = 0;
};

/// A Write To Display structured field: its length (which counts itself,
/// the class and the type), class, type and the first kMaxBytes of its data.
struct DisplayStructuredField {
    static constexpr std::size_t kMaxBytes = 4096;
    int length = 0;
    std::uint8_t fieldClass = 0;
    std::uint8_t type = 0;
    std::size_t count = 0;  ///< data bytes that came; only the first kMaxBytes are kept
    std::array<std::uint8_t, kMaxBytes> bytes{};
    std::size_t kept() const { return count < kMaxBytes ? count : kMaxBytes; }
};

/// The start of a Write Structured Field: its length, class, type and flags.
struct StructuredFieldStart {
    int length = 0;
    std::uint8_t fieldClass = 0;
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
};

class RecordActions {
public:
    virtual ~RecordActions() = default;

    // The operation code and the requests that follow it.
    /// A byte read as an operation code: the header's, and the byte after
    /// Cancel Invite, a message light, Save Screen and the reads.
    virtual void OperationCode(std::uint8_t opcode) { (void)opcode; }
    /// Bytes the terminal skips: after No Operation, a reserved or unknown
    /// operation code, a Write Structured Field, and before the escape of a
    /// Save Screen.
    virtual void NotRead(const std::uint8_t* bytes, std::size_t count) {
        (void)bytes;
        (void)count;
    }
    /// The escape and command a Save Screen operation code asks for.
    virtual void SaveScreen() {}
    /// The escape and command of Read Immediate or Read Screen after their
    /// operation code.
    virtual void ReadRequest(std::uint8_t command) { (void)command; }
    /// Where a read's escape belongs came another byte: the walk ends.
    virtual void ReadRequestMissing(std::uint8_t byte) { (void)byte; }

    // Commands.
    /// Where an escape byte belongs came another byte.
    virtual void NoEscape(std::uint8_t byte) { (void)byte; }
    virtual void WriteToDisplay(WriteControlBytes wc) { (void)wc; }
    /// Read Input Fields or Read MDT Fields.
    virtual void ReadFields(std::uint8_t command, WriteControlBytes wc) {
        (void)command;
        (void)wc;
    }
    /// Clear Unit, or Clear Unit Alternate with its operand.
    virtual void ClearUnit(bool alternate, std::uint8_t operand) {
        (void)alternate;
        (void)operand;
    }
    virtual void ClearFormatTable() {}
    /// The Restore Screen command (not the operation code).
    virtual void RestoreScreenCommand() {}
    /// Write Error Code; `cursorGiven` when an Insert Cursor came first.
    virtual void WriteErrorCode(bool cursorGiven, int row, int column) {
        (void)cursorGiven;
        (void)row;
        (void)column;
    }
    /// Write Error Code to Window: the columns the error line is kept to. Its
    /// optional Insert Cursor and its data follow as Write Error Code's do.
    virtual void WriteErrorCodeToWindow(int firstColumn, int lastColumn) {
        (void)firstColumn;
        (void)lastColumn;
    }
    virtual void SavePartialScreen(const PartialScreen& area) { (void)area; }
    /// Restore Partial Screen; the command stream that follows restores it.
    virtual void RestorePartialScreen(const PartialScreen& area) { (void)area; }
    virtual void Roll(std::uint8_t control, int top, int bottom) {
        (void)control;
        (void)top;
        (void)bottom;
    }
    virtual void WriteStructuredField(const StructuredFieldStart& field) { (void)field; }
    /// A command code the terminal does not take here; the next byte is
    /// read as a command code again.
    virtual void UnknownCommand(std::uint8_t code) { (void)code; }

    // Write To Display orders and display data (also Write Error Code's).
    /// An escape ended the display data.
    virtual void EndOfDisplayData() {}
    virtual void StartOfHeader(const HeaderOrder& order) { (void)order; }
    virtual void RepeatToAddress(int row, int column, std::uint8_t character) {
        (void)row;
        (void)column;
        (void)character;
    }
    virtual void InsertCursor(int row, int column) {
        (void)row;
        (void)column;
    }
    virtual void EraseToAddress(const EraseOrder& order) { (void)order; }
    virtual void MoveCursor(int row, int column) {
        (void)row;
        (void)column;
    }
    /// Transparent Data's length; its bytes follow in TransparentBytes.
    virtual void TransparentData(int length) { (void)length; }
    /// Bytes of a Transparent Data order, in runs: none is read as an order.
    virtual void TransparentBytes(const std::uint8_t* bytes, std::size_t count) {
        (void)bytes;
        (void)count;
    }
    virtual void WriteExtendedAttribute(std::uint8_t type, std::uint8_t value) {
        (void)type;
        (void)value;
    }
    virtual void DisplayStructuredFieldOrder(const DisplayStructuredField& field) { (void)field; }
    virtual void SetBufferAddress(int row, int column) {
        (void)row;
        (void)column;
    }
    virtual void StartOfField(const FieldOrder& order) { (void)order; }
    /// Display data: bytes that are no order, in runs.
    virtual void Data(const std::uint8_t* bytes, std::size_t count) {
        (void)bytes;
        (void)count;
    }
};

/// Does nothing.
class NullRecordActions : public RecordActions {};

}  // namespace quenlix::ds
