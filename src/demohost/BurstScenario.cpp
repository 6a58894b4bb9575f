// The burst scenarios, for load. Full screens of changing text, each its
// own Output Only record:
//  - burst: generated as the socket takes them (Pump), then a Read Screen
//    whose answer marks the moment the terminal has taken every screen;
//  - round trip: each screen is followed by a Read Screen request, and the
//    next screen goes out only once its answer has come back, so the time
//    is that of one screen a round trip.
// The host reports the time; the operator's Enter ends the session.
#include <cstdio>

#include "demohost/HostSession.h"
#include "demohost/ScreenCodes.h"
#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

namespace {

Bytes ReadScreenRequest() { return FrameRecord(kOpReadScreen, {kEscape, kCmdReadScreen}); }

}  // namespace

void HostSession::StartBurst() {
    screen_ = ScreenId::kBurst;
    burstLeft_ = config_.burstCount;
    if (config_.scenario == Scenario::kBurstRoundTrip) {
        QueueRoundTrip();
    } else {
        Pump();
    }
}

void HostSession::Pump(std::size_t budget) {
    if (printer_) {
        PumpReport(budget);
        return;
    }
    if (phase_ != Phase::kRunning || screen_ != ScreenId::kBurst ||
        config_.scenario != Scenario::kBurst) {
        return;
    }
    while (burstLeft_ > 0 && out_.size() < budget) QueueBurstScreen();
    if (burstLeft_ == 0 && !burstTailSent_) {
        // Read Screen is answered at once: its answer marks the moment the
        // terminal has taken every screen.
        const Bytes read = ReadScreenRequest();
        out_.insert(out_.end(), read.begin(), read.end());
        QueueBurstEnd();
        Log("-> Read Screen + Put/Get Read MDT Fields after " + std::to_string(burstSent_) +
            " screens (" + std::to_string(burstBytes_) + " bytes)");
    }
}

void HostSession::QueueBurstScreen() {
    if (burstSent_ == 0) burstStart_ = std::chrono::steady_clock::now();
    RecordBuilder rb(kOpOutputOnly, config_.tables);
    if (burstSent_ == 0) {
        if (rows_ == 27) {
            rb.clearUnitAlternate();
        } else {
            rb.clearUnit();
        }
    }
    rb.writeToDisplay(0x00, kCc2CursorSteady).sba(1, 1);
    std::string cells;
    cells.reserve(static_cast<std::size_t>(rows_ * columns_));
    char head[48];
    const long n = burstSent_ + 1;
    for (int row = 1; row <= rows_; ++row) {
        std::snprintf(head, sizeof head, "Screen %07ld row %02d ", n, row);
        std::string line = head;
        while (static_cast<int>(line.size()) < columns_) {
            line.push_back(
                static_cast<char>('A' + (line.size() + static_cast<std::size_t>(n)) % 26));
        }
        cells += line.substr(0, static_cast<std::size_t>(columns_));
    }
    rb.text(cells);
    const Bytes record = rb.record();
    out_.insert(out_.end(), record.begin(), record.end());
    burstBytes_ += record.size();
    ++burstSent_;
    --burstLeft_;
}

void HostSession::QueueRoundTrip() {
    QueueBurstScreen();
    const Bytes read = ReadScreenRequest();
    out_.insert(out_.end(), read.begin(), read.end());
    burstBytes_ += read.size();
}

void HostSession::QueueBurstEnd() {
    // The Put/Get record unlocks the keyboard and waits for the operator.
    burstTailSent_ = true;
    RecordBuilder done(kOpPutGet, config_.tables);
    done.writeToDisplay(0x00, kCc2CursorSteady | kCc2UnlockKeyboard)
        .sba(rows_, 1)
        .text("Burst of " + std::to_string(burstSent_) + " screens done; press Enter.")
        .readMdtFields();
    const Bytes record = done.record();
    out_.insert(out_.end(), record.begin(), record.end());
}

double HostSession::BurstMilliseconds() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                     burstStart_)
        .count();
}

void HostSession::OnBurstReadScreen(const InboundRecord& r) {
    if (burstTailSent_ && config_.scenario == Scenario::kBurstRoundTrip) return;  // unasked
    char buf[240];
    if (config_.scenario == Scenario::kBurstRoundTrip) {
        ++burstAnswers_;
        if (r.data.size() != static_cast<std::size_t>(rows_ * columns_)) ++burstWrongAnswers_;
        if (burstLeft_ > 0) {
            QueueRoundTrip();
            return;
        }
        const double ms = BurstMilliseconds();
        const double rate = ms > 0 ? burstSent_ * 1000.0 / ms : 0.0;
        std::snprintf(buf, sizeof buf,
                      "burst round trip: %ld screens, %zu bytes taken in %.1f ms (%.0f screens/s, "
                      "%.3f ms a round trip); %ld Read Screen answers, %ld not %d bytes",
                      burstSent_, burstBytes_, ms, rate, burstSent_ > 0 ? ms / burstSent_ : 0.0,
                      burstAnswers_, burstWrongAnswers_, rows_ * columns_);
        QueueBurstEnd();
        Log("-> Put/Get Read MDT Fields after " + std::to_string(burstSent_) + " round trips");
    } else {
        const double ms = BurstMilliseconds();
        const double rate = ms > 0 ? burstSent_ * 1000.0 / ms : 0.0;
        std::snprintf(buf, sizeof buf,
                      "burst: %ld screens, %zu bytes taken in %.1f ms (%.0f screens/s); "
                      "Read Screen answer %zu bytes",
                      burstSent_, burstBytes_, ms, rate, r.data.size());
    }
    reports_.push_back(buf);
    Log(buf);
}

void HostSession::OnBurstKey(const InboundRecord& r) {
    char buf[120];
    std::snprintf(buf, sizeof buf, "burst: answer %s after %.1f ms from the first screen",
                  AidName(r.aid).c_str(), BurstMilliseconds());
    reports_.push_back(buf);
    Log(buf);
    phase_ = Phase::kClosing;
}

}  // namespace quenlix::demohost
