// A record as it travels (0xFF doubled, IAC EOR at its end): what the telnet
// reader finds inside it, handed undoubled to a RecordDescriber, with whether
// each byte on the wire is secret known the moment the byte arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ds5250/RecordDescriber.h"
#include "telnet/TelnetReader.h"

namespace quenlix {

/// The events of the reader from a record's first byte on. A telnet command
/// inside the record is read as the endpoint reads it: a command, answered
/// by the negotiator and no part of the record, which goes on after it; the
/// describer notes it in its place. The payload of a subnegotiation there is
/// masked whole (a seed may travel in one). The first copy of a doubled 0xFF
/// is never secret (only its second copy is), so a trace keeps the framing
/// of masked data.
class RecordOnTheWire : public telnet::TelnetEvents {
public:
    /// `describer` must outlive this.
    explicit RecordOnTheWire(RecordDescriber& describer) : describer_(describer) {}

    /// The reader, in `state`, reads `bytes` next; the flags of those bytes
    /// go to `secret` (one a byte, kept until the next Piece).
    void Piece(const std::uint8_t* bytes, std::size_t count, telnet::TelnetReader::State state,
               std::vector<bool>& secret);
    /// The reader stopped right after an IAC whose partner has not come.
    static bool HoldsIac(const telnet::TelnetReader& reader);
    /// The record has ended; `endIndex()` is the index in the piece just past
    /// its IAC EOR.
    bool ended() const { return describer_.ended(); }
    std::size_t endIndex() const { return endIndex_; }

    void RecordData(const std::uint8_t* bytes, std::size_t count) override;
    void Command(std::uint8_t command) override;
    void OptionCommand(std::uint8_t verb, std::uint8_t option) override;
    void SubnegotiationBegin(std::uint8_t option) override;
    void SubnegotiationData(const std::uint8_t* bytes, std::size_t count) override;
    void SubnegotiationEnd(bool complete) override;
    void EndOfRecord() override;

private:
    /// Notes the command in the record's lines.
    void Note(std::initializer_list<std::uint8_t> command);

    RecordDescriber& describer_;
    const std::uint8_t* bytes_ = nullptr;
    std::size_t count_ = 0;
    std::vector<bool>* secret_ = nullptr;
    /// Index in the piece where the next command's IAC is (before the piece
    /// when that IAC came in an earlier one).
    std::ptrdiff_t command_ = 0;
    std::size_t endIndex_ = 0;
    std::uint8_t subnegotiationOption_ = 0;
    std::size_t subnegotiationBytes_ = 0;
};

}  // namespace quenlix
