// The 5250 data-stream interpreter: walks each block the host sends, record
// by record, runs the commands and Write To Display orders against the
// terminal model, and answers what must be answered at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ds5250/HostReads.h"
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

class CTN5250 {
public:
    /// Size of the private copy a block is read from. A longer block is
    /// copied whole into a larger buffer: no block is cut or overrun.
    static constexpr std::size_t kPrivateBufferSize = 32768;
    /// File the interpreter writes when it meets a byte it cannot place.
    static constexpr const char* kDefaultTraceFile = "trameDefault.txt";
    /// Most bytes the trace file holds: a longer dump is cut there.
    static constexpr std::size_t kMaxTraceBytes = 1u << 20;

    explicit CTN5250(const InterpreterLinks& links);

    /// The answers sent at once for Save Screen, Read Screen, Read Immediate
    /// and the query. Without one, those requests are answered by nothing.
    void SetHostReads(HostReads* reads) { reads_ = reads ? reads : &nullReads_; }
    /// Where the trace of unplaceable bytes goes; empty turns it off. By
    /// default it is kDefaultTraceFile in the user's state folder
    /// (UserStateDirectory), made when the first trace is written. The file
    /// is written owner-only and never through a symbolic link.
    void SetTracePath(std::string path) {
        tracePath_ = std::move(path);
        defaultTracePath_ = false;
    }
    const std::string& tracePath() const { return tracePath_; }

    /// Interprets one block that ends with IAC EOR. Re-entrant: a nested call
    /// (from a message box's event loop) works on its own copy.
    void ProcessBlock(const std::uint8_t* bytes, std::size_t length);

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
    /// Private copies held, one per nesting level reached so far.
    std::size_t privateCopyCount() const { return copies_.size(); }

private:
    // Named states above the 0..255 range of operation-code states.
    enum State : int {
        kAwaitCommand = 256,
        kCommand,
        kDisplayData,
        kSaveScreen,
        kReadImmediate,
        kReadScreen,
    };

    struct Block {
        const std::uint8_t* data = nullptr;
        std::size_t length = 0;
        std::size_t pos = 0;
        int state = 0;
        int writeRow = 1;
        int writeColumn = 1;
        bool changed = false;
        bool cursorGiven = false;
        bool rolled = false;
        bool stopped = false;
        bool unlockAfterOrders = false;  ///< CC2 of the Write To Display asked to unlock
        bool cursorStaysOnUnlock = false;  ///< ... with the cursor left where it is (CC2 0x40)
        bool cursorStays = false;        ///< the keyboard unlocked so: the block leaves the cursor
        bool restoring = false;          ///< a Restore Screen record was met
        std::string trace;  ///< last report; written once when the block ends

        /// The byte at i, or 0 past the end of the block.
        std::uint8_t at(std::size_t i) const { return i < length ? data[i] : 0; }
    };

    struct WriteControl {
        std::uint8_t cc1 = 0, cc2 = 0;
    };
    /// The two control bytes after a Write To Display or read command (at
    /// b.pos); b.pos moves past them.
    WriteControl ReadWriteControl(Block& b);

    void Step(Block& b);
    void StepOperationCode(Block& b);
    void StepAwaitCommand(Block& b);
    void StepCommand(Block& b);
    void StepSaveScreen(Block& b);
    void StepRead(Block& b, std::uint8_t command);
    void EndOfRecordTest(Block& b);

    // Commands.
    void ClearUnit(Block& b, bool alternate);
    void ClearFormatTableCommand(Block& b);
    void WriteErrorCode(Block& b);
    void Roll(Block& b);

    // Write To Display orders and data.
    void StepDisplayData(Block& b);
    void StartOfHeader(Block& b);
    void RepeatToAddress(Block& b);
    void StartOfField(Block& b);
    /// The position of the write address after the column wrap, or -1 when
    /// it lies off the screen (the block is then stopped with 0x2A).
    int DataPosition(Block& b);
    void WriteDataRun(Block& b);
    void WriteDataByte(Block& b, std::uint8_t byte, bool fromDoubledIac);
    void StopWithNegativeResponse(Block& b, std::uint8_t sense);
    /// Nulls the field's data positions (EBCDIC 0x00, shown blank).
    void NullField(const FieldEntry& e);
    /// The display data of a Write To Display ended: an unlock its CC2 asked
    /// for happens now.
    void EndOfWriteToDisplay(Block& b);

    void EndOfBlock(Block& b);
    void PlaceCursorOnFirstInputField();
    void Report(Block& b, const char* format, bool withLength);
    void WriteTrace(const Block& b);

    int CodePage() const { return links_.settings.PageCode; }
    /// Display data of a block is translated with one table lookup a byte:
    /// the session's table is selected once when the block starts.
    std::uint8_t ToPc(std::uint8_t ebcdic) const { return (*etoa_)[ebcdic]; }

    InterpreterLinks links_;
    Terminal& t_;
    NullHostReads nullReads_;
    HostReads* reads_ = &nullReads_;
    std::string tracePath_;
    bool defaultTracePath_ = true;  ///< the state folder is made before the first write

    const std::array<std::uint8_t, 256>* etoa_ = nullptr;


    // One private copy per nesting level, reused from block to block.
    std::deque<std::vector<std::uint8_t>> copies_;
    std::size_t depth_ = 0;
};

}  // namespace quenlix
