// Splitting a TN5250 stream into telnet commands and records, as the
// endpoint does: a unit that starts with IAC (not IAC IAC) is telnet, any
// other runs to IAC EOR.
#include "trace/StreamDescriber.h"

#include "ds5250/TextTokens.h"
#include "telnet/TelnetCodes.h"

namespace quenlix {

using telnet::Command;
using telnet::kIAC;

namespace {

bool TakesOption(std::uint8_t command) {
    return command == telnet::Byte(Command::WILL) || command == telnet::Byte(Command::WONT) ||
           command == telnet::Byte(Command::DO) || command == telnet::Byte(Command::DONT);
}

/// telnet::Describe of the bytes, a secret run written "*** (n bytes)".
std::string DescribeTelnet(const std::vector<std::uint8_t>& bytes, const std::vector<bool>& secret,
                           std::size_t count, bool mask) {
    std::string out;
    std::size_t i = 0;
    while (i < count) {
        std::size_t j = i;
        const bool hidden = mask && secret[i];
        while (j < count && (mask && secret[j]) == hidden) ++j;
        const std::string words =
            hidden ? TextTokens::Secret(j - i) : telnet::Describe(bytes.data() + i, j - i);
        if (!out.empty() && !words.empty()) out += ' ';
        out += words;
        i = j;
    }
    return out;
}

}  // namespace

StreamDescriber::StreamDescriber(RecordSource source, const DescribeOptions& options,
                                 ScreenMemory& memory)
    : source_(source), options_(options), memory_(memory) {}

StreamDescriber::~StreamDescriber() = default;

void StreamDescriber::Feed(const std::uint8_t* bytes, std::size_t count, std::vector<bool>& secret,
                           std::vector<std::string>& lines) {
    secret.assign(count, false);
    bytes_ = bytes;
    secretIac_ = -1;
    for (std::size_t i = 0; i < count; ++i) Byte(i, secret, lines);
    // Telnet commands complete in this piece are described with it.
    FlushTelnet(lines);
    bytes_ = nullptr;
}

void StreamDescriber::Byte(std::size_t index, std::vector<bool>& secret,
                           std::vector<std::string>& lines) {
    const std::uint8_t b = bytes_[index];
    switch (state_) {
        case State::kStart:
            if (b == kIAC) {
                state_ = State::kIac;
                return;
            }
            StartRecord(lines);
            secret[index] = record_->Feed(b);
            return;
        case State::kIac:
            if (b == kIAC) {
                // IAC IAC: a record whose first length byte is 0xFF.
                StartRecord(lines);
                record_->Feed(kIAC);
                secret[index] = record_->Feed(b);
                return;
            }
            Telnet(kIAC, false);
            Telnet(b, false);
            if (b == telnet::Byte(Command::SB)) {
                environ_.Begin();
                state_ = State::kSubnegotiation;
            } else if (TakesOption(b)) {
                state_ = State::kOption;
            } else {
                TelnetDone();
            }
            return;
        case State::kOption:
            Telnet(b, false);
            TelnetDone();
            return;
        case State::kSubnegotiation:
            if (b == kIAC) {
                // IAC SE ends the subnegotiation, IAC IAC is one data byte:
                // inside a secret both copies are masked once the next byte
                // tells which it is.
                state_ = State::kSubnegotiationIac;
                secretIac_ = environ_.inSecret() ? static_cast<long>(index) : -1;
                Telnet(b, false);
                return;
            }
            if (telnet_.size() >= kMaxTelnetBytes) {
                // A long subnegotiation is described in parts.
                FlushTelnet(lines);
                lines.push_back(
                    DescribeTelnet(telnet_, telnetSecret_, telnet_.size(), options_.maskSecrets) +
                    " ...");
                telnet_.clear();
                telnetSecret_.clear();
            }
            secret[index] = environ_.Data(b);
            Telnet(b, secret[index]);
            return;
        case State::kSubnegotiationIac:
            if (b == kIAC) {
                const bool hidden = environ_.Data(kIAC);
                if (hidden) {
                    secret[index] = true;
                    if (secretIac_ >= 0) secret[static_cast<std::size_t>(secretIac_)] = true;
                    if (!telnetSecret_.empty()) telnetSecret_.back() = true;
                }
                Telnet(b, hidden);
                state_ = State::kSubnegotiation;
                return;
            }
            Telnet(b, false);
            if (b == telnet::Byte(Command::SE)) {
                TelnetDone();
            } else {
                state_ = State::kSubnegotiation;  // a lone IAC inside: kept as it came
            }
            return;
        case State::kRecord:
            secret[index] = record_->Feed(b);
            if (record_->ended()) EndRecord(lines);
            return;
    }
}

void StreamDescriber::StartRecord(std::vector<std::string>& lines) {
    FlushTelnet(lines);
    record_ = std::make_unique<RecordDescriber>(source_, options_, memory_);
    state_ = State::kRecord;
}

void StreamDescriber::EndRecord(std::vector<std::string>& lines) {
    std::vector<std::string> described = record_->Finish();
    lines.insert(lines.end(), std::make_move_iterator(described.begin()),
                 std::make_move_iterator(described.end()));
    record_.reset();
    state_ = State::kStart;
}

void StreamDescriber::Telnet(std::uint8_t byte, bool secret) {
    telnet_.push_back(byte);
    telnetSecret_.push_back(secret);
}

void StreamDescriber::TelnetDone() {
    telnetDone_ = telnet_.size();
    state_ = State::kStart;
}

void StreamDescriber::FlushTelnet(std::vector<std::string>& lines) {
    if (telnetDone_ == 0) return;
    lines.push_back(DescribeTelnet(telnet_, telnetSecret_, telnetDone_, options_.maskSecrets));
    telnet_.erase(telnet_.begin(), telnet_.begin() + static_cast<long>(telnetDone_));
    telnetSecret_.erase(telnetSecret_.begin(),
                        telnetSecret_.begin() + static_cast<long>(telnetDone_));
    telnetDone_ = 0;
}

void StreamDescriber::Finish(std::vector<std::string>& lines) {
    FlushTelnet(lines);
    if (state_ == State::kRecord) {
        EndRecord(lines);
    } else if (!telnet_.empty()) {
        lines.push_back(
            DescribeTelnet(telnet_, telnetSecret_, telnet_.size(), options_.maskSecrets) +
            " (cut short)");
    } else if (state_ == State::kIac) {
        lines.push_back("IAC (cut short)");
    }
    telnet_.clear();
    telnetSecret_.clear();
    telnetDone_ = 0;
    record_.reset();
    state_ = State::kStart;
}

StreamDescription DescribeStream(const std::uint8_t* bytes, std::size_t count, RecordSource source,
                                 const DescribeOptions& options, ScreenMemory* memory) {
    ScreenMemory blank;
    StreamDescriber describer(source, options, memory ? *memory : blank);
    StreamDescription out;
    describer.Feed(bytes, count, out.secret, out.lines);
    describer.Finish(out.lines);
    return out;
}

}  // namespace quenlix
