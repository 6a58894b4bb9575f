// Finds the secrets of a NEW-ENVIRON subnegotiation as its bytes pass: the
// value of the variable IBMSUBSPW (the password of the automatic sign-on, or
// its substitute), the terminal's seed in the value of IBMRSEED, and the
// host's seed, which a SEND puts right after the name IBMRSEED.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quenlix {

class EnvironSecrets {
public:
    /// Longest variable name remembered; longer names are no secret's.
    static constexpr std::size_t kMaxName = 32;

    /// A subnegotiation of `option` begins (the telnet reader's
    /// SubnegotiationBegin); only NEW-ENVIRON has secrets.
    void Begin(std::uint8_t option);
    /// One byte of its payload as the telnet reader hands it on (IAC
    /// doubling undone). True when it belongs to a secret value (an escape
    /// byte inside it too); a doubled 0xFF is then masked whole.
    bool Data(std::uint8_t byte);

private:
    enum class State { kVerb, kType, kName, kValue, kOther };

    bool inSecret() const {
        return (state_ == State::kValue && secretValue_) || (state_ == State::kName && seedTail_);
    }

    State state_ = State::kOther;
    bool escaped_ = false;
    bool secretValue_ = false;
    bool send_ = false;      ///< the verb is SEND: the host's request
    bool seedTail_ = false;  ///< past the name IBMRSEED in a SEND: the host's seed
    std::string name_;
};

}  // namespace quenlix
