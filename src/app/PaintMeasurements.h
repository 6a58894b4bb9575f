// What the performance report reads from the desktop program, on stderr when
// QUENLIX_MEASURE is set (never otherwise):
//   any value   the first paint (wall clock and the process's age), and the
//               memory in use once the host first waits for the operator
//   exit        the same, then the program ends
//   burst       the paints and frames of a whole session and how long its
//               last screen took from arrival to paint, written and ended
//               once the host has been quiet for kQuietMilliseconds
//   keys        once the host first waits for the operator, types kKeyCount
//               keys into the view (a letter, then Left, and again), one every
//               kKeyMilliseconds, and reports how long each took from entering
//               the event queue to the end of the paint that showed it (the
//               median, the 99th percentile, the longest); then the program ends
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <vector>

#include "terminal/TerminalState.h"

namespace quenlix::app {

class PaintMeasurements : public QObject {
    Q_OBJECT
public:
    static constexpr int kQuietMilliseconds = 1500;

    static constexpr int kKeyCount = 300;
    static constexpr int kKeyMilliseconds = 20;

    PaintMeasurements();
    bool enabled() const { return mode_ != Mode::kOff; }

    /// The widget the keys mode types into.
    void TypeInto(QObject* view) { view_ = view; }
    /// The view began handling a key (typed by the keys mode or not).
    void KeyHandled();

    /// The session handed the view new damage (a host arrival, a key, a tick).
    void DamageArrived();
    /// A paint of the window ended; `frames` and `paints` are the view's counts.
    void Painted(const TerminalState& state, unsigned long frames, unsigned long paints);

private:
    enum class Mode { kOff, kReport, kExit, kBurst, kKeys };
    /// The quiet timer ran out: reports once no damage came for kQuietMilliseconds.
    void QuietCheck();
    void ReportBurst();
    /// Posts the next key of the keys mode, or reports once all were painted.
    void TypeNextKey();
    void ReportKeys();

    Mode mode_ = Mode::kOff;
    bool firstPaintReported_ = false;
    bool memoryReported_ = false;
    QElapsedTimer clock_;
    qint64 lastArrival_ = -1;  ///< clock_ time of the latest damage not yet painted
    qint64 lastDamage_ = 0;    ///< clock_ time of the latest damage, painted or not
    double lastLatency_ = 0;   ///< arrival to paint of the latest painted damage, ms
    double maxLatency_ = 0;
    unsigned long frames_ = 0;
    unsigned long paints_ = 0;
    QTimer quiet_;
    QObject* view_ = nullptr;
    QTimer typing_;
    int keysPosted_ = 0;
    std::deque<qint64> queuedKeys_;   ///< clock_ times of keys posted, not yet handled
    std::deque<qint64> handledKeys_;  ///< ... handled, not yet painted
    std::vector<double> keyLatencies_;  ///< ms, post to paint
};

}  // namespace quenlix::app
