// A listening TCP socket on 127.0.0.1 with an ephemeral port, standing in
// for the host in the socket and endpoint tests.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace quenlix::test {

class LoopbackListener {
public:
    explicit LoopbackListener(int backlog = 4) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd_, backlog);
        socklen_t length = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
    }
    ~LoopbackListener() {
        CloseConnection();
        if (fd_ >= 0) close(fd_);
    }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    std::uint16_t port() const { return port_; }

    /// Takes the next waiting connection; returns false when none came.
    bool Accept() {
        if (!Readable(fd_, 2000)) return false;
        peer_ = accept(fd_, nullptr, nullptr);
        return peer_ >= 0;
    }
    void Write(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = send(peer_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }
    /// What the terminal sent, waiting at most `ms` for the first byte.
    std::vector<std::uint8_t> Read(int ms = 2000) {
        std::vector<std::uint8_t> out;
        while (Readable(peer_, out.empty() ? ms : 50)) {
            std::uint8_t chunk[4096];
            const ssize_t n = recv(peer_, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            out.insert(out.end(), chunk, chunk + n);
        }
        return out;
    }
    void CloseConnection() {
        if (peer_ >= 0) close(peer_);
        peer_ = -1;
    }
    int peer() const { return peer_; }

    static bool Readable(int fd, int ms) {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, ms) == 1;
    }

private:
    int fd_ = -1;
    int peer_ = -1;
    std::uint16_t port_ = 0;
};

/// A port on 127.0.0.1 where nothing listens (bound once, then released).
inline std::uint16_t ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t length = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    close(fd);
    return ntohs(a.sin_port);
}

}  // namespace quenlix::test
