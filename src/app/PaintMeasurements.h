// What the performance report reads from the desktop program, on stderr when
// QUENLIX_MEASURE is set (never otherwise):
//   any value   the first paint (wall clock and the process's age), and the
//               memory in use once the host first waits for the operator
//   exit        the same, then the program ends
//   burst       the paints and frames of a whole session and how long its
//               last screen took from arrival to paint, written and ended
//               once the host has been quiet for kQuietMilliseconds
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "terminal/TerminalState.h"

namespace quenlix::app {

class PaintMeasurements : public QObject {
    Q_OBJECT
public:
    static constexpr int kQuietMilliseconds = 1500;

    PaintMeasurements();
    bool enabled() const { return mode_ != Mode::kOff; }

    /// The session handed the view new damage (a host arrival, a key, a tick).
    void DamageArrived();
    /// A paint of the window ended; `frames` and `paints` are the view's counts.
    void Painted(const TerminalState& state, unsigned long frames, unsigned long paints);

private:
    enum class Mode { kOff, kReport, kExit, kBurst };
    /// The quiet timer ran out: reports once no damage came for kQuietMilliseconds.
    void QuietCheck();
    void ReportBurst();

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
};

}  // namespace quenlix::app
