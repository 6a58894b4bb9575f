// A relay on loopback between a terminal and a host that keeps every byte
// the terminal sent, so a test can tell what crossed the wire.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string_view>
#include <thread>
#include <vector>

#include "support/LoopbackListener.h"

namespace quenlix::testing {

/// Passes one connection through to the host on 127.0.0.1 and keeps what
/// the terminal sent. It waits 5 s at most for the terminal to come.
class RecordingRelay {
public:
    explicit RecordingRelay(std::uint16_t hostPort) {
        int port = 0;
        listenFd_ = ListenOnLoopback(1, port);
        port_ = static_cast<std::uint16_t>(port);
        thread_ = std::thread([this, hostPort] { Run(hostPort); });
    }
    ~RecordingRelay() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        close(listenFd_);
    }
    RecordingRelay(const RecordingRelay&) = delete;
    RecordingRelay& operator=(const RecordingRelay&) = delete;

    std::uint16_t port() const { return port_; }
    /// Everything the terminal sent, once the relay has ended.
    std::vector<std::uint8_t> Sent() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return sent_;
    }

private:
    void Run(std::uint16_t hostPort) {
        pollfd l{listenFd_, POLLIN, 0};
        if (poll(&l, 1, 5000) <= 0) return;
        const int terminal = accept(listenFd_, nullptr, nullptr);
        const int host = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(hostPort);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(host, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
            while (!stop_) {
                pollfd p[2] = {{terminal, POLLIN, 0}, {host, POLLIN, 0}};
                if (poll(p, 2, 50) <= 0) continue;
                std::uint8_t buffer[4096];
                if (p[0].revents) {
                    const ssize_t n = recv(terminal, buffer, sizeof buffer, 0);
                    if (n <= 0) break;
                    sent_.insert(sent_.end(), buffer, buffer + n);
                    send(host, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL);
                }
                if (p[1].revents) {
                    const ssize_t n = recv(host, buffer, sizeof buffer, 0);
                    if (n <= 0) break;
                    send(terminal, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL);
                }
            }
        }
        close(host);
        close(terminal);
    }

    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<std::uint8_t> sent_;
};

/// Whether `bytes` hold `text` anywhere.
inline bool BytesHold(const std::vector<std::uint8_t>& bytes, std::string_view text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

}  // namespace quenlix::testing
