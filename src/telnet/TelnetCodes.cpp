// Names of telnet commands and options, and the one-line rendering of telnet
// data used by traces and test failure messages.
#include "telnet/TelnetCodes.h"

#include <cstdio>

namespace quenlix::telnet {

std::string_view CommandName(std::uint8_t byte) {
    switch (static_cast<Command>(byte)) {
        case Command::EOR:
            return "EOR";
        case Command::SE:
            return "SE";
        case Command::NOP:
            return "NOP";
        case Command::DM:
            return "DM";
        case Command::BRK:
            return "BRK";
        case Command::IP:
            return "IP";
        case Command::AO:
            return "AO";
        case Command::AYT:
            return "AYT";
        case Command::EC:
            return "EC";
        case Command::EL:
            return "EL";
        case Command::GA:
            return "GA";
        case Command::SB:
            return "SB";
        case Command::WILL:
            return "WILL";
        case Command::WONT:
            return "WONT";
        case Command::DO:
            return "DO";
        case Command::DONT:
            return "DONT";
        case Command::IAC:
            return "IAC";
    }
    return {};
}

std::string_view OptionName(std::uint8_t byte) {
    switch (byte) {
        case 0x00:
            return "TRANSMIT-BINARY";
        case 0x01:
            return "ECHO";
        case 0x03:
            return "SUPPRESS-GO-AHEAD";
        case 0x05:
            return "STATUS";
        case 0x06:
            return "TIMING-MARK";
        case 0x18:
            return "TERMINAL-TYPE";
        case 0x19:
            return "END-OF-RECORD";
        case 0x1F:
            return "NAWS";
        case 0x20:
            return "TERMINAL-SPEED";
        case 0x21:
            return "TOGGLE-FLOW-CONTROL";
        case 0x22:
            return "LINEMODE";
        case 0x24:
            return "ENVIRON";
        case 0x27:
            return "NEW-ENVIRON";
        default:
            return {};
    }
}

namespace {

bool IsNegotiation(std::uint8_t command) {
    return command == Byte(Command::SB) || command == Byte(Command::WILL) ||
           command == Byte(Command::WONT) || command == Byte(Command::DO) ||
           command == Byte(Command::DONT);
}

void AppendWord(std::string& out, std::string_view word) {
    if (!out.empty()) out += ' ';
    out += word;
}

}  // namespace

std::string Describe(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    std::size_t i = 0;
    while (i < count) {
        const std::uint8_t b = bytes[i];
        if (b == kIAC && i + 1 < count) {
            AppendWord(out, "IAC");
            const std::uint8_t command = bytes[i + 1];
            const std::string_view name = CommandName(command);
            AppendWord(out, name.empty() ? std::string_view("?") : name);
            i += 2;
            if (IsNegotiation(command) && i < count) {
                const std::string_view option = OptionName(bytes[i]);
                char hex[8];
                std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
                AppendWord(out, option.empty() ? std::string_view(hex) : option);
                ++i;
            }
            continue;
        }
        if (b >= 0x20 && b < 0x7F && b != '\'') {
            std::string run = "'";
            while (i < count && bytes[i] >= 0x20 && bytes[i] < 0x7F && bytes[i] != '\'') {
                run += static_cast<char>(bytes[i++]);
            }
            AppendWord(out, run + "'");
            continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X", b);
        AppendWord(out, hex);
        ++i;
    }
    return out;
}

}  // namespace quenlix::telnet
