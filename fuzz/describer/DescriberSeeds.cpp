// Writes the describer harness's seeds: a sign-on in both directions (the
// negotiation with an automatic sign-on's environment answer, the screen,
// the terminal's answers with a password typed into its non-display field),
// full screens, the query and its reply, each under every set-up.
#include <cstdio>
#include <string>

#include "describer/DescriberInput.h"
#include "ds5250/HostResponses.h"
#include "support/SampleScreens.h"
#include "support/StandaloneInterpreter.h"
#include "support/WireRecords.h"

using namespace quenlix;

namespace {

class Captured : public RecordSender {
public:
    void Send(const std::uint8_t* bytes, std::size_t count) override {
        sent.emplace_back(bytes, bytes + count);
    }
    std::vector<Bytes> sent;
};

/// The host's screen and every answer the terminal gives on it.
Bytes SignOnSession() {
    StandaloneInterpreter s(80, 24, 0);
    s.settings.TerminalName = "IBM-3477-FC";
    Captured sender;
    InterpreterLinks links{s.terminal, s.tables, s.settings, sender, s.messages};
    CTN5250 interpreter(links);
    HostResponses responses(links);
    interpreter.SetHostReads(&responses);
    const Bytes screen = samples::SignOnScreen();
    ::quenlix::ProcessWire(interpreter, screen);
    const std::string password = "PASSWORD";
    for (std::size_t k = 0; k < password.size(); ++k) {
        s.terminal.SetCellByte(HostPosition(7, 53, 80) + static_cast<int>(k),
                               BuiltinTablePair().ATOE[static_cast<std::uint8_t>(password[k])]);
    }
    s.terminal.formatTable.entry(1)->mdt = 1;
    s.terminal.state.operatorModified = 1;
    responses.SendAid(0xF1);
    responses.SendReadScreen();
    responses.SendSaveScreen();
    responses.SendReadImmediate();
    responses.SendQueryReply(ds::kQueryClass);

    Bytes input;
    const Bytes negotiation = {0xFF, 0xFD, 0x27, 0xFF, 0xFA, 0x27, 0x01, 0x03, 'I', 'B', 'M',
                               'S', 'U', 'B', 'S', 'P', 'W', 0xFF, 0xF0};
    fuzz::AppendPieces(input, negotiation, false);
    Bytes environ = {0xFF, 0xFA, 0x27, 0x00, 0x03, 'I', 'B', 'M', 'S', 'U', 'B', 'S', 'P', 'W',
                     0x01, 'S', 0x02, 0x01, 0xFF, 0xFF, 'T', 0xFF, 0xF0};
    fuzz::AppendPieces(input, environ, true);
    fuzz::AppendPieces(input, screen, false, 37);
    for (const Bytes& answer : sender.sent) fuzz::AppendPieces(input, answer, true);
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    std::vector<Bytes> seeds = {SignOnSession()};
    for (const Bytes& host : {samples::FullScreen(24, 80, 10), samples::FullScreen(27, 132, 40),
                              RecordBuilder(0x02).queryStructuredField().record(),
                              RecordBuilder().roll(0x83, 2, 10).readInputFields().record()}) {
        Bytes input;
        fuzz::AppendPieces(input, host, false);
        seeds.push_back(input);
    }
    int n = 0;
    for (const Bytes& seed : seeds) {
        for (std::uint8_t mode : {0, 1, 2, 4, 7}) {
            const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(n++);
            std::FILE* f = std::fopen(path.c_str(), "wb");
            if (!f) return 1;
            std::fputc(mode, f);
            std::fwrite(seed.data(), 1, seed.size(), f);
            std::fclose(f);
        }
    }
    return 0;
}
