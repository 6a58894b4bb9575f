// Splitting a TN5250 stream into telnet commands and records: the telnet
// reader reads it; data outside any command begins a record, which runs to
// IAC EOR. The telnet lines show the bytes as they travelled.
#include "trace/StreamDescriber.h"

#include "ds5250/TextTokens.h"
#include "telnet/TelnetCodes.h"

namespace quenlix {

using telnet::Command;
using telnet::kIAC;

namespace {

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
    count_ = count;
    secret_ = &secret;
    lines_ = &lines;
    if (recordWire_) recordWire_->Piece(bytes, count, reader_.state(), secret);
    reader_.Feed(bytes, count, *this);
    if (count > 0) lastByte_ = bytes[count - 1];
    // Telnet commands complete in this piece are described with it.
    FlushTelnet(lines);
    bytes_ = nullptr;
    count_ = 0;
    secret_ = nullptr;
    lines_ = nullptr;
}

// Inside a record, the record's reading takes every event.

void StreamDescriber::OptionCommand(std::uint8_t verb, std::uint8_t option) {
    if (recordWire_) return recordWire_->OptionCommand(verb, option);
    Telnet({kIAC, verb, option});
    TelnetDone();
}

void StreamDescriber::Command(std::uint8_t command) {
    if (recordWire_) return recordWire_->Command(command);
    Telnet({kIAC, command});
    TelnetDone();
}

void StreamDescriber::EndOfRecord() {
    if (recordWire_) {
        recordWire_->EndOfRecord();
        EndRecord(*lines_);
        return;
    }
    // IAC EOR with no record before it.
    Telnet({kIAC, telnet::Byte(Command::EOR)});
    TelnetDone();
}

void StreamDescriber::SubnegotiationBegin(std::uint8_t option) {
    if (recordWire_) return recordWire_->SubnegotiationBegin(option);
    Telnet({kIAC, telnet::Byte(Command::SB)});
    SplitLongSubnegotiation();
    Telnet(option, false);
    environ_.Begin(option);
}

void StreamDescriber::SubnegotiationData(const std::uint8_t* bytes, std::size_t count) {
    if (recordWire_) return recordWire_->SubnegotiationData(bytes, count);
    std::vector<bool>& secret = *secret_;
    const std::size_t at = static_cast<std::size_t>(bytes - bytes_);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        const std::size_t index = at + i;
        if (b == kIAC) {
            // It travelled doubled: inside a secret both copies are masked,
            // the first when it is still in this piece.
            const bool hidden = environ_.Data(b);
            if (hidden) {
                secret[index] = true;
                if (index > 0) secret[index - 1] = true;
            }
            Telnet(kIAC, hidden);
            Telnet(kIAC, hidden);
            continue;
        }
        SplitLongSubnegotiation();
        secret[index] = environ_.Data(b);
        Telnet(b, secret[index]);
    }
}

void StreamDescriber::SubnegotiationEnd(bool complete) {
    if (recordWire_) return recordWire_->SubnegotiationEnd(complete);
    // Cut short by another command, it is described as it came, that
    // command after it.
    if (complete) Telnet({kIAC, telnet::Byte(Command::SE)});
    TelnetDone();
}

void StreamDescriber::RecordData(const std::uint8_t* bytes, std::size_t count) {
    if (!recordWire_) {
        // Data outside any command begins a record.
        StartRecord();
        recordWire_->Piece(bytes_, count_, telnet::TelnetReader::State::kData, *secret_);
    }
    recordWire_->RecordData(bytes, count);
}

void StreamDescriber::StartRecord() {
    FlushTelnet(*lines_);
    record_ = std::make_unique<RecordDescriber>(source_, options_, memory_);
    recordWire_ = std::make_unique<RecordOnTheWire>(*record_);
}

void StreamDescriber::EndRecord(std::vector<std::string>& lines) {
    std::vector<std::string> described = record_->Finish(RecordOnTheWire::HoldsIac(reader_));
    lines.insert(lines.end(), std::make_move_iterator(described.begin()),
                 std::make_move_iterator(described.end()));
    recordWire_.reset();
    record_.reset();
}

void StreamDescriber::Telnet(std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) Telnet(b, false);
}

void StreamDescriber::Telnet(std::uint8_t byte, bool secret) {
    telnet_.push_back(byte);
    telnetSecret_.push_back(secret);
}

void StreamDescriber::TelnetDone() { telnetDone_ = telnet_.size(); }

void StreamDescriber::SplitLongSubnegotiation() {
    if (telnet_.size() < kMaxTelnetBytes) return;
    FlushTelnet(*lines_);
    lines_->push_back(DescribeTelnet(telnet_, telnetSecret_, telnet_.size(), options_.maskSecrets) +
                      " ...");
    telnet_.clear();
    telnetSecret_.clear();
}

void StreamDescriber::FlushTelnet(std::vector<std::string>& lines) {
    if (telnetDone_ == 0) return;
    lines.push_back(DescribeTelnet(telnet_, telnetSecret_, telnetDone_, options_.maskSecrets));
    telnet_.erase(telnet_.begin(), telnet_.begin() + static_cast<long>(telnetDone_));
    telnetSecret_.erase(telnetSecret_.begin(),
                        telnetSecret_.begin() + static_cast<long>(telnetDone_));
    telnetDone_ = 0;
}

std::vector<std::uint8_t> StreamDescriber::HeldCommand() const {
    using State = telnet::TelnetReader::State;
    switch (reader_.state()) {
        case State::kIac:
        case State::kSubnegotiationIac:
            return {kIAC};
        case State::kOption:
        case State::kSubnegotiationOption:
            return {kIAC, lastByte_};  // the verb or SB is the last byte read
        case State::kData:
        case State::kSubnegotiation:
            break;
    }
    return {};
}

void StreamDescriber::Finish(std::vector<std::string>& lines) {
    lines_ = &lines;
    FlushTelnet(lines);
    if (record_) {
        EndRecord(lines);
    } else {
        const std::vector<std::uint8_t> held = HeldCommand();
        if (!telnet_.empty() || held.size() > 1) {
            for (std::uint8_t b : held) Telnet(b, false);
            lines.push_back(
                DescribeTelnet(telnet_, telnetSecret_, telnet_.size(), options_.maskSecrets) +
                " (cut short)");
        } else if (!held.empty()) {
            lines.push_back("IAC (cut short)");
        }
    }
    telnet_.clear();
    telnetSecret_.clear();
    telnetDone_ = 0;
    reader_.Reset();
    lines_ = nullptr;
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
