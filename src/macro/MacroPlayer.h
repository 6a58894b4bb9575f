// Plays a macro step by step, driven by its caller: the caller calls Advance
// whenever the screen may have changed (host data, a timer tick) and the
// player runs every step it can now. An expect waits until its screen has
// come with the keyboard free, and fails when the time it gives is up or the
// host can send nothing more; nothing after a failed condition is typed.
// A prompt whose variable is not yet known asks the caller, which answers
// with Answer. The desktop program plays macros through it.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "input/OperatorInput.h"
#include "macro/MacroBlocks.h"
#include "macro/MacroScript.h"
#include "macro/OperatorCommands.h"
#include "terminal/Languages.h"

namespace quenlix::macro {

/// What a macro plays on: one session.
class MacroTarget {
public:
    virtual ~MacroTarget() = default;
    virtual Terminal& terminal() = 0;
    virtual OperatorInput& input() = 0;
    virtual const PcCharset& charset() const = 0;
    /// Connected, with a connection that can still bring host data.
    virtual bool HostCanSend() const = 0;
    /// Host records handled so far (grows as screens arrive).
    virtual unsigned long blocksArrived() const = 0;
    /// `connect`: nothing when connected; false with the reason when the
    /// connection could not be started.
    virtual bool Connect(std::string& error) = 0;
    virtual void Disconnect() = 0;
    /// A clicked address to open.
    virtual void OpenAddress(const std::string& address) = 0;
};

class MacroPlayer {
public:
    using Clock = std::chrono::steady_clock;

    enum class State {
        kRunning,   ///< runs steps at the next Advance
        kWaiting,   ///< an expect or a timing step waits
        kAsking,    ///< a prompt waits for Answer
        kPaused,
        kFinished,  ///< every step ran
        kFailed,    ///< a step failed: failure() says why
        kStopped,   ///< stopped by the operator
    };

    struct Question {
        std::string name;
        std::string question;
        bool hidden = false;  ///< the cursor is in a non-display field: no echo
    };

    struct Failure {
        std::string reason;
        int line = 0;                     ///< the failed step's line in the file
        std::string step;                 ///< the step as written
        std::vector<std::string> screen;  ///< the screen seen instead (ScreenLines)
    };

    explicit MacroPlayer(std::vector<MacroStep> steps) : steps_(std::move(steps)) {}

    /// Runs the steps that can run now; returns when one waits, asks, or the
    /// macro ends. At most one pass over the remaining steps.
    void Advance(MacroTarget& target, Clock::time_point now);
    /// The answer to the question asked; empty: the operator declined, and
    /// the macro stops there.
    void Answer(MacroTarget& target, std::optional<std::string> answer);
    void Pause();
    void Resume();
    void Stop();

    State state() const { return state_; }
    bool Done() const {
        return state_ == State::kFinished || state_ == State::kFailed || state_ == State::kStopped;
    }
    /// 0-based index of the step running or waiting; stepCount() when done.
    std::size_t stepIndex() const { return next_; }
    std::size_t stepCount() const { return steps_.size(); }
    const MacroStep* currentStep() const { return next_ < steps_.size() ? &steps_[next_] : nullptr; }
    /// The text of the screen an expect waits for; empty when none waits.
    std::string awaited() const;
    const Question& question() const { return question_; }
    const Failure& failure() const { return failure_; }

private:
    enum class Outcome { kNext, kWait, kAsk, kFail };
    Outcome Run(MacroTarget& target, const MacroStep& step, Clock::time_point now);
    Outcome Fail(MacroTarget& target, const std::string& reason);
    Outcome Timing(MacroTarget& target, const MacroStep& step, Clock::time_point now);

    std::vector<MacroStep> steps_;
    std::size_t next_ = 0;
    State state_ = State::kRunning;
    /// The step at next_ has begun: its deadline and the blocks seen then.
    bool begun_ = false;
    Clock::time_point deadline_{};
    unsigned long blocksAtBegin_ = 0;
    MacroBlocks blocks_;
    MacroVariables variables_;
    Question question_;
    Failure failure_;
};

}  // namespace quenlix::macro
