// Where records for the host leave the protocol code. The connection
// endpoint implements it; tests capture the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quenlix {

class RecordSender {
public:
    virtual ~RecordSender() = default;
    /// Transmits the bytes as they are (already framed, IAC doubled, EOR added).
    virtual void Send(const std::uint8_t* bytes, std::size_t count) = 0;
};

/// Drops everything.
class NullRecordSender : public RecordSender {
public:
    void Send(const std::uint8_t*, std::size_t) override {}
};

}  // namespace quenlix
