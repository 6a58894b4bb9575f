// The read check: the operator types into two fields and presses Enter; the
// host then asks for the whole screen (Read Screen) and for the fields
// without waiting for a key (Read Immediate), both in one block, and shows
// whether each answer holds what the screen and the Enter record said.
#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

namespace {

/// Display text at row 6 that Read Screen must bring back as it was drawn.
const char* const kReadMarker = "READ-CHECK-7Q";

}  // namespace

void HostSession::DrawReadTest(ScreenWriter& w) {
    w.Title("Read Screen and Read Immediate");
    w.Text(3, 2, "Type a word, then press Enter: the host reads the whole screen");
    w.Text(4, 2, "back (Read Screen) and the fields (Read Immediate) and checks them.");
    w.Text(6, 3, kReadMarker);
    w.Text(8, 2, "Word . . . . . . . .");
    w.Text(9, 2, "Number . . . . . . .");
    fields_.push_back({"Word", 8, 23, kFfw, 0, kAttrInput, 10, ""});
    fields_.push_back({"Number", 9, 23, kFfw | kShiftDigitsOnly, 0, kAttrInput, 5, "12345"});
    w.FunctionKeys("Enter=Read   F3=Exit   F12=Cancel");
    w.PlaceCursor(8, 24);
}

void HostSession::DrawReadResult(ScreenWriter& w) {
    w.TitledLines("Read Screen and Read Immediate: Results", readResults_,
                  "Enter=Return   F3=Exit   F12=Cancel");
}

void HostSession::OnReadTest(const InboundRecord& r) {
    if (r.aid == kAidF1 + 2 || r.aid == kAidF1 + 11) {
        Show(ScreenId::kMenu);
        return;
    }
    if (r.aid != kAidEnter) {
        ShowError(AidName(r.aid) + " is not allowed here.");
        return;
    }
    // Both are answered at once, in this order.
    readResults_.clear();
    readsPending_ = 2;
    Send(Concat({FrameRecord(kOpReadScreen, {kEscape, kCmdReadScreen}),
                 FrameRecord(kOpReadImmediate, {kEscape, kCmdReadImmediate})}),
         "Read Screen + Read Immediate");
}

void HostSession::OnReadScreen(const InboundRecord& r) {
    if (readsPending_ <= 0 || screen_ != ScreenId::kReadTest) return;
    --readsPending_;
    const std::size_t expected = static_cast<std::size_t>(rows_ * columns_);
    const bool sizeOk = r.data.size() == expected;
    readResults_.push_back("Read Screen: " + std::to_string(r.data.size()) + " bytes, expected " +
                           std::to_string(expected) + (sizeOk ? "  OK" : "  WRONG"));
    auto at = [&](int row, int column, std::size_t n) {
        const std::size_t p = static_cast<std::size_t>((row - 1) * columns_ + column - 1);
        if (p + n > r.data.size()) return std::string();
        return ToText(r.data.data() + p, n, config_.tables);
    };
    const std::string marker(kReadMarker);
    const bool markerOk = at(6, 3, marker.size()) == marker;
    readResults_.push_back(std::string("Marker text at row 6: ") + (markerOk ? "OK" : "WRONG"));
    bool fieldsOk = true;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const auto [row, column] = DataAddress(fields_[i], columns_);
        std::string onScreen = at(row, column, static_cast<std::size_t>(fields_[i].length));
        for (char& c : onScreen) {
            if (c == '\0') c = ' ';
        }
        fieldsOk = fieldsOk && Trim(onScreen) == Trim(values_[i]);
    }
    readResults_.push_back(std::string("Field contents on the screen match Enter: ") +
                           (fieldsOk ? "OK" : "WRONG"));
    if (readsPending_ == 0) Show(ScreenId::kReadResult);
}

void HostSession::OnReadImmediate(const InboundRecord& r) {
    if (readsPending_ <= 0 || screen_ != ScreenId::kReadTest) return;
    --readsPending_;
    std::string line = "Read Immediate: cursor " + std::to_string(r.cursorRow) + "," +
                       std::to_string(r.cursorColumn);
    const std::size_t dataBytes = r.data.size() > 3 ? r.data.size() - 3 : 0;
    if (dataBytes == 0) {
        line += ", no field data (nothing typed)";
    } else {
        std::string expected;
        std::size_t total = 0;
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            expected += Pad(values_[i], static_cast<std::size_t>(fields_[i].length))
                            .substr(0, static_cast<std::size_t>(fields_[i].length));
            total += static_cast<std::size_t>(fields_[i].length);
        }
        std::string got = ToText(r.data.data() + 3, dataBytes, config_.tables);
        for (char& c : got) {
            if (c == '\0') c = ' ';
        }
        line += ", " + std::to_string(dataBytes) + " bytes of field data" +
                (dataBytes == total && got == expected ? "  OK" : "  WRONG");
    }
    readResults_.push_back(line);
    if (readsPending_ == 0) Show(ScreenId::kReadResult);
}

}  // namespace quenlix::demohost
