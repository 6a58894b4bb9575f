// The 5250 data-stream interpreter: runs the commands and Write To Display
// orders of each record the host sends against the terminal model, and
// answers what must be answered at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ds5250/HostReads.h"
#include "ds5250/RecordActions.h"
#include "ds5250/RecordWalker.h"
#include "session/SessionSettings.h"
#include "terminal/MessageBoxes.h"
#include "terminal/RecordSender.h"
#include "terminal/TerminalState.h"
#include "terminal/TranslationCache.h"

namespace quenlix {

/// Everything the interpreter talks to. The references must outlive it.
struct InterpreterLinks {
    Terminal& terminal;
    TranslationCache& tables;
    const SessionSettings& settings;  ///< "Page Code" is read at every translation
    RecordSender& sender;
    MessageBoxes& messages;
};

/// What a record gave rise to beyond the model, for the caller to show or
/// keep: the interpreter itself opens no box and writes no file.
struct RecordOutcome {
    /// Most notices kept for one record; a host can send a field with a
    /// resequencing word on every position.
    static constexpr std::size_t kMaxNotices = 16;
    struct Notice {
        HostNotice kind;
        const char* text;  ///< a static text
    };
    std::vector<Notice> notices;
    /// A byte the interpreter could not place: the report and the record's
    /// bytes in hexadecimal, as the unplaced-byte trace file holds them;
    /// empty when there was none.
    std::string trace;
};

/// Runs each record the host sends against the terminal model: the record
/// walker reads it and calls this interpreter's actions. Answers due at once
/// go through the sender.
class CTN5250 : public ds::RecordActions {
public:
    /// Most bytes of the trace text: a longer dump is cut there.
    static constexpr std::size_t kMaxTraceBytes = 1u << 20;

    explicit CTN5250(const InterpreterLinks& links);

    /// The answers sent at once for Save Screen, Read Screen, Read Immediate
    /// and the query. Without one, those requests are answered by nothing.
    void SetHostReads(HostReads* reads) { reads_ = reads ? reads : &nullReads_; }
    /// Where the walker's actions go first; `tap` passes each on to this
    /// interpreter (a RecordActionLog made with it). nullptr: straight here.
    void SetActionTap(ds::RecordActions* tap) { tap_ = tap; }

    /// Interprets one record: from its first length byte, IAC doubling
    /// undone, without IAC EOR. What it gave rise to stays in outcome()
    /// until the next record, also when an answer's send throws out of here.
    const RecordOutcome& ProcessRecord(const std::uint8_t* bytes, std::size_t length);
    const RecordOutcome& outcome() const { return outcome_; }

    /// Sends the negative response with sense bytes 0x10 0x05 0x01 `sense`.
    void SendNegativeResponse(std::uint8_t sense);

    /// The write control character of Write To Display and the reads: the
    /// resets and nulling of CC1, and the keyboard lock every non-zero reset
    /// pattern of CC1 brings; the cursor blink, alarm and message light of
    /// CC2. Returns whether CC2 asks to unlock the keyboard (for Write To
    /// Display once its orders are done); CC2 never locks it.
    bool ProcessWriteControl(std::uint8_t cc1, std::uint8_t cc2);

    /// What Start of Header and Insert Cursor left in force, as the model
    /// keeps it (Terminal::state.hostFormat).
    int resequenceField() const { return t_.state.hostFormat.resequenceField; }
    int errorRow() const { return t_.state.hostFormat.errorRow; }

