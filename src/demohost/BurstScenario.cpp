// The burst scenario, for load: full screens of changing text, each its own
// Output Only record, generated as the socket takes them (Pump), then a Read
// Screen whose answer marks the moment the terminal has taken every screen.
// The host reports that time; the operator's Enter ends the session.
#include <cstdio>

#include "demohost/HostSession.h"
#include "demohost/ScreenCodes.h"
#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

void HostSession::Pump(std::size_t budget) {
    if (phase_ != Phase::kRunning || screen_ != ScreenId::kBurst) return;
    while (burstLeft_ > 0 && out_.size() < budget) QueueBurstScreen();
    if (burstLeft_ == 0 && !burstTailSent_) {
        burstTailSent_ = true;
        // Read Screen is answered at once: its answer marks the moment the
        // terminal has taken every screen. The Put/Get record then unlocks
        // the keyboard and waits for the operator's Enter.
        RecordBuilder done(kOpPutGet, config_.tables);
        done.writeToDisplay(0x00, kCc2SteadyCursor)
            .sba(rows_, 1)
            .text("Burst of " + std::to_string(burstSent_) + " screens done; press Enter.")
            .readMdtFields();
        const Bytes tail =
            Concat({FrameRecord(kOpReadScreen, {kEscape, kCmdReadScreen}), done.record()});
        out_.insert(out_.end(), tail.begin(), tail.end());
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
    rb.writeToDisplay(0x00, kCc2SteadyCursor).sba(1, 1);
    std::string cells;
    cells.reserve(static_cast<std::size_t>(rows_ * columns_));
    char head[48];
    const long n = burstSent_ + 1;
    for (int row = 1; row <= rows_; ++row) {
        std::snprintf(head, sizeof head, "Screen %07ld row %02d ", n, row);
        std::string line = head;
        while (static_cast<int>(line.size()) < columns_) {
            line.push_back(static_cast<char>('A' + (line.size() + static_cast<std::size_t>(n)) % 26));
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

void HostSession::OnBurstAnswer(const InboundRecord& r, bool screenRead) {
    const double ms = std::chrono::duration<double, std::milli>(
                          std::chrono::steady_clock::now() - burstStart_)
                          .count();
    char buf[200];
    if (screenRead) {
        const double rate = ms > 0 ? burstSent_ * 1000.0 / ms : 0.0;
        std::snprintf(buf, sizeof buf,
                      "burst: %ld screens, %zu bytes taken in %.1f ms (%.0f screens/s); "
                      "Read Screen answer %zu bytes",
                      burstSent_, burstBytes_, ms, rate, r.data.size());
    } else {
        std::snprintf(buf, sizeof buf, "burst: answer %s after %.1f ms from the first screen",
                      AidName(r.aid).c_str(), ms);
    }
    reports_.push_back(buf);
    Log(buf);
    if (!screenRead) phase_ = Phase::kClosing;
}

}  // namespace quenlix::demohost
