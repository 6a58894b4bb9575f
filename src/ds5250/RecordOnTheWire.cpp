#include "ds5250/RecordOnTheWire.h"

#include <algorithm>
#include <string>

#include "ds5250/TextTokens.h"
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

void RecordOnTheWire::Note(std::initializer_list<std::uint8_t> command) {
    // IAC and a byte that names no command is written with the byte's value.
    const std::uint8_t second = *(command.begin() + 1);
    if (command.size() == 2 && telnet::CommandName(second).empty()) {
        describer_.TelnetInside("IAC " + TextTokens::Hex(second));
        return;
    }
    describer_.TelnetInside(telnet::Describe(command.begin(), command.size()));
}

void RecordOnTheWire::RecordData(const std::uint8_t* bytes, std::size_t count) {
    // Data runs point into the piece.
    const std::size_t at = static_cast<std::size_t>(bytes - bytes_);
    std::vector<bool>& secret = *secret_;
    for (std::size_t i = 0; i < count; ++i) secret[at + i] = describer_.Feed(bytes[i]);
    command_ = static_cast<std::ptrdiff_t>(at + count);
}

void RecordOnTheWire::SubnegotiationData(const std::uint8_t* bytes, std::size_t count) {
    // From the payload's first byte (or the first copy of a doubled 0xFF)
    // to the end of these bytes.
    const std::ptrdiff_t end = bytes - bytes_ + static_cast<std::ptrdiff_t>(count);
    for (std::ptrdiff_t i = std::max<std::ptrdiff_t>(command_, 0); i < end; ++i) {
        if (static_cast<std::size_t>(i) < count_) (*secret_)[static_cast<std::size_t>(i)] = true;
    }
    subnegotiationBytes_ += count;
    command_ = end;
}

void RecordOnTheWire::Command(std::uint8_t command) {
    Note({telnet::kIAC, command});
    command_ += 2;
}

void RecordOnTheWire::OptionCommand(std::uint8_t verb, std::uint8_t option) {
    Note({telnet::kIAC, verb, option});
    command_ += 3;
}

void RecordOnTheWire::SubnegotiationBegin(std::uint8_t option) {
    subnegotiationOption_ = option;
    subnegotiationBytes_ = 0;
    command_ += 3;
}

void RecordOnTheWire::SubnegotiationEnd(bool complete) {
    const std::uint8_t begin[] = {telnet::kIAC, Byte(telnet::Command::SB), subnegotiationOption_};
    std::string words =
        telnet::Describe(begin, sizeof begin) + " " + TextTokens::Secret(subnegotiationBytes_);
    if (complete) {
        words += " IAC SE";
        command_ += 2;
    }
    describer_.TelnetInside(words);
}

void RecordOnTheWire::EndOfRecord() {
    if (describer_.ended()) return;
    describer_.EndRecord();
    command_ += 2;
    endIndex_ = command_ > 0 ? static_cast<std::size_t>(command_) : 0;
}

}  // namespace quenlix