    // The walker's actions.
    void OperationCode(std::uint8_t opcode) override;
    void NotRead(const std::uint8_t* bytes, std::size_t count) override;
    void SaveScreen() override;
    void ReadRequest(std::uint8_t command) override;
    void ReadRequestMissing(std::uint8_t byte) override;
    void NoEscape(std::uint8_t byte) override;
    void WriteToDisplay(ds::WriteControlBytes wc) override;
    void ReadFields(std::uint8_t command, ds::WriteControlBytes wc) override;
    void ClearUnit(bool alternate, std::uint8_t operand) override;
    void ClearFormatTable() override;
    void RestoreScreenCommand() override;
    void WriteErrorCode(bool cursorGiven, int row, int column) override;
    void Roll(std::uint8_t control, int top, int bottom) override;
    void WriteStructuredField(const ds::StructuredFieldStart& field) override;
    void UnknownCommand(std::uint8_t code) override;
    void EndOfDisplayData() override;
    void StartOfHeader(const ds::HeaderOrder& order) override;
    void RepeatToAddress(int row, int column, std::uint8_t character) override;
    void InsertCursor(int row, int column) override;
    void EraseToAddress(const ds::EraseOrder& order) override;
    void MoveCursor(int row, int column) override;
    void TransparentData(int length) override;
    void TransparentBytes(const std::uint8_t* bytes, std::size_t count) override;
    void WriteExtendedAttribute(std::uint8_t type, std::uint8_t value) override;
    void DisplayStructuredFieldOrder(const ds::DisplayStructuredField& field) override;
    void WriteErrorCodeToWindow(int firstColumn, int lastColumn) override;
    void SavePartialScreen(const ds::PartialScreen& area) override;
    void RestorePartialScreen(const ds::PartialScreen& area) override;
    void SetBufferAddress(int row, int column) override;
    void StartOfField(const ds::FieldOrder& order) override;
    void Data(const std::uint8_t* bytes, std::size_t count) override;

private:
    /// What one record's walk has done so far.
    struct RecordState {
        int writeRow = 1;
        int writeColumn = 1;
        bool changed = false;
        bool cursorGiven = false;
        bool rolled = false;
        bool stopped = false;
        bool unlockAfterOrders = false;    ///< CC2 of the Write To Display asked to unlock
        bool cursorStaysOnUnlock = false;  ///< ... with the cursor left where it is (CC2 0x40)
        bool cursorStays = false;          ///< the keyboard unlocked so: the record leaves the cursor
        bool restoring = false;            ///< a Restore Screen operation code came
        bool unknownOperationCode = false; ///< every byte after it is reported
        bool cursorMoved = false;          ///< a Move Cursor came after any Insert Cursor
        int movedRow = 1;
        int movedColumn = 1;
        int errorWindowFirst = 0;          ///< Write Error Code to Window's columns, 0: none
        int errorWindowLast = 0;
        std::string report;                ///< last report of an unplaced byte
    };

    /// The position of the write address after the column wrap, or -1 when
    /// it lies off the screen (the record is then stopped with 0x2A).
    int DataPosition();
    void WriteDataByte(std::uint8_t byte);
    void StopWithNegativeResponse(std::uint8_t sense);
    /// Nulls the field's data positions (EBCDIC 0x00, shown blank).
    void NullField(const FieldEntry& e);
    /// The display data of a Write To Display ended: an unlock its CC2 asked
    /// for happens now.
    void EndOfWriteToDisplay();
    void EndOfRecord();
    void PlaceCursorOnFirstInputField();
    void Notice(HostNotice kind, const char* text);
    /// Reports the byte at `index` of the record (the last report stays).
    void Report(std::size_t index, const char* format, bool withLength);
    /// The record's index of the byte the walker is at, `ahead` bytes on.
    std::size_t WalkIndex(std::size_t ahead = 0) const;
    void TraceUnplacedByte();
    /// A rectangle wholly on the screen.
    bool OnScreen(const ds::PartialScreen& area) const;
    /// The structured fields of the enhanced interface.
    void CreateWindow(const ds::DisplayStructuredField& field);
    void DrawWindow(const HostWindow& window, const std::array<std::uint8_t, 8>& border);
    void DefineSelectionField(const ds::DisplayStructuredField& field);
    /// Writes the choices' numbers and text into the cells.
    void DrawSelectionField(const SelectionField& field, std::uint8_t separator);
    void DefineScrollBar(const ds::DisplayStructuredField& field);
    /// Remove Selection Field or Remove Scroll Bar: the one defined at the
    /// write address, else the one last defined.
    void RemoveSelectionConstruct(std::uint8_t type);

    int CodePage() const { return links_.settings.PageCode; }
    /// Display data of a record is translated with one table lookup a byte:
    /// the session's table is selected once when the record starts.
    std::uint8_t ToPc(std::uint8_t ebcdic) const { return (*etoa_)[ebcdic]; }

    InterpreterLinks links_;
    Terminal& t_;
    NullHostReads nullReads_;
    HostReads* reads_ = &nullReads_;
    ds::RecordActions* tap_ = nullptr;
    const std::array<std::uint8_t, 256>* etoa_ = nullptr;

    // The record being walked.
    const std::uint8_t* record_ = nullptr;
    std::size_t recordLength_ = 0;
    ds::RecordWalker* walker_ = nullptr;
    RecordState r_;
    RecordOutcome outcome_;
};

}  // namespace quenlix
