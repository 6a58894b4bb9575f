// NEW-ENVIRON (RFC 1572): VAR or USERVAR, a name, VALUE, a value; ESC makes
// the next byte data.
#include "trace/EnvironSecrets.h"

#include "telnet/EnvironNames.h"
#include "telnet/TelnetCodes.h"

namespace quenlix {

using telnet::Byte;
using telnet::EnvironCode;

using telnet::kEnvPasswordSubstitute;
using telnet::kEnvSeed;

void EnvironSecrets::Begin(std::uint8_t option) {
    state_ = option == Byte(telnet::Option::NEW_ENVIRON) ? State::kVerb : State::kOther;
    escaped_ = false;
    secretValue_ = false;
    send_ = false;
    seedTail_ = false;
    name_.clear();
}

bool EnvironSecrets::Data(std::uint8_t byte) {
    switch (state_) {
        case State::kVerb:
            send_ = byte == Byte(telnet::Subnegotiation::SEND);
            state_ = State::kType;
            return false;
        case State::kOther:
            return false;
        default:
            break;
    }
    const bool literal = escaped_;
    escaped_ = false;
    if (!literal) {
        if (byte == Byte(EnvironCode::ESC)) {
            escaped_ = true;
            return inSecret();
        }
        if (byte == Byte(EnvironCode::VAR) || byte == Byte(EnvironCode::USERVAR)) {
            state_ = State::kName;
            secretValue_ = false;
            seedTail_ = false;
            name_.clear();
            return false;
        }
        if (byte == Byte(EnvironCode::VALUE)) {
            secretValue_ =
                state_ == State::kName && (name_ == kEnvPasswordSubstitute || name_ == kEnvSeed);
            seedTail_ = false;
            state_ = State::kValue;
            return false;
        }
    }
    if (state_ == State::kName) {
        if (seedTail_) return true;
        if (name_.size() < kMaxName) name_ += static_cast<char>(byte);
        // What follows the name in the host's request is its seed.
        seedTail_ = send_ && name_ == kEnvSeed;
        return false;
    }
    return inSecret();
}

}  // namespace quenlix
