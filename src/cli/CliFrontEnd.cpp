// Headless front-end pieces.
#include "cli/CliFrontEnd.h"

#include <poll.h>

#include "net/Communication.h"

namespace quenlix::cli {

bool PollNotifier::Pump(Communication& endpoint, std::chrono::milliseconds timeout) {
    if (readPosted()) {
        // Decrypted host data waits in the TLS session: no poll needed.
        TakePostedRead();
        endpoint.OnSocketEvent();
        return true;
    }
    if (socket_ < 0 && writeSocket_ < 0) return false;
    pollfd p[2];
    nfds_t count = 0;
    if (socket_ >= 0) p[count++] = pollfd{socket_, POLLIN, 0};
    if (writeSocket_ >= 0) p[count++] = pollfd{writeSocket_, POLLOUT, 0};
    if (::poll(p, count, static_cast<int>(timeout.count())) <= 0) return true;
    for (nfds_t i = 0; i < count; ++i) {
        if (p[i].revents == 0) continue;
        if (p[i].events == POLLOUT) {
            endpoint.OnSocketWritable();
        } else {
            endpoint.OnSocketEvent();
        }
    }
    return true;
}

void PrintedMessages::ShowMessage(std::string_view text, MessageIcon) {
    std::string line = "message: ";
    for (char c : text) {
        if (c == '\n') {
            line += "\\n";
        } else {
            line += c;
        }
    }
    out_ << line << '\n';
    out_.flush();
}

std::string HexLine(const std::uint8_t* bytes, std::size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

bool ParseHex(std::string_view text, std::string& out) {
    out.clear();
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t') continue;
        int v;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else {
            return false;
        }
        if (high < 0) {
            high = v;
        } else {
            out += static_cast<char>(high * 16 + v);
            high = -1;
        }
    }
    return high < 0;
}

}  // namespace quenlix::cli
