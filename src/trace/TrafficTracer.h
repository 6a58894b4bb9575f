// The trace of one connection, both directions, as the lines a trace file
// and the CLI's "trace on" hold: "trace recv <hex>" for each piece of host
// data as it arrived, "trace sent <hex>" for each piece the terminal sent,
// each followed by the described lines of what the piece completed, two
// blanks in front. Secret bytes (data of non-display fields, the sign-on's
// password, the NEW-ENVIRON value of IBMSUBSPW) are written "**" in the hex
// and "*** (n bytes)" in the described lines, unless masking is turned off.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ds5250/RecordDescriber.h"
#include "ds5250/ScreenMemory.h"
#include "terminal/Languages.h"
#include "trace/StreamDescriber.h"

namespace quenlix {

class TrafficTracer {
public:
    /// The words that begin the hex lines.
    static constexpr const char* kReceivedPrefix = "trace recv ";
    static constexpr const char* kSentPrefix = "trace sent ";
    /// How a masked byte is written in the hex lines.
    static constexpr const char* kMaskedByte = "**";

    /// `screen`: what the terminal shows when the trace starts (its fields
    /// tell which data of the terminal's answers is secret); a blank screen
    /// for a trace from the connection's start.
    explicit TrafficTracer(const ScreenMemory& screen, bool maskSecrets = true);
    TrafficTracer(const TrafficTracer&) = delete;
    TrafficTracer& operator=(const TrafficTracer&) = delete;

    /// The session's code page for display and field data: EBCDIC to PC
    /// characters, PC characters to UTF-8. Both must outlive the tracer or
    /// the next call of this.
    void SetTextTables(const std::array<std::uint8_t, 256>& etoa, const PcCharset& charset);

    /// Lines for a piece of host data, and for a piece the terminal sent.
    std::vector<std::string> Received(const std::uint8_t* bytes, std::size_t count);
    std::vector<std::string> Sent(const std::uint8_t* bytes, std::size_t count);
    /// The described lines of records left unfinished in either direction.
    std::vector<std::string> Finish();

    bool masking() const { return options_.maskSecrets; }
    const ScreenMemory& screen() const { return screen_; }

private:
    std::vector<std::string> Piece(StreamDescriber& stream, const char* prefix,
                                   const std::uint8_t* bytes, std::size_t count);

    DescribeOptions options_;
    ScreenMemory screen_;
    StreamDescriber received_;
    StreamDescriber sent_;
};

}  // namespace quenlix
