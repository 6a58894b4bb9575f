// An optional observer of the connection's traffic, for traces and for the
// headless front end's "trace on".
#pragma once

#include <cstddef>
#include <cstdint>

namespace quenlix {

class ConnectionMonitor {
public:
    virtual ~ConnectionMonitor() = default;
    /// A piece of host data as it arrived, before reassembly.
    virtual void Received(const std::uint8_t* /*bytes*/, std::size_t /*count*/) {}
    /// A record as it leaves for the host.
    virtual void Sent(const std::uint8_t* /*bytes*/, std::size_t /*count*/) {}
    /// Host bytes thrown away because the block they belong to is larger
    /// than the receive buffer.
    virtual void Dropped(std::size_t /*count*/) {}
};

}  // namespace quenlix
