// Telnet negotiation. The answer grows with what it holds and no payload is
// kept, so no request or session value is too long.
#include "net/Telnet.h"

#include <openssl/crypto.h>

#include <string>
#include <utility>

#include "signon/ClientSeed.h"
#include "signon/PasswordSubstitute.h"
#include "telnet/EnvironNames.h"
#include "telnet/EnvironValue.h"
#include "telnet/TelnetCodes.h"
#include "terminal/TranslationCache.h"

namespace quenlix {

using telnet::Byte;
using telnet::EnvironCode;
using telnet::EnvironSeedReader;
using telnet::kIAC;
using telnet::Option;
using telnet::Subnegotiation;

namespace {

// By value: inside the class, Command names the event handler.
constexpr std::uint8_t kWill = Byte(telnet::Command::WILL);
constexpr std::uint8_t kWont = Byte(telnet::Command::WONT);
constexpr std::uint8_t kDo = Byte(telnet::Command::DO);
constexpr std::uint8_t kDont = Byte(telnet::Command::DONT);
constexpr std::uint8_t kSb = Byte(telnet::Command::SB);
constexpr std::uint8_t kSe = Byte(telnet::Command::SE);

bool IsOptionVerb(std::uint8_t byte) {
    return byte == kWill || byte == kWont ||
           byte == kDo || byte == kDont;
}

}  // namespace

CTelnet::CTelnet(RecordSender& sender, const SessionSettings& settings)
    : sender_(sender), settings_(settings) {}

void CTelnet::Negotiate(const std::uint8_t* bytes, std::size_t count) {
    verbInForce_ = 0;
    reader_.Feed(bytes, count, *this);
    if (subnegotiationOpen_) AnswerSubnegotiation();
    SendAnswer();
}

void CTelnet::SendAnswer() {
    try {
        sender_.Send(answer_.data(), answer_.size());
    } catch (...) {
        ForgetAnswer();
        throw;
    }
    ForgetAnswer();
}

void CTelnet::OptionCommand(std::uint8_t verb, std::uint8_t option) {
    verbInForce_ = verb;
    AnswerOption(verb, option);
}

void CTelnet::Command(std::uint8_t) { verbInForce_ = 0; }

void CTelnet::EndOfRecord() { verbInForce_ = 0; }

void CTelnet::RecordData(const std::uint8_t* bytes, std::size_t count) {
    if (verbInForce_ == 0) return;
    for (std::size_t i = 0; i < count; ++i) AnswerOption(verbInForce_, bytes[i]);
}

void CTelnet::SubnegotiationBegin(std::uint8_t option) {
    verbInForce_ = 0;
    subnegotiationOption_ = option;
    subnegotiationOpen_ = true;
    subnegotiationAnswered_ = false;
    if (option == Byte(Option::NEW_ENVIRON)) {
        hostSeed_.clear();
        seedReader_.Reset();
    }
}

void CTelnet::SubnegotiationData(const std::uint8_t* bytes, std::size_t count) {
    // What the host asks for (SEND and the names, or a seed that may hold
    // any byte) is not read, but for the seed.
    if (subnegotiationOpen_ && !subnegotiationAnswered_ &&
        subnegotiationOption_ == Byte(Option::NEW_ENVIRON)) {
        seedReader_.Feed(bytes, count);
    }
}

void CTelnet::SubnegotiationEnd(bool) {
    if (subnegotiationOpen_) AnswerSubnegotiation();
    subnegotiationOpen_ = false;
}

void CTelnet::AnswerSubnegotiation() {
    if (subnegotiationAnswered_) return;
    subnegotiationAnswered_ = true;
    switch (static_cast<Option>(subnegotiationOption_)) {
        case Option::TERMINAL_TYPE:
            AppendTerminalType();
            break;
        case Option::NEW_ENVIRON:
            seedReader_.Finish();
            if (const auto& seed = seedReader_.serverSeed()) {
                hostSeed_.assign(seed->begin(), seed->end());
            }
            AppendEnvironment();
            environSent_ = true;
            break;
        default:
            break;
    }
}

void CTelnet::AnswerOption(std::uint8_t verb, std::uint8_t v) {
    if (!IsOptionVerb(verb)) return;
    const bool underDo = verb == kDo;
    const bool underDont = verb == kDont;
    const bool underWill = verb == kWill;
    const bool underWont = verb == kWont;
    // The terminal's side of a supported option: agreed once, then a
    // repeated DO is the state in force and gets no answer.
    const auto agreeLocally = [&] {
        if (underDo && !localOn_[v]) {
            localOn_[v] = true;
            Append(kIAC, kWill, v);
        }
        if (underDont) localOn_[v] = false;
    };
    switch (static_cast<Option>(v)) {
        case Option::TIMING_MARK:
            if (underDo) Append(kIAC, kWill, v);
            if (underWill) Append(kIAC, kDo, v);
            break;
        case Option::TRANSMIT_BINARY:
        case Option::END_OF_RECORD:
            agreeLocally();
            if (underWill && !remoteOn_[v]) {
                remoteOn_[v] = true;
                Append(kIAC, kDo, v);
            }
            if (underWont) remoteOn_[v] = false;
            break;
        case Option::TERMINAL_TYPE:
        case Option::NEW_ENVIRON:
            agreeLocally();
            break;
        default:
            // Refused options stay off: DONT and WONT ask for what is in
            // force already.
            if (underDo) Append(kIAC, kWont, v);
            if (underWill) Append(kIAC, kDont, v);
            break;
    }
}

void CTelnet::ForgetAnswer() {
    // The substitute or a clear password leaves no copy in this buffer.
    if (answerHoldsSecret_ && !answer_.empty()) OPENSSL_cleanse(answer_.data(), answer_.size());
    answerHoldsSecret_ = false;
    answer_.clear();
}

void CTelnet::Reset() {
    ForgetAnswer();
    reader_.Reset();
    verbInForce_ = 0;
    subnegotiationOpen_ = false;
    subnegotiationAnswered_ = false;
    localOn_.reset();
    remoteOn_.reset();
    environSent_ = false;
    hostSeed_.clear();
    seedReader_.Reset();
    report_ = SignOnReport{};
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
    answer_.insert(answer_.end(), {kIAC, kSb, Byte(Option::TERMINAL_TYPE),
                                   Byte(Subnegotiation::IS)});
    // A printer is a single-byte 3812 whatever the display's terminal type.
    AppendData(settings_.IsPrinter() ? kPrinterTerminalType : settings_.TerminalName);
    answer_.insert(answer_.end(), {kIAC, kSe});
}

void CTelnet::AppendEnvironment() {
    const std::uint8_t var = Byte(EnvironCode::VAR);
    const std::uint8_t uservar = Byte(EnvironCode::USERVAR);
    const bool autoSignOn = settings_.AutoConnection != 0;
    const std::string_view none;

    answer_.insert(answer_.end(),
                   {kIAC, kSb, Byte(Option::NEW_ENVIRON), Byte(Subnegotiation::IS)});
    AddVariable(var, telnet::kEnvUser, autoSignOn ? settings_.UserID : none);
    AddVariable(uservar, telnet::kEnvDeviceName,
                settings_.DisplayNameAuto == 0 ? settings_.DisplayName : none);
    if (autoSignOn) {
        AppendPassword();
    } else {
        AddVariable(uservar, telnet::kEnvSeed, none);
    }
    AddVariable(uservar, telnet::kEnvProgram, autoSignOn ? settings_.ProgProc : none);
    AddVariable(uservar, telnet::kEnvInitialMenu, autoSignOn ? settings_.Menu : none);
    AddVariable(uservar, telnet::kEnvCurrentLibrary, autoSignOn ? settings_.CurLib : none);
    if (settings_.IsPrinter()) AppendPrinterEnvironment();
    answer_.insert(answer_.end(), {kIAC, kSe});
}

void CTelnet::AppendPrinterEnvironment() {
    const std::uint8_t uservar = Byte(EnvironCode::USERVAR);
    AddVariable(uservar, telnet::kEnvMessageQueue, settings_.PrinterMessageQueue);
    AddVariable(uservar, telnet::kEnvMessageLibrary, settings_.PrinterMessageLibrary);
    // A host refuses to create a printer device without a font and the
    // transform's setting.
    AddVariable(uservar, telnet::kEnvFont, std::to_string(settings_.PrinterFont));
    const bool transform = settings_.HostPrintTransform != 0;
    AddVariable(uservar, telnet::kEnvTransform, transform ? "1" : "0");
    if (transform) AddVariable(uservar, telnet::kEnvPrinterModel, settings_.PrinterModel);
    const std::uint8_t paper = FindPaperSize(settings_.PaperSizeName).hostCode;
    AddBinaryVariable(telnet::kEnvPaperSource1, &paper, 1);
    AddVariable(uservar, telnet::kEnvFormFeed, "C");
}

void CTelnet::AppendPassword() {
    const std::uint8_t uservar = Byte(EnvironCode::USERVAR);
    report_ = SignOnReport{};
    const auto noPassword = [&](std::string reason) {
        report_.kind = SignOnReport::Kind::kNoPassword;
        report_.reason = std::move(reason);
        AddVariable(uservar, telnet::kEnvSeed, {});
    };
    if (settings_.UserID.empty() || settings_.UserPassword.empty()) {
        noPassword("the session holds no user or no password");
        return;
    }
    const std::optional<EnvironSeedReader::Seed>& serverSeed = seedReader_.serverSeed();
    if (!serverSeed) {
        if (!plan_.sendInClear) {
            noPassword("the host offers no encryption: its request held no seed");
            return;
        }
        // An empty seed: the host takes the password as plain text.
        report_.kind = SignOnReport::Kind::kClear;
        report_.reason = "the host offers no encryption";
        AddVariable(uservar, telnet::kEnvSeed, {});
        AddVariable(uservar, telnet::kEnvPasswordSubstitute, settings_.UserPassword);
        answerHoldsSecret_ = true;
        return;
    }
    if (!plan_.passwordLevel) {
        noPassword("password level unknown: " +
                   (plan_.levelSource.empty() ? std::string("not asked") : plan_.levelSource));
        return;
    }
    signon::SeedPair seeds;
    seeds.server = *serverSeed;
    const std::optional<signon::Seed> client =
        clientSeeds_ ? clientSeeds_() : signon::NewClientSeed();
    if (!client) {
        noPassword("no random client seed could be made");
        return;
    }
    seeds.client = *client;
    const TablePair& tables = plan_.tables ? *plan_.tables : BuiltinTablePair();
    signon::SubstituteOutcome outcome = signon::MakePasswordSubstitute(
        *plan_.passwordLevel, settings_.UserID, settings_.UserPassword, seeds, tables);
    if (!outcome.made()) {
        noPassword(outcome.refusal);
        return;
    }
    AddBinaryVariable(telnet::kEnvSeed, seeds.client.data(), seeds.client.size());
    AddBinaryVariable(telnet::kEnvPasswordSubstitute, outcome.substitute.data(),
                      outcome.substitute.size());
    answerHoldsSecret_ = true;
    report_.kind = SignOnReport::Kind::kSubstitute;
    report_.level = *plan_.passwordLevel;
    report_.how = plan_.levelSource;
}

void CTelnet::AddBinaryVariable(std::string_view name, const std::uint8_t* bytes,
                                std::size_t count) {
    answer_.push_back(Byte(EnvironCode::USERVAR));
    AppendData(name);
    answer_.push_back(Byte(EnvironCode::VALUE));
    telnet::AppendEnvironValue(answer_, bytes, count);
}

void CTelnet::AddVariable(std::uint8_t type, std::string_view name, std::string_view value) {
    if (value.empty() && name != telnet::kEnvSeed) return;
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
