// A session's trace as lines.
#include "connection/SessionTracer.h"

#include "connection/TerminalSession.h"

namespace quenlix {

SessionTracer::SessionTracer(TerminalSession& session, LineSink sink, bool maskSecrets)
    : session_(session),
      sink_(std::move(sink)),
      tracer_(ScreenMemory::Of(session.terminal),
              maskSecrets) {}

void SessionTracer::Received(const std::uint8_t* bytes, std::size_t count) {
    UseSessionCodePage();
    sink_(Direction::Received, tracer_.Received(bytes, count));
}

void SessionTracer::Sent(const std::uint8_t* bytes, std::size_t count) {
    UseSessionCodePage();
    sink_(Direction::Sent, tracer_.Sent(bytes, count));
}

void SessionTracer::Dropped(std::size_t count) {
    sink_(Direction::Dropped, {"trace dropped " + std::to_string(count)});
}

void SessionTracer::Finish() {
    std::vector<std::string> lines = tracer_.Finish();
    if (!lines.empty()) sink_(Direction::Finished, lines);
}

void SessionTracer::UseSessionCodePage() {
    const int codePage = session_.activeSettings.PageCode;
    tracer_.SetTextTables(session_.tables.EtoaFor(codePage),
                          PcCharset::ForCodePage(codePage));
}

}  // namespace quenlix
