// Arbitrary host byte streams, cut into arbitrary pieces, through the
// connection endpoint's reassembly and routing, the telnet negotiator and the
// 5250 interpreter with its answers, all sending back through the endpoint.
// Checks that held data stays within the receive buffer and that every block
// handed to the interpreter is whole: it ends with IAC EOR and its IAC pairs
// are complete.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "NetStreamInput.h"
#include "ds5250/HostResponses.h"
#include "ds5250/TN5250.h"
#include "net/Communication.h"

namespace {

using namespace quenlix;

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsWholeBlock(const std::uint8_t* b, std::size_t n) {
    if (n < 2 || b[n - 2] != 0xFF || b[n - 1] != 0xEF) return false;
    std::size_t i = 0;
    while (i < n) i += b[i] == 0xFF ? 2 : 1;
    return i == n;
}

/// Checks each block the endpoint hands on, then interprets it for real.
class CheckingInterpreter : public BlockInterpreter {
public:
    explicit CheckingInterpreter(CTN5250& interpreter) : interpreter_(interpreter) {}
    void ProcessBlock(const std::uint8_t* bytes, std::size_t count) override {
        Check(IsWholeBlock(bytes, count));
        interpreter_.ProcessBlock(bytes, count);
    }

private:
    CTN5250& interpreter_;
};

class Transport : public RecordSender {
public:
    bool fail = false;
    void Send(const std::uint8_t*, std::size_t count) override {
        Check(count > 0);
        if (fail) throw CBlockingSocketException("Send", EPIPE);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < fuzz::kHeaderSize) return 0;
    const std::uint8_t flags = data[0];
    const auto seed = static_cast<std::uint16_t>(data[1] << 8 | data[2]);

    Terminal terminal;
    if (flags & fuzz::kFlagWideScreen) {
        terminal.screen.AllocateCells(132, 27);
        terminal.screen.SetGeometry(132, 27);
    } else {
        terminal.screen.AllocateCells(80, 24);
        terminal.screen.SetGeometry(80, 24);
    }
    terminal.SetCursorCell(seed % 30, seed % 80);
    terminal.state.connected = (flags & fuzz::kFlagNotConnected) ? 0 : 1;
    terminal.state.sysReqMode = (flags & fuzz::kFlagSysReqMode) ? 1 : 0;

    SessionSettings settings;
    settings.TerminalName = "IBM-3477-FC";
    settings.AutoConnection = (flags & fuzz::kFlagAutoSignOn) ? 1 : 0;
    settings.DisplayNameAuto = (flags & fuzz::kFlagHostNamesDisplay) ? 1 : 0;
    settings.DisplayName = "DSP01";
    settings.UserID = "QUSER";
    settings.UserPassword = "PW";

    NullMessageBoxes messages;
    NullSessionControl session;
    NullSocketNotifier notifier;
    Communication comm({terminal, settings, messages, session, notifier});
    Transport transport;
    transport.fail = (flags & fuzz::kFlagSendsFail) != 0;
    TranslationCache tables;
    tables.InitTranslation("/nonexistent");  // the built-in pair, no file reads
    InterpreterLinks links{terminal, tables, settings, comm, messages};
    CTN5250 ds5250(links);
    ds5250.SetTracePath("");
    HostResponses responses(links);
    ds5250.SetHostReads(&responses);
    CheckingInterpreter interpreter(ds5250);
    comm.SetTransport(&transport);
    comm.SetInterpreter(&interpreter);

    const std::uint8_t* stream = data + fuzz::kHeaderSize;
    const std::size_t length = size - fuzz::kHeaderSize;
    // Repeated, a short input grows blocks larger than the receive buffer.
    const std::size_t total =
        (flags & fuzz::kFlagRepeat) == fuzz::kFlagRepeat && length > 0 ? fuzz::kRepeatedLength : length;
    fuzz::PieceLengths pieces(seed);
    for (std::size_t at = 0; at < total;) {
        const std::size_t offset = at % std::max<std::size_t>(length, 1);
        const std::size_t n = std::min({pieces.Next(), total - at, length - offset});
        comm.OnReceived(stream + offset, n);
        Check(comm.receivedCount() < Communication::kReceiveBufferSize);
        at += n;
    }

    // The negotiator alone, on the whole stream as one block.
    NullRecordSender answers;
    CTelnet telnet(answers, settings);
    telnet.Negotiate(stream, length);
    return 0;
}
