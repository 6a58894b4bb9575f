// The one reading of a host command stream: the operation code, commands,
// Write To Display orders and their operands, as the terminal reads them,
// each handed to RecordActions by name. The interpreter and the describer
// walk records with it, so both read every record the same way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "ds5250/RecordActions.h"

namespace quenlix::ds {

/// Fed the bytes of one record (IAC doubling undone) after its header, in
/// any pieces: a command or order cut between two Feed calls is read the
/// same as whole. Display data goes to Data in runs that never reach past
/// the bytes of one Feed call. Holds at most one order's operands.
class RecordWalker {
public:
    /// Where the walk starts: at the header's operation code (the host's
    /// records), or where an escape and a command are due (the terminal's
    /// Save Screen answer, which is a command stream after its header).
    enum class Start { kOperationCode, kCommands };

    explicit RecordWalker(RecordActions& actions, Start start = Start::kOperationCode)
        : actions_(actions), state_(start == Start::kOperationCode ? kOperationCode : kAwaitEscape) {}

    void Feed(const std::uint8_t* bytes, std::size_t count);
    /// The record ended. A command or order whose operands were cut short
    /// is acted on with the missing operands 0 (cut() true meanwhile).
    void Finish();
    /// An action found the record unreadable: the rest is not walked.
    void Stop() { state_ = kStopped; }

    bool stopped() const { return state_ == kStopped; }
    /// True only while Finish acts on a command or order cut short.
    bool cut() const { return cut_; }
    /// The operands that came of the command or order being acted on (up to
    /// kGivenKept of them): what a cut one had.
    const std::uint8_t* given() const { return given_.data(); }
    std::size_t givenCount() const { return givenCount_; }
    /// The command or order code whose operands are being read.
    std::uint8_t pendingCode() const { return code_; }
    /// Bytes walked before the one being acted on, from the first byte fed.
    std::size_t offset() const { return offset_; }

    static constexpr std::size_t kGivenKept = 260;

private:
    enum State : std::uint8_t {
        kOperationCode,
        kNotRead,
        kSaveScreenEscape,
        kSaveScreenCommand,
        kReadEscape,
        kReadCommand,
        kAwaitEscape,
        kCommandCode,
        kCommandOperands,
        kErrorCodeFirst,
        kErrorCodeCursor,
        kDisplayData,
        kOrderOperands,
        kHeaderLength,
        kHeaderBytes,
        kFieldFirst,
        kFieldFormatWord2,
        kFieldControlOrAttribute,
        kFieldControlWord2,
        kFieldLengthHigh,
        kFieldLengthLow,
        kEraseTypes,
        kTransparentBytes,
        kStructuredFieldBody,
        kStopped,
    };

    /// One byte in every state but data runs; true when it was taken (a
    /// byte that ends Write Error Code's look for a cursor is walked again
    /// as display data).
    bool Byte(std::uint8_t byte);
    /// An order at `p` whose operands are all among the `left` bytes, read
    /// at once: the bytes it took, 0 when it is no order or is cut short.
    std::size_t WholeOrder(const std::uint8_t* p, std::size_t left);
    std::size_t WholeField(const std::uint8_t* p, std::size_t left);
    void OperationCode(std::uint8_t opcode);
    void CommandCode(std::uint8_t code);
    void CommandDone();
    void DisplayOrder(std::uint8_t order);
    void OrderDone();
    void FieldDone();
    void Keep(std::uint8_t byte);
    void BeginOperands(std::uint8_t code, std::size_t wanted);

    /// Bytes of a Transparent Data order, or of a structured field's data,
    /// taken in a run: how many it took.
    std::size_t CountedRun(const std::uint8_t* p, std::size_t left);
    void ErrorCodeFollows();

    RecordActions& actions_;
    State state_;
    bool cut_ = false;
    std::uint8_t code_ = 0;           ///< command or order whose operands are read
    std::uint8_t readCommand_ = 0;    ///< the read command a read operation code awaits
    std::size_t wanted_ = 0;          ///< operands of a fixed-length command or order
    std::array<std::uint8_t, kGivenKept> given_{};
    std::size_t givenCount_ = 0;
    HeaderOrder header_;
    FieldOrder field_;
    std::uint8_t controlByte_ = 0;
    EraseOrder erase_;
    std::size_t counted_ = 0;  ///< bytes of a Transparent Data or structured field still due
    DisplayStructuredField displayField_;
    std::size_t offset_ = 0;
};

}  // namespace quenlix::ds
