// Arbitrary host byte streams, cut into arbitrary pieces, through the
// connection endpoint's reassembly and routing, the telnet negotiator and the
// 5250 interpreter with its answers, all sending back through the endpoint.
// Checks that held data stays within the receive buffer and that every record
// handed to the interpreter is whole and undoubled: the end of one of the
// records the stream holds (read uncut, apart), in the stream's order.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "NetStreamInput.h"
#include "ds5250/HostResponses.h"
#include "ds5250/TN5250.h"
#include "net/Communication.h"
#include "net/TerminalConnectionDisplay.h"
#include "telnet/TelnetReader.h"

namespace {

using namespace quenlix;

void Check(bool condition) {
    if (!condition) std::abort();
}

using Record = std::vector<std::uint8_t>;

/// The records of a whole stream: the data between two IAC EORs.
std::vector<Record> RecordsOf(const std::uint8_t* stream, std::size_t size) {
    struct Gatherer : telnet::TelnetEvents {
        std::vector<Record> records;
        Record record;
        void RecordData(const std::uint8_t* bytes, std::size_t count) override {
            record.insert(record.end(), bytes, bytes + count);
        }
        void EndOfRecord() override {
            records.push_back(std::move(record));
            record.clear();
        }
    } gatherer;
    telnet::TelnetReader reader;
    reader.Feed(stream, size, gatherer);
    return std::move(gatherer.records);
}

/// Checks each record the endpoint hands on, then interprets it for real.
/// A record handed on is the end of one of the stream's records (what came
/// before it may have been negotiation or plain text), and they come in the
/// stream's order.
class CheckingInterpreter : public BlockInterpreter {
public:
    CheckingInterpreter(CTN5250& interpreter, const std::vector<Record>& expected)
        : interpreter_(interpreter), expected_(expected) {}
    void ProcessRecord(const std::uint8_t* record, std::size_t count) override {
        while (next_ < expected_.size() && !EndsWith(expected_[next_], record, count)) ++next_;
        Check(next_ < expected_.size());
        ++next_;
        interpreter_.ProcessRecord(record, count);
    }

private:
    static bool EndsWith(const Record& whole, const std::uint8_t* tail, std::size_t count) {
        return count <= whole.size() &&
               std::equal(tail, tail + count, whole.end() - static_cast<std::ptrdiff_t>(count));
    }

    CTN5250& interpreter_;
    const std::vector<Record>& expected_;
    std::size_t next_ = 0;
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

    TerminalConnectionDisplay display{terminal};
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
    Communication comm({display, settings, messages, session, notifier});
    Transport transport;
    transport.fail = (flags & fuzz::kFlagSendsFail) != 0;
    TranslationCache tables;
    tables.InitTranslation("/nonexistent");  // the built-in pair, no file reads
    InterpreterLinks links{terminal, tables, settings, comm, messages};
    CTN5250 ds5250(links);
    HostResponses responses(links);
    ds5250.SetHostReads(&responses);

    const std::uint8_t* stream = data + fuzz::kHeaderSize;
    const std::size_t length = size - fuzz::kHeaderSize;
    // Repeated, a short input grows blocks larger than the receive buffer.
    const std::size_t total =
        (flags & fuzz::kFlagRepeat) == fuzz::kFlagRepeat && length > 0 ? fuzz::kRepeatedLength : length;
    Record whole;
    whole.reserve(total);
    while (whole.size() < total) {
        whole.insert(whole.end(), stream,
                     stream + std::min(length, total - whole.size()));
    }
    const std::vector<Record> expected = RecordsOf(whole.data(), whole.size());
    CheckingInterpreter interpreter(ds5250, expected);
    comm.SetTransport(&transport);
    comm.SetInterpreter(&interpreter);
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
