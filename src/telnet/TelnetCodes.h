// Telnet command and option bytes (RFC 854, 856, 885, 1091, 1572, 4777) and
// one readable rendering of telnet data for traces and test messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quenlix::telnet {

/// Telnet commands: the byte after IAC (RFC 854; EOR from RFC 885).
enum class Command : std::uint8_t {
    EOR = 0xEF,  ///< end of record: closes every 5250 block
    SE = 0xF0,   ///< end of subnegotiation
    NOP = 0xF1,
    DM = 0xF2,  ///< data mark
    BRK = 0xF3,
    IP = 0xF4,   ///< interrupt process
    AO = 0xF5,   ///< abort output
    AYT = 0xF6,  ///< are you there
    EC = 0xF7,   ///< erase character
    EL = 0xF8,   ///< erase line
    GA = 0xF9,   ///< go ahead
    SB = 0xFA,   ///< subnegotiation begin
    WILL = 0xFB,
    WONT = 0xFC,
    DO = 0xFD,
    DONT = 0xFE,
    IAC = 0xFF,  ///< interpret as command; doubled when it is a data byte
};

/// The options this terminal agrees to; every other option is refused.
enum class Option : std::uint8_t {
    TRANSMIT_BINARY = 0x00,  ///< RFC 856
    TIMING_MARK = 0x06,      ///< RFC 860
    TERMINAL_TYPE = 0x18,    ///< RFC 1091
    END_OF_RECORD = 0x19,    ///< RFC 885
    NEW_ENVIRON = 0x27,      ///< RFC 1572
};

/// Subnegotiation verbs of TERMINAL-TYPE and NEW-ENVIRON.
enum class Subnegotiation : std::uint8_t {
    IS = 0x00,
    SEND = 0x01,
    INFO = 0x02,
};

/// Type codes inside a NEW-ENVIRON subnegotiation (RFC 1572).
enum class EnvironCode : std::uint8_t {
    VAR = 0x00,
    VALUE = 0x01,
    ESC = 0x02,  ///< the next byte is data, not a type code
    USERVAR = 0x03,
};

constexpr std::uint8_t Byte(Command c) { return static_cast<std::uint8_t>(c); }
constexpr std::uint8_t Byte(Option o) { return static_cast<std::uint8_t>(o); }
constexpr std::uint8_t Byte(Subnegotiation s) { return static_cast<std::uint8_t>(s); }
constexpr std::uint8_t Byte(EnvironCode e) { return static_cast<std::uint8_t>(e); }

inline constexpr std::uint8_t kIAC = Byte(Command::IAC);

/// "DO", "SE", ...; empty for a byte that is no command.
std::string_view CommandName(std::uint8_t byte);
/// "TERMINAL-TYPE", "ECHO", ... as the RFCs spell them; empty when unknown.
std::string_view OptionName(std::uint8_t byte);

/// Telnet data as words: "IAC DO TERMINAL-TYPE IAC SB NEW-ENVIRON 00 'USER' 01 IAC SE".
/// Commands and their options are named, printable runs are quoted, other
/// bytes are two hexadecimal digits. Meant for traces and failure messages.
std::string Describe(const std::uint8_t* bytes, std::size_t count);

}  // namespace quenlix::telnet
