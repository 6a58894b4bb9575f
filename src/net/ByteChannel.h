// The byte stream under the connection endpoint: the plain TCP socket, or a
// TLS session over it. The endpoint, the negotiation and the interpreter see
// the same bytes either way; only readiness differs, since a TLS session
// may need the socket to be writable before it can deliver what was read,
// readable before it can take more output, and may hold decrypted bytes
// the socket no longer reports.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quenlix {

class ByteChannel {
public:
    virtual ~ByteChannel() = default;

    /// One receive of at most `size` bytes; returns how many arrived, 0 when
    /// the host has ended the stream. Never waits: with nothing to deliver
    /// it throws CBlockingSocketException ("Receive", EAGAIN). Other failures
    /// throw as well.
    virtual std::size_t Receive(std::uint8_t* buffer, std::size_t size) = 0;
    /// Takes as many of the bytes as can go now, without waiting; returns how
    /// many that was (0 when none can). Throws CBlockingSocketException
    /// ("Send") when the stream has failed. A count of 0 after a refusal
    /// means the same bytes must be offered again first (they may be longer).
    virtual std::size_t SendSome(const std::uint8_t* bytes, std::size_t count) = 0;

    /// The last Receive could not go on until the socket takes output.
    virtual bool ReceiveWantsWritable() const { return false; }
    /// The last SendSome could not go on until data is read from the socket.
    virtual bool SendWantsReadable() const { return false; }
    /// Bytes (or the end of the stream) wait inside the channel, so Receive
    /// delivers even if the socket does not report itself readable again.
    virtual bool HasBufferedInput() const { return false; }
};

}  // namespace quenlix
