// The read checks: the operator types into the fields and presses Enter,
// which the host reads as a Read Input Fields answer (every field's data
// back to back); the host then asks for the whole screen (Read Screen) and
// for the fields without waiting for a key (Read Immediate), both in one
// block, and shows whether each answer holds what the screen and the Enter
// record said. The signed-numeric field shows the sign rule in all three.
#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordBuilder.h"
#include "terminal/ScreenAddress.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

namespace {

/// Display text at row 6 that Read Screen must bring back as it was drawn.
const char* const kReadMarker = "READ-CHECK-7Q";

/// The same value, as far as the host program can tell.
bool SameValue(const FieldValue& a, const FieldValue& b) {
    return Trim(a.text) == Trim(b.text) && a.negative == b.negative;
}

}  // namespace

void HostSession::DrawReadTest(ScreenWriter& w) {
    w.Title("Read Checks");
    w.Text(3, 2, "Type into the fields, then press Enter: the host reads the fields");
    w.Text(4, 2, "(Read Input Fields), then the whole screen (Read Screen) and the fields");
    w.Text(5, 2, "again without a key (Read Immediate), and checks each answer.");
    w.Text(6, 3, kReadMarker);
    w.Text(8, 2, "Word . . . . . . . .");
    w.Text(9, 2, "Number . . . . . . .");
    w.Text(10, 2, "Amount . . . . . . .");
    w.Text(10, 33, "Field- makes it negative");
    fields_.push_back({"Word", 8, 23, kFfwPresent, 0, kAttrInput, 10, ""});
    fields_.push_back({"Number", 9, 23, kFfwPresent | kShiftDigitsOnly, 0, kAttrInput, 5, "12345"});
    fields_.push_back({"Amount", 10, 23, kFfwPresent | kShiftSignedNumeric, 0, kAttrInput, 7, ""});
    w.FunctionKeys("Enter=Read   F3=Exit   F12=Cancel");
    w.PlaceCursor(8, 24);
    w.ReadWith(kCmdReadInputFields);
}

void HostSession::DrawReadResult(ScreenWriter& w) {
    w.TitledLines("Read Checks: Results", readResults_, "Enter=Return   F3=Exit   F12=Cancel");
}

void HostSession::OnReadTest(const InboundRecord& r) {
    if (r.aid == kAidF3 || r.aid == kAidF12) {
        Show(ScreenId::kMenu);
        return;
    }
    if (r.aid != kAidEnter) {
        ShowError(AidName(r.aid) + " is not allowed here.");
        return;
    }
    readResults_.clear();
    const std::size_t dataBytes = r.data.size() > 3 ? r.data.size() - 3 : 0;
    std::string line = "Read Input Fields: ";
    if (dataBytes == 0) {
        line += "no field data (nothing typed)";
    } else if (auto pieces = SplitFieldData(fields_, r.data.data() + 3, dataBytes)) {
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            values_[i] = ReadFieldData(fields_[i], (*pieces)[i], config_.tables);
        }
        line += std::to_string(dataBytes) + " bytes of field data  OK";
    } else {
        line += std::to_string(dataBytes) + " bytes of field data, not the fields' lengths  WRONG";
    }
    readResults_.push_back(line);
    std::string read = "Fields read:";
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        read += std::string(i ? "," : "") + " " + fields_[i].label + " '" +
                EchoText(fields_[i], values_[i]) + "'";
    }
    readResults_.push_back(read);
    // Both are answered at once, in this order.
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
    // The screen's bytes from (row, column) on, nothing when they run past it.
    auto at = [&](int row, int column, std::size_t n) {
        const std::size_t p = static_cast<std::size_t>(HostPosition(row, column, columns_));
        if (p + n > r.data.size()) return Bytes();
        return Bytes(r.data.begin() + static_cast<std::ptrdiff_t>(p),
                     r.data.begin() + static_cast<std::ptrdiff_t>(p + n));
    };
    const std::string marker(kReadMarker);
    const bool markerOk = ToText(at(6, 3, marker.size()), config_.tables) == marker;
    readResults_.push_back(std::string("Marker text at row 6: ") + (markerOk ? "OK" : "WRONG"));
    // Every position of a field is on the screen, its sign position too.
    bool fieldsOk = true;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const auto [row, column] = DataAddress(fields_[i], columns_);
        const Bytes onScreen = at(row, column, static_cast<std::size_t>(fields_[i].length));
        fieldsOk =
            fieldsOk && SameValue(ReadFieldData(fields_[i], onScreen, config_.tables), values_[i]);
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
        bool same = false;
        if (auto pieces = SplitFieldData(fields_, r.data.data() + 3, dataBytes)) {
            same = true;
            for (std::size_t i = 0; i < fields_.size(); ++i) {
                same = same && SameValue(ReadFieldData(fields_[i], (*pieces)[i], config_.tables),
                                         values_[i]);
            }
        }
        line +=
            ", " + std::to_string(dataBytes) + " bytes of field data" + (same ? "  OK" : "  WRONG");
    }
    readResults_.push_back(line);
    if (readsPending_ == 0) Show(ScreenId::kReadResult);
}

}  // namespace quenlix::demohost
