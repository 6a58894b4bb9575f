// Readable lines for one 5250 record in either direction: the operation
// code, each command with its control characters named, each order with its
// operands, display data as text, the attention key and the field data of
// the terminal's answers, the query and its reply, negative responses with
// the meaning of their sense code. The data of non-display fields is written
// "*** (n bytes)" unless masking is turned off. Bad input never fails: bytes
// that are cut short or unknown are shown as such.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <optional>

#include "ds5250/RecordActions.h"
#include "ds5250/RecordWalker.h"
#include "ds5250/ScreenMemory.h"
#include "ds5250/TextTokens.h"
#include "terminal/Languages.h"

namespace quenlix {

/// Which side sent a record: the host's records carry commands and orders,
/// the terminal's carry answers.
enum class RecordSource { kHost, kTerminal };

struct DescribeOptions {
    /// EBCDIC to PC characters, the session's code page; nullptr: the built-in pair.
    const std::array<std::uint8_t, 256>* etoa = nullptr;
    /// PC characters to UTF-8; nullptr: ISO 8859-1.
    const PcCharset* charset = nullptr;
    /// Secrets are written "*** (n bytes)". Turned off only on request.
    bool maskSecrets = true;
};

/// Describes one record fed byte by byte, IAC doubling undone (the telnet
/// reader's record data), so that a trace knows whether each byte is secret
/// the moment it arrives; `RecordOnTheWire` feeds it the bytes as they
/// travel. A host record updates `memory` as the interpreter updates the
/// terminal; a terminal record reads it to find its fields. `memory` and
/// `options` must outlive the describer. The host's command streams are read
/// by the record walker, as the interpreter reads them: the describer is the
/// walker's actions written as lines.
class RecordDescriber : public ds::RecordActions {
public:
    /// Text of the lines of one record; the rest of a longer description is
    /// left out, while secrets are still followed to the record's end.
    static constexpr std::size_t kMaxDescribedBytes = 256 * 1024;
    /// Bytes shown of data the terminal does not read.
    static constexpr std::size_t kNotReadShown = 16;

    RecordDescriber(RecordSource source, const DescribeOptions& options, ScreenMemory& memory);

    /// One byte of the record. True when it carries data of a non-display
    /// field.
    bool Feed(std::uint8_t byte);
    /// A telnet command inside the record (`words` as telnet::Describe
    /// writes it): the endpoint answers it and goes on with the record.
    void TelnetInside(const std::string& words);
    /// IAC EOR: the record is whole.
    void EndRecord() { ended_ = true; }
    bool ended() const { return ended_; }
    /// The lines so far, the last ones completed; a record not ended says
    /// where it was cut, `cutAfterIac` when its bytes stopped right after an
    /// IAC whose partner never came. Call once.
    std::vector<std::string> Finish(bool cutAfterIac = false);

    /// Where the walker's actions go first; `tap` passes each on to this
    /// describer (a RecordActionLog made with it). Set before the first byte.
    void SetActionTap(ds::RecordActions* tap) { tap_ = tap; }

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
    enum class Phase {
        kHeader,
        kNotRead,  // bytes the terminal skips or cannot read
        /// Host command streams (also the terminal's Save Screen answer),
        /// read by the walker.
        kCommandStream,
        // Terminal answers.
        kCursorAndAid,
        kFieldsStart,
        kFieldAddress,
        kFieldData,
        kInputFields,
        kScreenImage,
        kRest,  // the bytes of an answer read whole at the end
    };
    /// What the bytes of kRest are.
    enum class Answer {
        kUnknown,
        kNegative,
        kAttention,
        kSystemRequest,
        kCancelInvite,
        kQueryReply,
        kAfterAid,
        kAfterFields,
    };

    bool Plain(std::uint8_t byte);
    void EndHeader();
    bool AnswerByte(std::uint8_t byte);

    // Host command streams.
    /// Starts the walk of a command stream at `start`.
    void BeginCommandStream(ds::RecordWalker::Start start);
    /// When the walker acts on a command or order cut short: writes that
    /// (`what` "command" or "order") and returns true.
    bool CutShort(const char* what, bool withOperands = true);
    bool DisplayByte(std::uint8_t byte);
    /// Whether host data written at `position` is data of a non-display field.
    bool HiddenData(int position) const;
    void Refused(std::uint8_t sense, const std::string& what);
    /// An order or command the terminal refuses: the line says so, and what
    /// follows changes nothing.
    /// The kind and choices of a Define Selection Field's data.
    std::string SelectionFieldWords(const std::uint8_t* d, std::size_t kept) const;
    void RefusedWith(std::uint8_t sense, const std::string& what);

