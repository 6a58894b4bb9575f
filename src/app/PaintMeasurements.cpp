// The desktop program's own measurements for the performance report.
#include "app/PaintMeasurements.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace quenlix::app {

namespace {

/// Milliseconds since this process was started by the kernel (its start time
/// in /proc is in clock ticks since boot), or -1 where that cannot be read.
long long ProcessAgeMilliseconds() {
    std::ifstream stat("/proc/self/stat");
    std::string text;
    std::getline(stat, text);
    // The command name may hold spaces and parentheses: fields are counted
    // from the last ')', after which the state is field 3 and the start time 22.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    for (int i = 3; i < 22 && fields >> field; ++i) {
    }
    unsigned long long startTicks = 0;
    if (!(fields >> startTicks)) return -1;
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
    const long long nowMs = static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return nowMs - static_cast<long long>(startTicks * 1000 / ticksPerSecond);
}

}  // namespace

PaintMeasurements::PaintMeasurements() {
    if (!qEnvironmentVariableIsSet("QUENLIX_MEASURE")) return;
    const QByteArray mode = qgetenv("QUENLIX_MEASURE");
    mode_ = mode == "exit"    ? Mode::kExit
            : mode == "burst" ? Mode::kBurst
            : mode == "keys"  ? Mode::kKeys
                              : Mode::kReport;
    clock_.start();
    quiet_.setSingleShot(true);
    connect(&quiet_, &QTimer::timeout, this, [this] { QuietCheck(); });
    connect(&typing_, &QTimer::timeout, this, [this] { TypeNextKey(); });
}

void PaintMeasurements::KeyHandled() {
    if (queuedKeys_.empty()) return;
    handledKeys_.push_back(queuedKeys_.front());
    queuedKeys_.pop_front();
}

void PaintMeasurements::TypeNextKey() {
    if (keysPosted_ >= kKeyCount) {
        typing_.stop();
        return;
    }
    // A letter over the field's first position, then back onto it: the cursor
    // stays in the field however many keys come, and each key paints.
    const bool letter = keysPosted_ % 2 == 0;
    auto* key = letter ? new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"))
                       : new QKeyEvent(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    queuedKeys_.push_back(clock_.nsecsElapsed());
    ++keysPosted_;
    QCoreApplication::postEvent(view_, key);
}

void PaintMeasurements::ReportKeys() {
    std::vector<double> sorted = keyLatencies_;
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double share) {
        const auto i = static_cast<std::size_t>(share * static_cast<double>(sorted.size() - 1) + 0.5);
        return sorted[std::min(i, sorted.size() - 1)];
    };
    std::fprintf(stderr, "measure: keys %zu p50-ms %.2f p99-ms %.2f max-ms %.2f\n", sorted.size(),
                 at(0.5), at(0.99), sorted.back());
    std::fflush(stderr);
    QApplication::exit(0);
}

void PaintMeasurements::DamageArrived() {
    if (mode_ != Mode::kBurst) return;
    lastArrival_ = clock_.nsecsElapsed();
    lastDamage_ = lastArrival_;
    // Armed once, not again for every arrival: re-arming a timer thousands
    // of times a second would itself weigh on what is measured.
    if (!quiet_.isActive()) quiet_.start(kQuietMilliseconds);
}

void PaintMeasurements::QuietCheck() {
    const qint64 quietFor = (clock_.nsecsElapsed() - lastDamage_) / 1000000;
    if (quietFor < kQuietMilliseconds) {
        quiet_.start(static_cast<int>(kQuietMilliseconds - quietFor));
        return;
    }
    ReportBurst();
}

void PaintMeasurements::Painted(const TerminalState& state, unsigned long frames,
                                unsigned long paints) {
    if (mode_ == Mode::kOff) return;
    if (!firstPaintReported_) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::fprintf(stderr, "measure: first-paint-epoch-ms %lld\n",
                     static_cast<long long>(
                         std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
        if (const long long age = ProcessAgeMilliseconds(); age >= 0) {
            std::fprintf(stderr, "measure: first-paint-process-ms %lld\n", age);
        }
        firstPaintReported_ = true;
    }
    frames_ = frames;
    paints_ = paints;
    if (lastArrival_ >= 0) {
        lastLatency_ = static_cast<double>(clock_.nsecsElapsed() - lastArrival_) / 1e6;
        if (lastLatency_ > maxLatency_) maxLatency_ = lastLatency_;
        lastArrival_ = -1;
    }
    while (!handledKeys_.empty()) {
        keyLatencies_.push_back(static_cast<double>(clock_.nsecsElapsed() - handledKeys_.front()) / 1e6);
        handledKeys_.pop_front();
    }
    if (mode_ == Mode::kKeys && keyLatencies_.size() >= static_cast<std::size_t>(kKeyCount)) {
        ReportKeys();
        return;
    }
    if (!memoryReported_ && state.connected && !state.inputInhibited && state.pendingRead != 0) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmRSS:", 0) == 0) std::fprintf(stderr, "measure: %s\n", line.c_str());
        }
        memoryReported_ = true;
        if (mode_ == Mode::kExit) QApplication::exit(0);
        if (mode_ == Mode::kKeys && view_) typing_.start(kKeyMilliseconds);
    }
}

void PaintMeasurements::ReportBurst() {
    // Quiet for a while: the host's burst is over and its last screen was
    // painted (or the report says it was not).
    std::fprintf(stderr,
                 "measure: paints %lu frames %lu last-arrival-to-paint-ms %.1f "
                 "max-arrival-to-paint-ms %.1f%s\n",
                 paints_, frames_, lastLatency_, maxLatency_,
                 lastArrival_ >= 0 ? " (last damage unpainted)" : "");
    std::fflush(stderr);
    QApplication::exit(0);
}

}  // namespace quenlix::app
