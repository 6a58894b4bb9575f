// The trace of a session's connection as lines: the traffic tracer fed from
// the endpoint's monitor, in the session's code page of the moment (the
// operator may change it while tracing). Who receives the lines decides
// where they go: the CLI prints them, the desktop program writes a file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "net/ConnectionMonitor.h"
#include "trace/TrafficTracer.h"

namespace quenlix {

class TerminalSession;

class SessionTracer : public ConnectionMonitor {
public:
    enum class Direction { Received, Sent, Dropped, Finished };
    /// Receives the lines of each piece: for Received and Sent the hex line
    /// first, then the described lines; for Dropped the one "trace dropped
    /// <count>" line; for Finished the described lines of records left
    /// unfinished when the trace ends.
    using LineSink = std::function<void(Direction, const std::vector<std::string>&)>;

    /// Starts from what the session's screen shows now (its fields tell
    /// which of the terminal's answers are secret). The session must outlive
    /// the tracer; the tracer is not the endpoint's monitor until the caller
    /// makes it so, and must stop being it before it goes.
    SessionTracer(TerminalSession& session, LineSink sink, bool maskSecrets = true);

    void Received(const std::uint8_t* bytes, std::size_t count) override;
    void Sent(const std::uint8_t* bytes, std::size_t count) override;
    void Dropped(std::size_t count) override;
    /// Hands the described lines of unfinished records to the sink.
    void Finish();

    bool masking() const { return tracer_.masking(); }

private:
    void UseSessionCodePage();

    TerminalSession& session_;
    LineSink sink_;
    TrafficTracer tracer_;
};

}  // namespace quenlix
