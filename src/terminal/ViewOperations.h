// How the core tells the front end that the model has something new to show.
// The model records what changed (Terminal::damage); the session says when a
// batch of changes is complete (a host arrival, a key, a timer tick), and
// the front end paints the union of what the record says at its next frame.
// The desktop view implements it; the headless front end and tests ignore it
// or count the calls.
#pragma once

namespace quenlix {

class ViewOperations {
public:
    virtual ~ViewOperations() = default;
    /// Terminal::damage holds changes to paint. The front end takes them
    /// (Terminal::TakeDamage) when it paints, at most once a display frame.
    virtual void DamageReady() {}
};

/// Does nothing; for front ends without a view and for tests.
class NullViewOperations : public ViewOperations {};

}  // namespace quenlix
