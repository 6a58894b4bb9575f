// Finds the secrets of a NEW-ENVIRON subnegotiation as its bytes pass: the
// value of the variable IBMSUBSPW (the password of the automatic sign-on, or
// its substitute), the terminal's seed in the value of IBMRSEED, and the
// host's seed, which a SEND puts right after the name IBMRSEED.
#pragma once

#include <cstdint>
#include <string>

namespace quenlix {

class EnvironSecrets {
public:
    /// Longest variable name remembered; longer names are no secret's.
    static constexpr std::size_t kMaxName = 32;

    /// A new subnegotiation begins: its option byte comes next.
    void Begin();
    /// One data byte of the subnegotiation (IAC doubling undone). True when
    /// it belongs to a secret value (an escape byte inside it too).
    bool Data(std::uint8_t byte);
    /// Whether the subnegotiation is inside a secret value now, so that a
    /// doubled 0xFF arriving there is masked whole.
    bool inSecret() const {
        return (state_ == State::kValue && secretValue_) || (state_ == State::kName && seedTail_);
    }

private:
    enum class State { kOption, kVerb, kType, kName, kValue, kOther };
    State state_ = State::kOther;
    bool escaped_ = false;
    bool secretValue_ = false;
    bool send_ = false;      ///< the verb is SEND: the host's request
    bool seedTail_ = false;  ///< past the name IBMRSEED in a SEND: the host's seed
    std::string name_;
};

}  // namespace quenlix
