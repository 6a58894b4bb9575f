// One reading of a TN5250 stream in either direction: telnet commands are
// described by the telnet describer (telnet::Describe), 5250 records by the
// record describer, each the moment it is whole. Bytes may come in any
// pieces; whether a byte is secret is known when it arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ds5250/RecordDescriber.h"
#include "ds5250/ScreenMemory.h"
#include "trace/EnvironSecrets.h"

namespace quenlix {

class StreamDescriber {
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
    enum class State {
        kStart,
        kIac,
        kOption,
        kSubnegotiation,
        kSubnegotiationIac,
        kRecord,
    };

    void Byte(std::size_t index, std::vector<bool>& secret, std::vector<std::string>& lines);
    void StartRecord(std::vector<std::string>& lines);
    void EndRecord(std::vector<std::string>& lines);
    void Telnet(std::uint8_t byte, bool secret);
    void TelnetDone();
    void FlushTelnet(std::vector<std::string>& lines);

    RecordSource source_;
    const DescribeOptions& options_;
    ScreenMemory& memory_;
    State state_ = State::kStart;
    const std::uint8_t* bytes_ = nullptr;  ///< of the Feed call running

    std::unique_ptr<RecordDescriber> record_;

    std::vector<std::uint8_t> telnet_;  ///< telnet bytes not yet described
    std::vector<bool> telnetSecret_;
    std::size_t telnetDone_ = 0;  ///< telnet_[0 .. telnetDone_) are whole commands
    EnvironSecrets environ_;
    /// Index in this Feed call of an IAC inside a secret value, whose
    /// secrecy the next byte decides (-1 none).
    long secretIac_ = -1;
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
