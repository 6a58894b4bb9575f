// The demo host's sign-on server: the attribute exchange only, which tells a
// terminal the host's password level. One thread, one loopback listener,
// one short connection at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace quenlix::demohost {

/// The reply to an exchange-attributes request: version V7R5M0, datastream
/// level 15, a fresh server seed and `passwordLevel`; empty when the request
/// is not one (wrong length, server ID or request ID).
std::vector<std::uint8_t> ExchangeAttributesReply(const std::uint8_t* request, std::size_t count,
                                                  int passwordLevel);

class SignOnService {
public:
    /// Bytes of a request read at most; a longer one is refused.
    static constexpr std::size_t kMaxRequest = 1024;

    SignOnService(std::string bindAddress, std::uint16_t port, int passwordLevel);
    ~SignOnService();
    SignOnService(const SignOnService&) = delete;
    SignOnService& operator=(const SignOnService&) = delete;

    /// Listens and starts serving. False with a message on failure.
    bool Start(std::string& error);
    /// The bound port (the chosen one when 0 was asked for).
    std::uint16_t port() const { return port_; }
    void Stop();

private:
    void Serve();
    void Answer(int fd);

    std::string bindAddress_;
    std::uint16_t port_;
    int passwordLevel_;
    int listenFd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace quenlix::demohost
