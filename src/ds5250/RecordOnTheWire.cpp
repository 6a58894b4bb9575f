#include "ds5250/RecordOnTheWire.h"

#include "telnet/TelnetCodes.h"

namespace quenlix {

using State = telnet::TelnetReader::State;
using telnet::Byte;

namespace {

/// Bytes of a command the reader holds in `state`, read in earlier pieces.
std::ptrdiff_t HeldBytes(State state) {
    switch (state) {
        case State::kIac:
        case State::kSubnegotiationIac:
            return 1;  // IAC
        case State::kOption:
        case State::kSubnegotiationOption:
            return 2;  // IAC and the verb or SB
        case State::kData:
        case State::kSubnegotiation:
            break;
    }
    return 0;
}

}  // namespace

bool RecordOnTheWire::HoldsIac(const telnet::TelnetReader& reader) {
    return reader.state() == State::kIac || reader.state() == State::kSubnegotiationIac;
}

void RecordOnTheWire::Piece(const std::uint8_t* bytes, std::size_t count, State state,
                            std::vector<bool>& secret) {
    bytes_ = bytes;
    count_ = count;
    secret_ = &secret;
    command_ = -HeldBytes(state);
}

void RecordOnTheWire::PieceRead(telnet::TelnetReader& reader) {
    const State state = reader.state();
    if (count_ == 0 || (state != State::kOption && state != State::kSubnegotiationOption)) return;
    describer_.LoneIac();
    Data(static_cast<std::ptrdiff_t>(count_) - 1, bytes_[count_ - 1]);
    reader.Reset();
}

void RecordOnTheWire::Data(std::ptrdiff_t index, std::uint8_t byte) {
    const bool secret = describer_.Feed(byte);
    if (index >= 0 && static_cast<std::size_t>(index) < count_) {
        (*secret_)[static_cast<std::size_t>(index)] = secret;
    }
}

void RecordOnTheWire::RecordData(const std::uint8_t* bytes, std::size_t count) {
    // Data runs point into the piece.
    const std::size_t at = static_cast<std::size_t>(bytes - bytes_);
    std::vector<bool>& secret = *secret_;
    for (std::size_t i = 0; i < count; ++i) secret[at + i] = describer_.Feed(bytes[i]);
    command_ = static_cast<std::ptrdiff_t>(at + count);
}

void RecordOnTheWire::SubnegotiationData(const std::uint8_t* bytes, std::size_t count) {
    RecordData(bytes, count);
}

void RecordOnTheWire::Command(std::uint8_t command) {
    describer_.LoneIac();
    Data(command_ + 1, command);
    command_ += 2;
}

void RecordOnTheWire::OptionCommand(std::uint8_t verb, std::uint8_t option) {
    describer_.LoneIac();
    Data(command_ + 1, verb);
    Data(command_ + 2, option);
    command_ += 3;
}

void RecordOnTheWire::SubnegotiationBegin(std::uint8_t option) {
    OptionCommand(Byte(telnet::Command::SB), option);
}

void RecordOnTheWire::SubnegotiationEnd(bool complete) {
    // Cut short, the IAC belongs to the command the reader reads next.
    if (complete) Command(Byte(telnet::Command::SE));
}

void RecordOnTheWire::EndOfRecord() {
    if (describer_.ended()) return;
    describer_.EndRecord();
    command_ += 2;
    endIndex_ = command_ > 0 ? static_cast<std::size_t>(command_) : 0;
}

}  // namespace quenlix
