// Reads the host's NEW-ENVIRON SEND for the seed of an encrypted sign-on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quenlix::telnet {

/// Finds the server seed in a NEW-ENVIRON SEND. The host lists
/// USERVAR "IBMRSEED" and puts its 8-byte random seed right after the name,
/// with no VALUE byte between. The reader is fed the subnegotiation's payload
/// after the option code (the verb SEND, 0x01, first), with IAC IAC already
/// halved as the telnet reader hands payloads on, in pieces of any size, and
/// Finish() when IAC SE has ended it. It keeps at most 17 bytes whatever the
/// payload's length.
///
/// The seed is binary, so the reader weighs the readings a host may mean and
/// gives a seed only when they agree, since a wrong seed makes a wrong
/// substitute and that counts as a failed sign-on against the user profile:
/// - the 8 bytes taken as they come, or with ESC (0x02) before 0x00..0x03
///   taken as an escape (RFC 1572); a trailing ESC or one before any other
///   byte is a seed byte;
/// - either of those after a VALUE byte, as RFC 1572 would write a value;
/// and a reading counts only when the payload ends or a new VAR or USERVAR
/// starts right after it. A name item right after "IBMRSEED" (a type code,
/// then printable bytes up to the next type code or the end) means the host
/// sent no seed.
class EnvironSeedReader {
public:
    static constexpr std::size_t kSeedLength = 8;
    using Seed = std::array<std::uint8_t, kSeedLength>;

    void Feed(const std::uint8_t* bytes, std::size_t count);
    /// The payload is complete; decides the seed.
    void Finish();
    /// Ready for another payload.
    void Reset() { *this = EnvironSeedReader(); }

    /// The payload's verb was SEND.
    bool isSend() const { return state_ != State::Verb && state_ != State::NotSend; }
    /// The SEND lists USERVAR "IBMRSEED".
    bool asksForSeed() const { return asksForSeed_; }
    /// The seed, once Finish() found one.
    const std::optional<Seed>& serverSeed() const { return seed_; }

private:
    enum class State { Verb, NotSend, Items, AfterSeedName, Finished };
    /// Room for an escaped seed (two bytes each) and the byte after it.
    static constexpr std::size_t kKept = 2 * kSeedLength + 1;

    void ItemByte(std::uint8_t b);
    void NameByte(std::uint8_t b);
    /// A reading from `start`, escapes honoured or not: its seed when it has 8
    /// bytes followed by the payload's end or a new item.
    std::optional<Seed> Reading(std::size_t start, bool escapes) const;
    /// The bytes after the name start another item instead of a seed.
    bool NameItemFollows() const;

    State state_ = State::Verb;
    bool escapePending_ = false;
    bool inUserVar_ = false;       ///< the current item is a USERVAR
    std::size_t nameMatched_ = 0;  ///< leading bytes of the name that match "IBMRSEED"
    bool nameMismatch_ = false;
    bool asksForSeed_ = false;
    std::array<std::uint8_t, kKept> kept_{};  ///< the bytes after "IBMRSEED"
    std::size_t keptCount_ = 0;
    bool moreFollowed_ = false;  ///< bytes came after the kept ones
    std::optional<Seed> seed_;
};

}  // namespace quenlix::telnet
