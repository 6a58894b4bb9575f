// Telnet negotiation. The answer grows with what it holds, and the walk and
// every skip stop at the end of the block, so no block or session value is
// too long.
#include "net/Telnet.h"

#include <algorithm>
#include <iterator>

#include "telnet/TelnetCodes.h"

namespace quenlix {

using telnet::Byte;
using telnet::Command;
using telnet::EnvironCode;
using telnet::kIAC;
using telnet::Option;
using telnet::Subnegotiation;

namespace {

// Index just past the IAC SE that ends the subnegotiation whose content
// starts at `from`, or `count` when the block ends first. IAC IAC is a data
// byte, so its second 0xFF does not start a command.
std::size_t SkipSubnegotiation(const std::uint8_t* bytes, std::size_t count, std::size_t from) {
    std::size_t i = from;
    while (i < count) {
        if (bytes[i] != kIAC) {
            ++i;
            continue;
        }
        if (i + 1 < count && bytes[i + 1] == Byte(Command::SE)) return i + 2;
        i += 2;
    }
    return count;
}

}  // namespace

CTelnet::CTelnet(RecordSender& sender, const SessionSettings& settings)
    : sender_(sender), settings_(settings) {}

void CTelnet::Negotiate(const std::uint8_t* bytes, std::size_t count, int lastCommand) {
    answer_.clear();
    int last = lastCommand;
    std::size_t i = 0;
    while (i < count) {
        const std::uint8_t v = bytes[i];
        if (v == kIAC) {
            // The command stays in force for every byte up to the next IAC.
            last = i + 1 < count ? bytes[i + 1] : kNoCommand;
            i += 2;
            continue;
        }
        const bool underDo = last == Byte(Command::DO);
        const bool underDont = last == Byte(Command::DONT);
        const bool underWill = last == Byte(Command::WILL);
        const bool underWont = last == Byte(Command::WONT);
        const bool underSb = last == Byte(Command::SB);
        // The terminal's side of a supported option: agreed once, then a
        // repeated DO is the state in force and gets no answer.
        const auto agreeLocally = [&] {
            if (underDo && !localOn_[v]) {
                localOn_[v] = true;
                Append(kIAC, Byte(Command::WILL), v);
            }
            if (underDont) localOn_[v] = false;
        };
        switch (static_cast<Option>(v)) {
            case Option::TIMING_MARK:
                if (underDo) Append(kIAC, Byte(Command::WILL), v);
                if (underWill) Append(kIAC, Byte(Command::DO), v);
                break;
            case Option::TRANSMIT_BINARY:
            case Option::END_OF_RECORD:
                agreeLocally();
                if (underWill && !remoteOn_[v]) {
                    remoteOn_[v] = true;
                    Append(kIAC, Byte(Command::DO), v);
                }
                if (underWont) remoteOn_[v] = false;
                break;
            case Option::TERMINAL_TYPE:
                agreeLocally();
                if (underSb) AppendTerminalType();
                break;
            case Option::NEW_ENVIRON:
                agreeLocally();
                if (underSb) {
                    ReadSeed(bytes, i + 1, SkipSubnegotiation(bytes, count, i + 1));
                    AppendEnvironment();
                    environSent_ = true;
                }
                break;
            default:
                // Refused options stay off: DONT and WONT ask for what is in
                // force already.
                if (underDo) Append(kIAC, Byte(Command::WONT), v);
                if (underWill) Append(kIAC, Byte(Command::DONT), v);
                break;
        }
        if (underSb) {
            // Only the option after SB decides the answer; what the host asks
            // for (SEND and the names, or a seed that may hold any byte) is
            // not read.
            i = SkipSubnegotiation(bytes, count, i + 1);
            last = Byte(Command::SE);
            continue;
        }
        ++i;
    }
    sender_.Send(answer_.data(), answer_.size());
}

void CTelnet::Reset() {
    localOn_.reset();
    remoteOn_.reset();
    environSent_ = false;
    hostSeed_.clear();
}

void CTelnet::ReadSeed(const std::uint8_t* bytes, std::size_t from, std::size_t end) {
    hostSeed_.clear();
    // The content with IAC IAC read as one 0xFF; an IAC SE at its end is no content.
    std::vector<std::uint8_t> content;
    for (std::size_t i = from; i < end; ++i) {
        if (bytes[i] == kIAC) {
            if (i + 1 >= end || bytes[i + 1] != kIAC) break;
            ++i;
        }
        content.push_back(bytes[i]);
    }
    if (content.empty() || content[0] != Byte(Subnegotiation::SEND)) return;
    static constexpr std::uint8_t kName[] = {
        Byte(EnvironCode::USERVAR), 'I', 'B', 'M', 'R', 'S', 'E', 'E', 'D'};
    const auto at = std::search(content.begin(), content.end(), std::begin(kName), std::end(kName));
    if (at == content.end()) return;
    std::size_t j = static_cast<std::size_t>(at - content.begin()) + sizeof kName;
    if (j < content.size() && content[j] == Byte(EnvironCode::VALUE)) ++j;
    std::vector<std::uint8_t> seed;
    while (seed.size() < kSeedLength && j < content.size()) {
        std::uint8_t b = content[j++];
        if (b == Byte(EnvironCode::ESC)) {
            if (j >= content.size()) break;
            b = content[j++];
        } else if (b <= Byte(EnvironCode::USERVAR)) {
            break;  // the next name: the seed was shorter
        }
        seed.push_back(b);
    }
    if (seed.size() == kSeedLength) hostSeed_ = std::move(seed);
}

void CTelnet::Append(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
    answer_.insert(answer_.end(), {a, b, c});
}

// Session values are sent as their PC bytes. Inside a subnegotiation a 0xFF
// must be doubled, or a value holding it could end the answer early.
void CTelnet::AppendData(std::string_view text) {
    for (const char ch : text) {
        const auto b = static_cast<std::uint8_t>(ch);
        if (b == kIAC) answer_.push_back(kIAC);
        answer_.push_back(b);
    }
}

void CTelnet::AppendTerminalType() {
    answer_.insert(answer_.end(), {kIAC, Byte(Command::SB), Byte(Option::TERMINAL_TYPE),
                                   Byte(Subnegotiation::IS)});
    AppendData(settings_.TerminalName);
    answer_.insert(answer_.end(), {kIAC, Byte(Command::SE)});
}

void CTelnet::AppendEnvironment() {
    const std::uint8_t var = Byte(EnvironCode::VAR);
    const std::uint8_t uservar = Byte(EnvironCode::USERVAR);
    const bool autoSignOn = settings_.AutoConnection != 0;
    const std::string_view none;

    answer_.insert(answer_.end(),
                   {kIAC, Byte(Command::SB), Byte(Option::NEW_ENVIRON), Byte(Subnegotiation::IS)});
    AddVariable(var, "USER", autoSignOn ? settings_.UserID : none);
    AddVariable(uservar, "DEVNAME", settings_.DisplayNameAuto == 0 ? settings_.DisplayName : none);
    // An empty seed: the host then takes the password below as plain text.
    AddVariable(uservar, "IBMRSEED", none);
    AddVariable(uservar, "IBMSUBSPW", autoSignOn ? settings_.UserPassword : none);
    AddVariable(uservar, "IBMPROGRAM", autoSignOn ? settings_.ProgProc : none);
    AddVariable(uservar, "IBMIMENU", autoSignOn ? settings_.Menu : none);
    AddVariable(uservar, "IBMCURLIB", autoSignOn ? settings_.CurLib : none);
    answer_.insert(answer_.end(), {kIAC, Byte(Command::SE)});
}

void CTelnet::AddVariable(std::uint8_t type, std::string_view name, std::string_view value) {
    if (value.empty() && name != "IBMRSEED") return;
    answer_.push_back(type);
    AppendData(name);
    answer_.push_back(Byte(EnvironCode::VALUE));
    // The type codes VAR, VALUE, ESC and USERVAR inside a value are escaped,
    // or the host would read the rest as another variable.
    for (const char ch : value) {
        const auto b = static_cast<std::uint8_t>(ch);
        if (b <= Byte(EnvironCode::USERVAR)) answer_.push_back(Byte(EnvironCode::ESC));
        if (b == kIAC) answer_.push_back(kIAC);
        answer_.push_back(b);
    }
}

}  // namespace quenlix
