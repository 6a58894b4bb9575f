#include "telnet/TelnetReader.h"

#include <cstring>

#include "telnet/TelnetCodes.h"

namespace quenlix::telnet {

namespace {

// Bytes before the next IAC in [p, end).
std::size_t RunBeforeIac(const std::uint8_t* p, const std::uint8_t* end) {
    const void* iac = std::memchr(p, kIAC, static_cast<std::size_t>(end - p));
    return iac ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(iac) - p)
               : static_cast<std::size_t>(end - p);
}

bool IsOptionVerb(std::uint8_t byte) {
    return byte == Byte(Command::WILL) || byte == Byte(Command::WONT) ||
           byte == Byte(Command::DO) || byte == Byte(Command::DONT);
}

}  // namespace

std::size_t TelnetReader::Feed(const std::uint8_t* bytes, std::size_t count,
                               TelnetEvents& events) {
    const std::uint8_t* p = bytes;
    const std::uint8_t* const end = bytes + count;
    paused_ = false;
    // Each pass takes at least one byte, so the walk ends with the bytes.
    while (p < end && !paused_) {
        switch (state_) {
            case State::kData: {
                const std::size_t run = RunBeforeIac(p, end);
                if (run > 0) events.RecordData(p, run);
                p += run;
                if (p < end) {
                    state_ = State::kIac;
                    ++p;
                }
                break;
            }
            case State::kIac: {
                const std::uint8_t c = *p;
                state_ = State::kData;
                if (c == kIAC) {
                    events.RecordData(p, 1);  // the second copy is the data byte
                } else if (c == Byte(Command::EOR)) {
                    events.EndOfRecord();
                } else if (IsOptionVerb(c)) {
                    verb_ = c;
                    state_ = State::kOption;
                } else if (c == Byte(Command::SB)) {
                    state_ = State::kSubnegotiationOption;
                } else {
                    events.Command(c);
                }
                ++p;
                break;
            }
            case State::kOption:
                state_ = State::kData;
                events.OptionCommand(verb_, *p);
                ++p;
                break;
            case State::kSubnegotiationOption:
                state_ = State::kSubnegotiation;
                events.SubnegotiationBegin(*p);
                ++p;
                break;
            case State::kSubnegotiation: {
                const std::size_t run = RunBeforeIac(p, end);
                if (run > 0) events.SubnegotiationData(p, run);
                p += run;
                if (p < end) {
                    state_ = State::kSubnegotiationIac;
                    ++p;
                }
                break;
            }
            case State::kSubnegotiationIac: {
                const std::uint8_t c = *p;
                if (c == kIAC) {
                    state_ = State::kSubnegotiation;
                    events.SubnegotiationData(p, 1);
                    ++p;
                } else if (c == Byte(Command::SE)) {
                    state_ = State::kData;
                    events.SubnegotiationEnd(true);
                    ++p;
                } else {
                    // IAC and another command inside a payload: the payload
                    // was cut short, and the command is read as one.
                    state_ = State::kIac;
                    events.SubnegotiationEnd(false);
                }
                break;
            }
        }
    }
    paused_ = false;
    return static_cast<std::size_t>(p - bytes);
}

}  // namespace quenlix::telnet
