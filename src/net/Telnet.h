// Telnet option negotiation for a 5250 display station: agrees to binary,
// end-of-record, terminal type and environment, refuses every other option,
// and answers the terminal-type and environment subnegotiations.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "net/SignOnPlan.h"
#include "session/SessionSettings.h"
#include "telnet/EnvironSeedReader.h"
#include "telnet/TelnetReader.h"
#include "terminal/RecordSender.h"

namespace quenlix {

/// The terminal type a printer session negotiates: a single-byte printer.
inline constexpr char kPrinterTerminalType[] = "IBM-3812-1";

/// Answers the host's negotiation. The endpoint reads the stream and hands
/// the negotiator its telnet events (the TelnetEvents below), then sends the
/// answers gathered with SendAnswer; Negotiate reads a block itself. The
/// values offered come from the session settings, read at every answer, so
/// the settings object must outlive the negotiator.
///
/// Each request is answered so:
///   DO opt        -> WILL opt for the five supported options, else WONT opt
///   WILL opt      -> DO opt for TRANSMIT-BINARY, TIMING-MARK, END-OF-RECORD;
///                    nothing for TERMINAL-TYPE, NEW-ENVIRON; else DONT opt
///   WONT opt      -> nothing
///   DONT opt      -> nothing
///   SB TERMINAL-TYPE ... SE -> IAC SB TERMINAL-TYPE IS <Terminal Name> IAC SE
///   SB NEW-ENVIRON ... SE   -> the environment answer (sets environSent)
/// A subnegotiation is answered when it ends (IAC SE, or another command that
/// cuts it short); only its option decides the answer, and of its payload
/// only the seed of an environment request is read.
///
/// Data bytes handed to the negotiator (RecordData: bytes a host sent right
/// after an option command that are no 5250 record) are answered each as if
/// the option command in force before them had named it; after any other
/// command, or none, they get no answer.
///
/// A request for the state an option is already in is not answered (RFC
/// 854, RFC 1143): a second DO BINARY after WILL BINARY, a DONT or WONT
/// for an option that is off. Otherwise a host that repeats a request, or
/// re-asks after every answer, keeps the terminal answering for ever.
/// Refusals change no state, so each DO or WILL of an unsupported option
/// is refused; TIMING-MARK is a mark, not a state, and is answered every
/// time.
class CTelnet : public telnet::TelnetEvents {
public:
    CTelnet(RecordSender& sender, const SessionSettings& settings);

    /// Answers one block of the host's negotiation and sends the answer in
    /// one Send, even when it is empty. Any length and content is safe. A
    /// command cut at the end of the previous block goes on in this one; no
    /// option command is in force for data bytes at the block's start. A
    /// subnegotiation the block leaves open is answered at the block's end
    /// with what arrived of it, and not again when its end comes.
    void Negotiate(const std::uint8_t* bytes, std::size_t count);

    // The events of the host's stream, each adding its answer, if any.
    void OptionCommand(std::uint8_t verb, std::uint8_t option) override;
    void Command(std::uint8_t command) override;
    void SubnegotiationBegin(std::uint8_t option) override;
    void SubnegotiationData(const std::uint8_t* bytes, std::size_t count) override;
    void SubnegotiationEnd(bool complete) override;
    void RecordData(const std::uint8_t* bytes, std::size_t count) override;
    void EndOfRecord() override;

    /// The subnegotiation under way is not answered (the endpoint dropped it
    /// as too long).
    void AbandonSubnegotiation() { subnegotiationAnswered_ = true; }
    /// Answers wait to be sent.
    bool answerWaiting() const { return !answer_.empty(); }
    /// Sends the answers gathered since the last send in one Send, even when
    /// there are none, and forgets them (also when the send throws).
    void SendAnswer();

    /// Forgets the option states agreed on the last connection: every option
    /// is off again, as at the start of a connection.
    void Reset();

    /// True once the environment answer has been sent. The endpoint clears it
    /// when a 5250 block arrives and at connect and close: a host that closes
    /// while it is set has refused the display name.
    bool environSent() const { return environSent_; }
    void setEnvironSent(bool sent) { environSent_ = sent; }

    /// The seed an IBM i host put right after USERVAR "IBMRSEED" in its last
    /// environment request, as telnet::EnvironSeedReader reads it:
    /// kSeedLength bytes, or empty when the request held no seed the reader
    /// could trust. Forgotten by Reset.
    const std::vector<std::uint8_t>& hostSeed() const { return hostSeed_; }
    static constexpr std::size_t kSeedLength = telnet::EnvironSeedReader::kSeedLength;

    /// How the environment answer of an automatic sign-on carries the
    /// password (kept by Reset: the front end sets it before connecting).
    /// With the host's seed and a known password level the answer carries
    /// the client seed and the password substitute; without either no
    /// password goes, unless the plan allows the clear password and the host
    /// sent no seed.
    void SetSignOnPlan(SignOnPlan plan) { plan_ = std::move(plan); }
    const SignOnPlan& signOnPlan() const { return plan_; }
    /// What the last environment answer carried; cleared by Reset.
    const SignOnReport& signOnReport() const { return report_; }

    /// Where client seeds come from: signon::NewClientSeed unless a test
    /// sets a fixed one.
    using ClientSeedSource = std::function<std::optional<std::array<std::uint8_t, 8>>()>;
    void SetClientSeedSource(ClientSeedSource source) { clientSeeds_ = std::move(source); }

private:
    /// The answer to `verb` (WILL, WONT, DO or DONT) naming `option`.
    void AnswerOption(std::uint8_t verb, std::uint8_t option);
    /// The answer to the subnegotiation under way, once.
    void AnswerSubnegotiation();
    void Append(std::uint8_t a, std::uint8_t b, std::uint8_t c);
    void AppendData(std::string_view text);
    void AppendTerminalType();
    void AppendEnvironment();
    /// Appends type, name, VALUE, value; nothing when the value is empty,
    /// except for IBMRSEED, which is always sent (empty).
    void AddVariable(std::uint8_t type, std::string_view name, std::string_view value);
    /// Appends USERVAR, name, VALUE and a binary value in its wire form.
    void AddBinaryVariable(std::string_view name, const std::uint8_t* bytes, std::size_t count);
    /// The variables that describe a printer device.
    void AppendPrinterEnvironment();
    /// The IBMRSEED and IBMSUBSPW of an automatic sign-on, by the plan.
    void AppendPassword();
    /// Empties the answer, overwriting it first when it held a secret.
    void ForgetAnswer();

    RecordSender& sender_;
    const SessionSettings& settings_;
    std::vector<std::uint8_t> answer_;  ///< grows as needed: long values never overrun it
    bool environSent_ = false;
    std::vector<std::uint8_t> hostSeed_;
    telnet::EnvironSeedReader seedReader_;
    SignOnPlan plan_;
    SignOnReport report_;
    ClientSeedSource clientSeeds_;
    bool answerHoldsSecret_ = false;
    std::bitset<256> localOn_;   ///< options this terminal agreed to (WILL sent)
    std::bitset<256> remoteOn_;  ///< options the host agreed to (DO sent)
    telnet::TelnetReader reader_;  ///< Negotiate's; the endpoint reads for itself
    /// The option command whose verb data bytes are answered under; 0 for none.
    std::uint8_t verbInForce_ = 0;
    std::uint8_t subnegotiationOption_ = 0;
    bool subnegotiationOpen_ = false;
    bool subnegotiationAnswered_ = false;
};

}  // namespace quenlix
