// The host side of the telnet layer: gathers what the telnet reader finds in
// what a terminal sends into option commands, subnegotiations and 5250
// records (IAC IAC undone, IAC EOR ending a record), and reads the
// NEW-ENVIRON answer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "telnet/TelnetCodes.h"
#include "telnet/TelnetReader.h"

namespace quenlix::demohost {

using Bytes = std::vector<std::uint8_t>;

namespace telnet {
// Short names for the telnet bytes the host side speaks; the values are the
// telnet layer's own.
using quenlix::telnet::Byte;
using quenlix::telnet::Command;
using quenlix::telnet::EnvironCode;
using quenlix::telnet::Option;
using quenlix::telnet::Subnegotiation;

inline constexpr std::uint8_t kIac = Byte(Command::IAC);
inline constexpr std::uint8_t kDont = Byte(Command::DONT);
inline constexpr std::uint8_t kDo = Byte(Command::DO);
inline constexpr std::uint8_t kWont = Byte(Command::WONT);
inline constexpr std::uint8_t kWill = Byte(Command::WILL);
inline constexpr std::uint8_t kSb = Byte(Command::SB);
inline constexpr std::uint8_t kSe = Byte(Command::SE);
inline constexpr std::uint8_t kEor = Byte(Command::EOR);

inline constexpr std::uint8_t kOptBinary = Byte(Option::TRANSMIT_BINARY);
inline constexpr std::uint8_t kOptTerminalType = Byte(Option::TERMINAL_TYPE);
inline constexpr std::uint8_t kOptEndOfRecord = Byte(Option::END_OF_RECORD);
inline constexpr std::uint8_t kOptNewEnviron = Byte(Option::NEW_ENVIRON);

// Subnegotiation codes (RFC 1091, RFC 1572).
inline constexpr std::uint8_t kIs = Byte(Subnegotiation::IS);
inline constexpr std::uint8_t kSend = Byte(Subnegotiation::SEND);
inline constexpr std::uint8_t kInfo = Byte(Subnegotiation::INFO);
inline constexpr std::uint8_t kVar = Byte(EnvironCode::VAR);
inline constexpr std::uint8_t kValue = Byte(EnvironCode::VALUE);
inline constexpr std::uint8_t kEsc = Byte(EnvironCode::ESC);
inline constexpr std::uint8_t kUserVar = Byte(EnvironCode::USERVAR);
}  // namespace telnet

/// One thing the terminal said.
struct TelnetEvent {
    enum Kind { kCommand, kSubnegotiation, kRecord };
    Kind kind = kCommand;
    std::uint8_t verb = 0;    ///< kCommand: DO, DONT, WILL, WONT or another command byte
    std::uint8_t option = 0;  ///< kCommand, kSubnegotiation: the option
    Bytes payload;            ///< kSubnegotiation: bytes after the option; kRecord: the record
    bool truncated = false;   ///< the payload hit its limit and the rest was dropped
};

/// Incremental; bytes may arrive split anywhere. A subnegotiation that an
/// IAC and another command cut short is dropped.
class TelnetReader : private quenlix::telnet::TelnetEvents {
public:
    /// A subnegotiation longer than this is cut (names and values of the
    /// environment answer are short; 4 KiB leaves ample room).
    static constexpr std::size_t kMaxSubnegotiation = 4096;
    /// The largest terminal record: a Save Screen answer of 27 x 132 cells
    /// with a full field table stays well below 16 KiB; twice that is the
    /// limit, beyond which the record is cut and flagged.
    static constexpr std::size_t kMaxRecord = 32768;

    void Feed(const std::uint8_t* data, std::size_t count, std::vector<TelnetEvent>& out);

private:
    void OptionCommand(std::uint8_t verb, std::uint8_t option) override;
    void Command(std::uint8_t command) override;
    void SubnegotiationBegin(std::uint8_t option) override;
    void SubnegotiationData(const std::uint8_t* bytes, std::size_t count) override;
    void SubnegotiationEnd(bool complete) override;
    void RecordData(const std::uint8_t* bytes, std::size_t count) override;
    void EndOfRecord() override;

    quenlix::telnet::TelnetReader reader_;
    std::vector<TelnetEvent>* out_ = nullptr;  ///< of the Feed call running
    std::uint8_t sbOption_ = 0;
    Bytes sb_;
    bool sbTruncated_ = false;
    Bytes record_;
    bool recordTruncated_ = false;
};

/// The variables of an environment answer (IS or INFO), VAR and USERVAR
/// alike, ESC honoured. At most kMaxVariables are kept, each name and value
/// cut to kMaxValue characters.
struct Environment {
    static constexpr std::size_t kMaxVariables = 32;
    static constexpr std::size_t kMaxValue = 128;
    std::map<std::string, std::string> values;

    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::string get(const std::string& name) const {
        auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    }
};

/// Reads the payload of SB NEW-ENVIRON (starting with IS or INFO).
Environment ParseEnvironment(const Bytes& payload);

/// The terminal type of SB TERMINAL-TYPE IS name; empty when not an IS.
std::string ParseTerminalType(const Bytes& payload);

/// The random seed an IBM i host puts right after USERVAR "IBMRSEED" in its
/// request, for the terminal's encrypted password; 8 bytes.
using Seed = std::array<std::uint8_t, 8>;

/// A fresh seed from the system's random source.
Seed NewSeed();

/// The host's SB NEW-ENVIRON SEND asking for the variables it reads, the
/// seed right after USERVAR "IBMRSEED" (no VALUE byte). Bytes of the seed that
/// are type codes (0x00 to 0x03) are preceded by ESC, and 0xFF is doubled.
Bytes EnvironmentRequest(const Seed& seed);

}  // namespace quenlix::demohost
