// One reading of a TN5250 stream in either direction, through the telnet
// reader: telnet commands are described by the telnet describer
// (telnet::Describe), 5250 records by the record describer, each the moment
// it is whole. Bytes may come in any pieces; whether a byte is secret is
// known when it arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "ds5250/RecordDescriber.h"
#include "ds5250/RecordOnTheWire.h"
#include "ds5250/ScreenMemory.h"
#include "telnet/TelnetReader.h"
#include "trace/EnvironSecrets.h"

namespace quenlix {

class StreamDescriber : private telnet::TelnetEvents {
public:
    /// Bytes of a subnegotiation described in one line; a longer one goes
    /// on in the next.
    static constexpr std::size_t kMaxTelnetBytes = 4096;

    /// `options` and `memory` must outlive the describer.
    StreamDescriber(RecordSource source, const DescribeOptions& options, ScreenMemory& memory);
    ~StreamDescriber();

    /// The next bytes of the stream. `secret` is resized to `count`, one flag
    /// a byte; the lines of every telnet command and record completed here
    /// are appended to `lines`.
    void Feed(const std::uint8_t* bytes, std::size_t count, std::vector<bool>& secret,
              std::vector<std::string>& lines);
    /// The lines of what is unfinished; the next byte starts afresh.
    void Finish(std::vector<std::string>& lines);

private:
    // What the reader finds between records; inside one, the record's own
    // reading (RecordOnTheWire) takes the bytes.
    void OptionCommand(std::uint8_t verb, std::uint8_t option) override;
    void Command(std::uint8_t command) override;
    void SubnegotiationBegin(std::uint8_t option) override;
    void SubnegotiationData(const std::uint8_t* bytes, std::size_t count) override;
    void SubnegotiationEnd(bool complete) override;
    void RecordData(const std::uint8_t* bytes, std::size_t count) override;
    void EndOfRecord() override;

    void StartRecord();
    void EndRecord(std::vector<std::string>& lines);
    /// The wire bytes of a telnet command, none of them secret.
    void Telnet(std::initializer_list<std::uint8_t> bytes);
    void Telnet(std::uint8_t byte, bool secret);
    void TelnetDone();
    /// A long subnegotiation is described in parts.
    void SplitLongSubnegotiation();
    void FlushTelnet(std::vector<std::string>& lines);
    /// The bytes the reader holds of a command not yet complete.
    std::vector<std::uint8_t> HeldCommand() const;

    RecordSource source_;
    const DescribeOptions& options_;
    ScreenMemory& memory_;
    telnet::TelnetReader reader_;
    std::uint8_t lastByte_ = 0;  ///< the last byte the reader read

    // Of the Feed call running.
    const std::uint8_t* bytes_ = nullptr;
    std::size_t count_ = 0;
    std::vector<bool>* secret_ = nullptr;
    std::vector<std::string>* lines_ = nullptr;

    std::unique_ptr<RecordDescriber> record_;
    std::unique_ptr<RecordOnTheWire> recordWire_;

    std::vector<std::uint8_t> telnet_;  ///< telnet bytes not yet described
    std::vector<bool> telnetSecret_;
    std::size_t telnetDone_ = 0;  ///< telnet_[0 .. telnetDone_) are whole commands
    EnvironSecrets environ_;
};

/// A whole block of a TN5250 stream (or several) described at once.
/// `memory` may be nullptr: a blank 24 x 80 screen without fields.
struct StreamDescription {
    std::vector<std::string> lines;
    std::vector<bool> secret;
};
StreamDescription DescribeStream(const std::uint8_t* bytes, std::size_t count, RecordSource source,
                                 const DescribeOptions& options = {},
                                 ScreenMemory* memory = nullptr);

}  // namespace quenlix
