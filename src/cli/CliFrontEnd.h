// The headless front end's side of a session: socket readiness by poll(),
// message boxes as "message:" lines, and a view with nothing to paint.
#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "net/SocketNotifier.h"
#include "terminal/MessageBoxes.h"
#include "terminal/TerminalState.h"
#include "terminal/ViewOperations.h"

namespace quenlix {
class Communication;
}

namespace quenlix::cli {

/// Remembers which socket to watch; the shell's event loop polls it.
class PollNotifier : public SocketNotifier {
public:
    void Resume(int socket) override { socket_ = socket; }
    void Suspend() override {
        socket_ = -1;
        readPosted_ = false;
    }
    void WatchWritable(int socket, bool on) override { writeSocket_ = on ? socket : -1; }
    void PostReadable() override { readPosted_ = true; }
    /// The socket to poll for reading, or -1 while notifications are suspended.
    int socket() const { return socket_; }
    /// The socket to poll for writing, or -1 while no output waits.
    int writeSocket() const { return writeSocket_; }
    /// A read was posted and not yet taken (TakePostedRead).
    bool readPosted() const { return readPosted_ && socket_ >= 0; }
    void TakePostedRead() { readPosted_ = false; }
    /// Hands the endpoint a posted read at once, or waits up to `timeout`
    /// for its sockets and hands it each event. False, at once, when there
    /// is no socket to wait for.
    bool Pump(Communication& endpoint, std::chrono::milliseconds timeout);

private:
    int socket_ = -1;
    int writeSocket_ = -1;
    bool readPosted_ = false;
};

/// Prints every message box text as one line "message: <text>", line breaks
/// written as the two characters \n, so a script reads one line a message.
class PrintedMessages : public MessageBoxes {
public:
    explicit PrintedMessages(std::ostream& out) : out_(out) {}
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    void Alarm() override { ++alarms; }
    /// Kept for the shell to print as "refused: <text>" after the command.
    void KeyRefused(std::string_view reason) override {
        Alarm();
        refused.emplace_back(reason);
    }
    int alarms = 0;
    std::vector<std::string> refused;

private:
    std::ostream& out_;
};

/// A view without a window: nothing to repaint.
class HeadlessView : public ViewOperations {};

/// One line of lower-case hexadecimal, no spaces.
std::string HexLine(const std::uint8_t* bytes, std::size_t count);
/// Bytes from hexadecimal text (spaces allowed); false on a bad digit or an
/// odd count.
bool ParseHex(std::string_view text, std::string& out);

}  // namespace quenlix::cli
