// The host side of the telnet layer: splits what a terminal sends into
// option commands, subnegotiations and 5250 records (IAC IAC undone, IAC EOR
// ending a record), and reads the NEW-ENVIRON answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quenlix::demohost {

using Bytes = std::vector<std::uint8_t>;

namespace telnet {
inline constexpr std::uint8_t kIac = 0xFF;
inline constexpr std::uint8_t kDont = 0xFE;
inline constexpr std::uint8_t kDo = 0xFD;
inline constexpr std::uint8_t kWont = 0xFC;
inline constexpr std::uint8_t kWill = 0xFB;
inline constexpr std::uint8_t kSb = 0xFA;
inline constexpr std::uint8_t kSe = 0xF0;
inline constexpr std::uint8_t kEor = 0xEF;

inline constexpr std::uint8_t kOptBinary = 0x00;
inline constexpr std::uint8_t kOptTerminalType = 0x18;
inline constexpr std::uint8_t kOptEndOfRecord = 0x19;
inline constexpr std::uint8_t kOptNewEnviron = 0x27;

// Subnegotiation codes (RFC 1091, RFC 1572).
inline constexpr std::uint8_t kIs = 0x00;
inline constexpr std::uint8_t kSend = 0x01;
inline constexpr std::uint8_t kInfo = 0x02;
inline constexpr std::uint8_t kVar = 0x00;
inline constexpr std::uint8_t kValue = 0x01;
inline constexpr std::uint8_t kEsc = 0x02;
inline constexpr std::uint8_t kUserVar = 0x03;
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

/// Incremental reader; bytes may arrive split anywhere.
class TelnetReader {
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
    enum class State { kData, kIac, kOption, kSbOption, kSbData, kSbIac };

    State state_ = State::kData;
    std::uint8_t verb_ = 0;
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

/// The host's SB NEW-ENVIRON SEND asking for the variables it reads.
Bytes EnvironmentRequest();

}  // namespace quenlix::demohost
