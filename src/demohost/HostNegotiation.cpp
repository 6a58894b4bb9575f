// The telnet negotiation a TN5250 host opens with, one step at a time:
// TERMINAL-TYPE (which gives the screen size), then END-OF-RECORD and
// TRANSMIT-BINARY both ways (no 5250 session without them), then
// NEW-ENVIRON (device name and automatic sign-on). Each answer is taken only
// in its own step; anything else the terminal offers is refused once. The
// negotiation ends with the 5250 query, before any screen.
#include <algorithm>
#include <cstdio>

#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "telnet/EnvironNames.h"

namespace quenlix::demohost {

using ::quenlix::telnet::kEnvDeviceName;
using ::quenlix::telnet::kEnvPasswordSubstitute;
using ::quenlix::telnet::kEnvSeed;

using namespace telnet;

namespace {

std::string OptionName(std::uint8_t option) {
    switch (option) {
        case kOptBinary: return "TRANSMIT-BINARY";
        case kOptTerminalType: return "TERMINAL-TYPE";
        case kOptEndOfRecord: return "END-OF-RECORD";
        case kOptNewEnviron: return "NEW-ENVIRON";
        default: return "option " + std::to_string(option);
    }
}

std::string VerbName(std::uint8_t verb) {
    switch (verb) {
        case kDo: return "DO";
        case kDont: return "DONT";
        case kWill: return "WILL";
        case kWont: return "WONT";
        default: return "command " + std::to_string(verb);
    }
}

}  // namespace

void HostSession::Start() {
    phase_ = Phase::kAwaitTerminalTypeWill;
    Send({kIac, kDo, kOptTerminalType}, "DO TERMINAL-TYPE");
}

void HostSession::Refuse(std::uint8_t verb, std::uint8_t option) {
    // Each unasked option is refused once, so two refusing peers never loop.
    if (std::find(refused_.begin(), refused_.end(), option) != refused_.end()) return;
    if (refused_.size() < 256) refused_.push_back(option);
    const std::uint8_t answer = verb == kDo ? kWont : kDont;
    Send({kIac, answer, option}, VerbName(answer) + " " + OptionName(option));
}

void HostSession::OnCommand(const TelnetEvent& e) {
    if (e.verb != kDo && e.verb != kDont && e.verb != kWill && e.verb != kWont) {
        Log("<- telnet command " + std::to_string(e.verb));
        return;
    }
    Log("<- " + VerbName(e.verb) + " " + OptionName(e.option));
    const bool yes = e.verb == kDo || e.verb == kWill;
    switch (phase_) {
        case Phase::kAwaitTerminalTypeWill:
            if (e.option == kOptTerminalType && (e.verb == kWill || e.verb == kWont)) {
                if (yes) {
                    Send({kIac, kSb, kOptTerminalType, kSend, kIac, kSe},
                         "SB TERMINAL-TYPE SEND");
                    phase_ = Phase::kAwaitTerminalType;
                } else {
                    AskBinary();
                }
                return;
            }
            break;
        case Phase::kAwaitBinary: {
            // One bit per answer: WILL/WONT and DO/DONT of each option.
            int bit = -1;
            if (e.option == kOptEndOfRecord) bit = (e.verb == kWill || e.verb == kWont) ? 0 : 1;
            if (e.option == kOptBinary) bit = (e.verb == kWill || e.verb == kWont) ? 2 : 3;
            if (bit < 0) break;
            if (!yes) {
                Log("terminal refuses " + OptionName(e.option) + ": no 5250 session possible");
                phase_ = Phase::kClosing;
                return;
            }
            binaryAnswers_ |= 1 << bit;
            if (binaryAnswers_ == 0x0F) AskEnvironment();
            return;
        }
        case Phase::kAwaitEnvironWill:
            if (e.option == kOptNewEnviron && (e.verb == kWill || e.verb == kWont)) {
                if (yes) {
                    Send(EnvironmentRequest(seed_),
                         "SB NEW-ENVIRON SEND USER DEVNAME IBMRSEED <seed> IBM...");
                    phase_ = Phase::kAwaitEnviron;
                } else {
                    EndNegotiation();
                }
                return;
            }
            break;
        default:
            break;
    }
    // Answers to what we asked arrive only in their phase; anything else the
    // terminal offers or asks for is refused.
    const bool ours = e.option == kOptBinary || e.option == kOptEndOfRecord ||
                      e.option == kOptTerminalType || e.option == kOptNewEnviron;
    if (yes && !ours) Refuse(e.verb, e.option);
}

void HostSession::OnSubnegotiation(const TelnetEvent& e) {
    if (e.option == kOptTerminalType) {
        terminalType_ = ParseTerminalType(e.payload);
        Log("<- SB TERMINAL-TYPE IS \"" + terminalType_ + "\"");
        if (phase_ != Phase::kAwaitTerminalType) return;
        printer_ = terminalType_ == "IBM-3812-1" || terminalType_ == "IBM-5553-B01";
        if (terminalType_ == "IBM-3477-FC") {
            rows_ = 27;
            columns_ = 132;
        } else {
            rows_ = 24;
            columns_ = 80;
        }
        AskBinary();
        return;
    }
    if (e.option == kOptNewEnviron) {
        Environment env = ParseEnvironment(e.payload);
        std::string line = "<- SB NEW-ENVIRON IS";
        for (const auto& [name, value] : env.values) {
            const bool secret = name == kEnvPasswordSubstitute || name == kEnvSeed;
            line += " " + name + "=\"" + (secret ? std::string(value.size(), '*') : value) + "\"";
        }
        if (e.truncated) line += " (cut)";
        Log(line);
        if (phase_ != Phase::kAwaitEnviron) return;
        env_ = std::move(env);
        deviceName_ = Upper(Trim(env_.get(kEnvDeviceName)));
        if (deviceName_ == "INUSE") {
            // A real host refuses a device name that is taken by closing the
            // connection right after the environment answer, before any 5250
            // record: the environment is the last step of the negotiation.
            Log("device INUSE is already in use: closing the connection");
            phase_ = Phase::kClosing;
            return;
        }
        deviceName_ = deviceName_.substr(0, 10);
        EndNegotiation();
        return;
    }
    Log("<- SB " + OptionName(e.option) + " (ignored)");
}

void HostSession::AskBinary() {
    Send({kIac, kDo, kOptEndOfRecord, kIac, kWill, kOptEndOfRecord, kIac, kDo, kOptBinary, kIac,
          kWill, kOptBinary},
         "DO END-OF-RECORD WILL END-OF-RECORD DO TRANSMIT-BINARY WILL TRANSMIT-BINARY");
    binaryAnswers_ = 0;
    phase_ = Phase::kAwaitBinary;
}

void HostSession::AskEnvironment() {
    Send({kIac, kDo, kOptNewEnviron}, "DO NEW-ENVIRON");
    phase_ = Phase::kAwaitEnvironWill;
}

void HostSession::EndNegotiation() {
    if (deviceName_.empty()) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "QPADEV%04d", config_.clientNumber % 10000);
        deviceName_ = buf;
    }
    if (printer_) {
        Log("negotiation done: printer \"" + terminalType_ + "\", device " + deviceName_);
        StartPrinter();
        return;
    }
    Log("negotiation done: terminal \"" + terminalType_ + "\", " + std::to_string(rows_) + "x" +
        std::to_string(columns_) + ", device " + deviceName_);
    // A real host asks what the display station is before it draws anything,
    // and draws only once it has the answer: a screen sent before, or in the
    // same block, races the terminal's reply and its first keys.
    SendQuery();
    phase_ = Phase::kAwaitQueryReply;
}

}  // namespace quenlix::demohost