    // Terminal answers.
    void CursorAndAidDone();
    bool FieldsStartByte(std::uint8_t byte);
    bool FieldLookahead(std::uint8_t byte);
    /// Held bytes read again as field data.
    void ReplayAsData(const std::vector<std::uint8_t>& held);
    void BeginField(int position, const std::string& label, int length);
    bool FieldByte(std::uint8_t byte);
    void EndField();
    void NextInputField();
    bool ImageByte(std::uint8_t byte);
    void EndImageRow();
    void DescribeAnswer();
    void DescribeQueryReply();

    // Output.
    void Line(const std::string& text);
    void FlushText();
    void Unknown(std::uint8_t byte);
    void FlushUnknown();
    std::string HexList(const std::vector<std::uint8_t>& bytes, std::size_t from = 0) const;
    std::string Quoted(const std::vector<std::uint8_t>& ebcdic, std::size_t from,
                       std::size_t count) const;

    RecordSource source_;
    const DescribeOptions& options_;
    const std::array<std::uint8_t, 256>& etoa_;
    ScreenMemory& memory_;
    /// The screen a command stream works on: the memory for the host's
    /// records, a copy for the terminal's Save Screen answer (which must not
    /// change what the host's records built).
    ScreenMemory* screen_;
    std::unique_ptr<ScreenMemory> scratch_;
    /// Secret positions when the record began: a screen image (Save Screen
    /// answer, Restore Screen) holds the contents of earlier fields.
    std::unique_ptr<ScreenMemory::PositionSet> imageSecrets_;

    Phase phase_ = Phase::kHeader;
    Answer answer_ = Answer::kUnknown;
    bool ended_ = false;
    bool finished_ = false;
    bool headerValid_ = false;
    std::size_t plainCount_ = 0;
    std::vector<std::uint8_t> header_;
    std::uint8_t opcode_ = 0;
    std::uint8_t flag1_ = 0;

    // Host command streams.
    std::optional<ds::RecordWalker> walker_;
    ds::RecordActions* tap_ = nullptr;
    bool byteSecret_ = false;  ///< what the walker's actions found of the byte fed
    int opcodes_ = 0;          ///< operation codes read so far
    int writeRow_ = 1;
    int writeColumn_ = 1;
    /// The terminal stopped reading the block (a write beyond the screen):
    /// what follows is described but changes nothing.
    bool stopped_ = false;

    // Terminal answers.
    std::vector<std::uint8_t> operands_;  ///< cursor, AID and field addresses being read
    std::vector<std::uint8_t> rest_;  ///< bytes of kRest, at most kRestKept
    std::size_t restCount_ = 0;
    /// Bytes held until they show whether they are a field address.
    std::vector<std::uint8_t> lookahead_;
    bool replaying_ = false;
    int fieldPosition_ = -1;  ///< position of the next field byte, -1 unknown
    int fieldLeft_ = -1;      ///< bytes of the field still to come, -1 unknown
    int fieldBytes_ = 0;      ///< bytes of the field so far
    bool inField_ = false;
    std::string fieldLabel_;
    std::vector<int> readOrder_;  ///< fields of a Read Input Fields or Read Immediate answer
    std::size_t readIndex_ = 0;
    int imagePosition_ = 0;

    // Output.
    std::vector<std::string> lines_;
    std::size_t describedBytes_ = 0;
    TextTokens text_;
    std::string unknown_;
    std::vector<std::uint8_t> notRead_;  ///< the first bytes not read
    std::size_t notReadCount_ = 0;
};

/// One whole record as it travels (0xFF doubled, ending with IAC EOR)
/// described at once. `memory` may be nullptr (a blank 24 x 80 screen
/// without fields is assumed). `secret` has one entry a byte as it travels.
struct RecordDescription {
    std::vector<std::string> lines;
    std::vector<bool> secret;
};
RecordDescription DescribeRecord(const std::uint8_t* bytes, std::size_t count, RecordSource source,
                                 const DescribeOptions& options = {},
                                 ScreenMemory* memory = nullptr);

namespace ds {
/// "Put/Get", "Save Screen", ...; empty when unknown.
std::string OpcodeName(std::uint8_t opcode);
/// "Enter", "F3", "PA1", "RollUp", ...; the hex value when unknown.
std::string AidName(std::uint8_t aid);
/// What a negative response's last sense byte means; empty when unknown.
std::string SenseMeaning(std::uint8_t sense);
}  // namespace ds

}  // namespace quenlix
