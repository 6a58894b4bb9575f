// Type-ahead: keyboard events that arrive while the host keeps input
// inhibited are held in order and replayed, oldest first and once each, as
// soon as input is allowed again. The event type is opaque: the desktop
// program holds whole toolkit key events, the headless front end its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "terminal/TerminalState.h"

namespace quenlix {

/// What the caller does with an event it offered.
enum class TypeAhead {
    kDispatch,  ///< input is allowed: handle the event now
    kHeld,      ///< queued for replay
    kDropped,   ///< the queue is full: the event is lost (sound the alarm)
};

/// Whether an event presses or releases a key, and which key.
struct KeyTransition {
    enum class Kind : std::uint8_t { kOther, kPress, kRelease };
    Kind kind = Kind::kOther;
    int key = 0;
};

/// Tells the queue which events press and release keys, so that a full
/// queue can still take the release of a key whose press it holds. Event
/// types without a specialisation press and release nothing.
template <typename Event>
struct TypeAheadKeys {
    static KeyTransition Of(const Event&) { return {}; }
};

template <typename Event>
class TypeAheadQueue {
public:
    /// Far more keys than an operator types ahead of a host answer; an
    /// event beyond it is the newest and is the one dropped.
    static constexpr std::size_t kCapacity = 256;
    /// Room beyond kCapacity, only for releases of keys whose press is held:
    /// a press replayed without its release would leave the key (Shift)
    /// down. Each held press owes at most one such release, and a hand holds
    /// far fewer keys at once.
    static constexpr std::size_t kReleaseReserve = 16;

    /// True while events must be held: input inhibited and not in system
    /// request mode (that mode lifts the lock so its own keys get through).
    static bool MustHold(const TerminalState& state) {
        return state.inputInhibited != 0 && state.sysReqMode == 0;
    }

    /// Offers an event on its way to the keyboard mapping, new or replayed.
    /// A replayed event that meets a new lock is held again behind the
    /// events held meanwhile.
    TypeAhead Offer(const Event& event, const TerminalState& state) {
        if (!MustHold(state)) return TypeAhead::kDispatch;
        if (held_.size() >= kCapacity &&
            (held_.size() >= kCapacity + kReleaseReserve || !ReleaseOwed(event))) {
            return TypeAhead::kDropped;
        }
        held_.push_back(event);
        return TypeAhead::kHeld;
    }

    /// The replay check, made before each new event is handled and whenever
    /// the lock may have changed. While inhibited (and not in system request
    /// mode) nothing happens. Otherwise the held events leave the queue:
    /// replayed through `replay` oldest first when input is allowed, discarded
    /// in system request mode. `replay` offers each event again (Offer), so a
    /// lock raised by one replayed key holds the ones after it. A check made
    /// from inside `replay` does nothing, which keeps the order.
    ///
    /// When `replay` throws (a replayed Enter whose send fails), the event
    /// that threw is spent and the exception goes on to the caller; the
    /// events after it stay queued, behind any the replay held again, for
    /// the next check: nothing the operator typed is lost, and the session's
    /// end (Clear) discards them if the connection is gone.
    template <typename Replay>
    void Check(const TerminalState& state, Replay&& replay) {
        if (held_.empty() || replaying_ || MustHold(state)) return;
        std::vector<Event> batch;
        batch.swap(held_);  // releases the queue's storage
        if (state.sysReqMode) return;
        // Every event the replay holds again comes from the batch, and so
        // does the rest put back on a throw: this room is all they need, and
        // putting the rest back cannot fail for want of memory.
        held_.reserve(batch.size());
        Replaying guard(*this, batch);
        while (guard.next < batch.size() && guard.clears == clears_) {
            replay(batch[guard.next++]);
        }
    }

    std::size_t size() const { return held_.size(); }
    bool empty() const { return held_.empty(); }
    const std::vector<Event>& held() const { return held_; }
    /// Discards every held event and releases the storage; a replay in
    /// progress ends after the event it is handling, its rest discarded.
    void Clear() {
        std::vector<Event>().swap(held_);
        replaying_ = false;
        ++clears_;
    }

private:
    /// Ends a replay however it ends: the flag goes down, the unreplayed
    /// rest of the batch goes back into the queue unless Clear ran meanwhile.
    struct Replaying {
        Replaying(TypeAheadQueue& queue, const std::vector<Event>& batch)
            : queue(queue), batch(batch), clears(queue.clears_) {
            queue.replaying_ = true;
        }
        ~Replaying() {
            if (clears != queue.clears_) return;  // Clear reset the flag and emptied the queue
            queue.replaying_ = false;
            queue.held_.insert(queue.held_.end(), batch.begin() + static_cast<std::ptrdiff_t>(next),
                               batch.end());
            if (queue.held_.empty()) std::vector<Event>().swap(queue.held_);
        }
        Replaying(const Replaying&) = delete;
        Replaying& operator=(const Replaying&) = delete;

        TypeAheadQueue& queue;
        const std::vector<Event>& batch;
        const std::uint64_t clears;
        std::size_t next = 0;
    };

    /// True when `event` releases a key whose latest held event presses it.
    bool ReleaseOwed(const Event& event) const {
        const KeyTransition release = TypeAheadKeys<Event>::Of(event);
        if (release.kind != KeyTransition::Kind::kRelease) return false;
        for (auto it = held_.rbegin(); it != held_.rend(); ++it) {
            const KeyTransition t = TypeAheadKeys<Event>::Of(*it);
            if (t.kind == KeyTransition::Kind::kOther || t.key != release.key) continue;
            return t.kind == KeyTransition::Kind::kPress;
        }
        return false;
    }

    std::vector<Event> held_;
    bool replaying_ = false;
    std::uint64_t clears_ = 0;  ///< counts Clear calls, so that a replay sees one
};

}  // namespace quenlix
