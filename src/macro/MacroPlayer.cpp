// Playing a macro step by step.
#include "macro/MacroPlayer.h"

#include "terminal/PendingRead.h"
#include "macro/ScreenConditions.h"
#include "terminal/ScreenReading.h"

namespace quenlix::macro {

namespace {

/// What `wait` and `wait-block` wait at most without a time of their own,
/// as the CLI's.
constexpr int kDefaultWaitMs = 5000;

bool ParseMs(const std::string& args, int& ms) {
    if (args.empty()) return true;
    if (args.size() > 9) return false;
    int value = 0;
    for (const char c : args) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    ms = value;
    return true;
}

/// How long a step may wait, in ms: an expect's time, a sleep's, a wait's.
int StepTime(const MacroStep& step) {
    const std::string& name = step.command.name;
    if (name == "expect") return ParseExpect(step.command.args).value_or(ExpectArgs{}).ms;
    int ms = name == "sleep" ? 0 : kDefaultWaitMs;
    if (name == "sleep" || name == "wait" || name == "wait-block") ParseMs(step.command.args, ms);
    return ms;
}

}  // namespace

std::string MacroPlayer::awaited() const {
    const MacroStep* step = currentStep();
    if (state_ != State::kWaiting || !step || step->command.name != "expect") return {};
    const std::optional<ExpectArgs> expect = ParseExpect(step->command.args);
    return expect ? expect->text : std::string();
}

void MacroPlayer::Advance(MacroTarget& target, Clock::time_point now) {
    if (state_ != State::kRunning && state_ != State::kWaiting) return;
    state_ = State::kRunning;
    while (next_ < steps_.size()) {
        const MacroStep& step = steps_[next_];
        if (blocks_.PassesOver(step.command.name)) {
            ++next_;
            continue;
        }
        switch (Run(target, step, now)) {
            case Outcome::kNext:
                ++next_;
                begun_ = false;
                continue;
            case Outcome::kWait:
                state_ = State::kWaiting;
                return;
            case Outcome::kAsk:
                state_ = State::kAsking;
                return;
            case Outcome::kFail:
                state_ = State::kFailed;
                return;
        }
    }
    state_ = State::kFinished;
}

MacroPlayer::Outcome MacroPlayer::Fail(MacroTarget& target, const std::string& reason) {
    const MacroStep& step = steps_[next_];
    failure_ = {reason, step.line, step.text, ScreenLines(target.terminal(), target.charset())};
    return Outcome::kFail;
}

MacroPlayer::Outcome MacroPlayer::Run(MacroTarget& target, const MacroStep& step,
                                      Clock::time_point now) {
    const std::string& name = step.command.name;
    const std::string& args = step.command.args;
    Terminal& t = target.terminal();
    if (!begun_) {
        begun_ = true;
        blocksAtBegin_ = target.blocksArrived();
        deadline_ = now + std::chrono::milliseconds(StepTime(step));
    }
    if (name == "expect") {
        const ExpectArgs expect = *ParseExpect(args);
        if (ExpectMet(t, target.charset(), expect)) return Outcome::kNext;
        const bool more = target.HostCanSend();
        if (!more || now >= deadline_) return Fail(target, ExpectFailure(expect, more));
        return Outcome::kWait;
    }
    if (name == "expect-field") {
        const std::string failure = ExpectFieldFailure(t, *ParseExpectField(args));
        return failure.empty() ? Outcome::kNext : Fail(target, failure);
    }
    if (name == "expect-cursor") {
        const std::string failure = ExpectCursorFailure(t, *ParseExpectCursor(args));
        return failure.empty() ? Outcome::kNext : Fail(target, failure);
    }
    if (name == "prompt") {
        const PromptArgs prompt = *ParsePrompt(args);
        if (const auto it = variables_.find(prompt.name); it != variables_.end()) {
            target.input().Type(target.charset().FromUtf8(it->second));
            return Outcome::kNext;
        }
        const FieldEntry* field = t.formatTable.entry(FieldAtCursor(t));
        question_ = {prompt.name, prompt.question, field && IsNonDisplay(field->attribute)};
        return Outcome::kAsk;
    }
    if (name == "if-screen") {
        blocks_.Open(ScreenHolds(t, target.charset(), *ParseIfScreen(args), 0, 0));
        return Outcome::kNext;
    }
    if (name == "end") return blocks_.Close() ? Outcome::kNext : Fail(target, "end without if-screen");
    if (name == "connect") {
        std::string error;
        return target.Connect(error) ? Outcome::kNext : Fail(target, "connect: " + error);
    }
    if (name == "disconnect") {
        target.Disconnect();
        return Outcome::kNext;
    }
    switch (KindOfCommand(name)) {
        case StepKind::kTiming:
            return Timing(target, step, now);
        case StepKind::kNoEffect:
            return Outcome::kNext;
        case StepKind::kOperator: {
            std::string error, open;
            try {
                if (!PerformOperatorCommand(target.input(), t, target.charset(), variables_, name,
                                            args, error, open)) {
                    return Fail(target, name + ": " + error);
                }
            } catch (const std::exception& e) {
                // A send that failed: the connection is gone.
                return Fail(target, name + ": " + e.what());
            }
            if (!open.empty()) target.OpenAddress(open);
            return Outcome::kNext;
        }
        default:
            return Fail(target, "unknown command " + name);
    }
}

MacroPlayer::Outcome MacroPlayer::Timing(MacroTarget& target, const MacroStep& step,
                                         Clock::time_point now) {
    const std::string& name = step.command.name;
    int ms = 0;
    if (!ParseMs(step.command.args, ms) || (name == "sleep" && step.command.args.empty())) {
        return Fail(target, name + ": malformed time");
    }
    if (now >= deadline_) return Outcome::kNext;
    if (name == "sleep") return Outcome::kWait;
    const Terminal& t = target.terminal();
    if (!target.HostCanSend()) return Outcome::kNext;
    const bool arrived = target.blocksArrived() > blocksAtBegin_;
    const bool waitingForOperator =
        !t.state.inputInhibited &&
        (t.state.pendingRead == kReadInputFields || t.state.pendingRead == kReadMdtFields);
    if (arrived && (name == "wait-block" || waitingForOperator)) return Outcome::kNext;
    return Outcome::kWait;
}

void MacroPlayer::Answer(MacroTarget& target, std::optional<std::string> answer) {
    if (state_ != State::kAsking) return;
    if (!answer) {
        state_ = State::kStopped;
        return;
    }
    target.input().Type(target.charset().FromUtf8(*answer));
    variables_[question_.name] = std::move(*answer);
    ++next_;
    begun_ = false;
    state_ = State::kRunning;
}

void MacroPlayer::Pause() {
    if (state_ == State::kRunning || state_ == State::kWaiting) state_ = State::kPaused;
}

void MacroPlayer::Resume() {
    if (state_ != State::kPaused) return;
    // A wait starts again: the time the operator paused for is not counted.
    begun_ = false;
    state_ = State::kRunning;
}

void MacroPlayer::Stop() {
    if (!Done()) state_ = State::kStopped;
}

}  // namespace quenlix::macro
