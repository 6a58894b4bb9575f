// A listening socket on 127.0.0.1 (ephemeral port) standing in for the host.
#pragma once

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace quenlix::test {

inline bool Readable(int fd, int ms = 2000) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) == 1;
}

class LoopbackHost {
public:
    /// Listens when `listening`; otherwise only reserves a port where nothing listens.
    explicit LoopbackHost(bool listening = true, int backlog = 4) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
        if (listening) listen(listener_, backlog);
    }
    ~LoopbackHost() {
        Hangup();
        close(listener_);
    }
    std::uint16_t port() const { return port_; }
    bool Accept() {
        return Readable(listener_) && (peer_ = accept(listener_, nullptr, nullptr)) >= 0;
    }
    void Write(const std::vector<std::uint8_t>& b) {
        for (std::size_t done = 0; done < b.size();) {
            const ssize_t n = send(peer_, b.data() + done, b.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }
    /// What the terminal sent, waiting at most `ms` for the first byte.
    std::vector<std::uint8_t> Read(int ms = 2000) {
        std::vector<std::uint8_t> out;
        std::uint8_t chunk[65536];
        ssize_t n = 0;
        while (Readable(peer_, out.empty() ? ms : 50) &&
               (n = recv(peer_, chunk, sizeof chunk, 0)) > 0)
            out.insert(out.end(), chunk, chunk + n);
        return out;
    }
    void Hangup() {
        if (peer_ >= 0) close(peer_);
        peer_ = -1;
    }

private:
    int listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int peer_ = -1;
    std::uint16_t port_ = 0;
};

}  // namespace quenlix::test
