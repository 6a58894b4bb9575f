// A TN5250 host for tests: listens on 127.0.0.1, accepts one terminal and
// plays a script of sends and expected answers on its own thread.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/LoopbackListener.h"

namespace quenlix::testing {

using Bytes = std::vector<std::uint8_t>;

class ScriptedHost {
public:
    ScriptedHost() {
        listener_ = ListenOnLoopback(1, port_);
    }
    ~ScriptedHost() {
        if (thread_.joinable()) thread_.join();
        if (client_ >= 0) ::close(client_);
        ::close(listener_);
    }
    int port() const { return port_; }

    /// Runs `script` on the host's thread once a terminal connects.
    void Play(std::function<void(ScriptedHost&)> script) {
        thread_ = std::thread([this, script] {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 10000) <= 0) return;
            client_ = ::accept(listener_, nullptr, nullptr);
            script(*this);
        });
    }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

    void Send(const Bytes& bytes) {
        ::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    /// Sends in pieces with a pause between them, as a slow network would.
    void SendInPieces(const Bytes& bytes, const std::vector<std::size_t>& cuts) {
        std::size_t at = 0;
        for (std::size_t cut : cuts) {
            Send(Bytes(bytes.begin() + at, bytes.begin() + cut));
            at = cut;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        Send(Bytes(bytes.begin() + at, bytes.end()));
    }
    /// Reads until `count` bytes came or the time ran out.
    Bytes Read(std::size_t count, int timeoutMs = 5000) {
        Bytes out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd p{client_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            std::uint8_t buf[4096];
            const ssize_t n = ::recv(client_, buf, std::min(sizeof buf, count - out.size()), 0);
            if (n <= 0) break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    /// Reads one record up to and including IAC EOR.
    Bytes ReadRecord(int timeoutMs = 5000) {
        Bytes out;
        while (out.size() < 2 || out[out.size() - 2] != 0xFF || out.back() != 0xEF) {
            Bytes one = Read(1, timeoutMs);
            if (one.empty()) break;
            out.push_back(one[0]);
        }
        return out;
    }
    /// Reads up to and including IAC SE.
    Bytes ReadUntilSe(int timeoutMs = 5000) {
        Bytes out;
        while (out.size() < 2 || out[out.size() - 2] != 0xFF || out.back() != 0xF0) {
            Bytes one = Read(1, timeoutMs);
            if (one.empty()) break;
            out.push_back(one[0]);
        }
        return out;
    }
    void Close() {
        ::shutdown(client_, SHUT_RDWR);
        ::close(client_);
        client_ = -1;
    }

    /// What the script saw, for the test thread to check after Join.
    std::vector<Bytes> received;

private:
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace quenlix::testing
