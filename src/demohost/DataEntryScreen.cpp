// The data-entry screen: one input field of each kind the field format word
// can describe (shift/edit types, fill types, auto-enter, field exit
// required, mandatory enter, monocase, dup, bypass, non-display), each with
// a label an operator understands and its rule beside it. Enter runs the host's
// checks (FieldChecks.h); a field that fails gets the cursor and a message,
// otherwise the result screen echoes what the host received for each field.
#include "demohost/FieldChecks.h"
#include "demohost/FieldData.h"
#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

namespace {

const char* const kBypassText = "PROTECTED";

}  // namespace

void HostSession::DrawDataEntry(ScreenWriter& w) {
    w.Title("Data Entry");
    w.Text(2, 2, "Type into the fields, then press Enter. Field- makes a number negative.");
    // What an operator would enter, with the field's kind in brackets, and
    // the rule it brings in the operator's words beside the field.
    struct Kind {
        const char* label;
        std::uint8_t ffw1, ffw2, attribute;
        int length;
        const char* initial;
        const char* rule;
    };
    const Kind kinds[] = {
        {"Description (alphanumeric)", kFfwPresent, 0, kAttrInput, 20, "", "any text"},
        {"Surname (alphabetic only)", kFfwPresent | kShiftAlphabeticOnly, 0, kAttrInput, 10, "",
         "letters only"},
        {"Reference (numeric shift)", kFfwPresent | kShiftNumericShift, 0, kAttrInput, 10, "",
         "any key, digit shift"},
        {"Amount (numeric only)", kFfwPresent | kShiftNumericOnly, 0, kAttrInput, 8, "",
         "number, Field- minus"},
        {"Quantity (digits only)", kFfwPresent | kShiftDigitsOnly, 0, kAttrInput, 6, "",
         "digits only"},
        {"Balance (signed numeric)", kFfwPresent | kShiftSignedNumeric, 0, kAttrInput, 7, "",
         "Field+ or Field-"},
        {"Host value (I/O)", kFfwPresent | kShiftIo, 0, kAttrInput, 8, "", "no keys"},
        {"Order number (zero fill)", kFfwPresent | kShiftNumericOnly, kFillRightZero, kAttrInput, 7,
         "", "Field Exit: zeros"},
        {"Price (blank fill)", kFfwPresent | kShiftNumericOnly, kFillRightBlank, kAttrInput, 7, "",
         "Field Exit: blanks"},
        {"Post code (mandatory fill)", kFfwPresent, kFillMandatory, kAttrInput, 5, "",
         "all five or none"},
        {"Customer (mandatory enter)", kFfwPresent, kFfw2MandatoryEnter, kAttrInput, 10, "",
         "required"},
        {"Account (field exit)", kFfwPresent, kFfw2FieldExitRequired, kAttrInput, 5, "",
         "leave by Field Exit"},
        {"Quick code (auto-enter)", kFfwPresent, kFfw2AutoEnter, kAttrInput, 3, "",
         "when full: Enter"},
        {"City (monocase)", kFfwPresent, kFfw2Monocase, kAttrInput, 10, "", "upper case"},
        {"Remark (dup enable)", kFfwPresent | kFfwDupEnable, 0, kAttrInput, 10, "",
         "Dup key allowed"},
        {"Branch (protected)", kFfwPresent | kFfwBypass, 0, kAttrNormal, 10, kBypassText,
         "no typing"},
        {"PIN (non-display)", kFfwPresent, 0, kAttrHidden, 10, "", "not shown"},
    };
    int row = 3;
    for (const Kind& k : kinds) {
        w.Text(row, 2, Pad(k.label, 27) + ". . :");
        w.Text(row, 60, k.rule);
        fields_.push_back({k.label, row, 38, k.ffw1, k.ffw2, k.attribute, k.length, k.initial});
        ++row;
    }
    w.FunctionKeys("Enter=Check   F3=Exit   F12=Cancel");
    w.PlaceCursor(3, 39);
}

void HostSession::DrawDataResult(ScreenWriter& w) {
    w.TitledLines("Data Entry: What the Host Received", echo_,
                  "Enter=Again   F3=Exit   F12=Cancel");
}

void HostSession::OnDataEntry(const InboundRecord& r) {
    if (r.aid == kAidF3 || r.aid == kAidF12) {
        Show(ScreenId::kMenu);
        return;
    }
    if (r.aid != kAidEnter) {
        ShowError(AidName(r.aid) + " is not allowed here.");
        return;
    }
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const FieldCheck c = CheckField(fields_[i], value(i));
        if (!c.ok) {
            ShowError(fields_[i].label + ": " + c.reason + ".", static_cast<int>(i));
            return;
        }
    }
    echo_.clear();
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        // "sent" with data, "address only" for a field of nulls (or one an
        // auto-enter answer names without data), nothing when not sent.
        const char* how = "";
        for (const InboundField& f : r.fields) {
            if (FieldAt(f.row, f.column) != static_cast<int>(i)) continue;
            how = f.ebcdic.empty() ? "  address only" : "  sent";
        }
        echo_.push_back(Pad(fields_[i].label, 28) + "'" + EchoText(fields_[i], values_[i]) + "'" +
                        how);
    }
    echo_.push_back("Cursor " + std::to_string(r.cursorRow) + "," + std::to_string(r.cursorColumn) +
                    "   AID " + AidName(r.aid) + "   Fields sent " +
                    std::to_string(r.fields.size()));
    Show(ScreenId::kDataResult);
}

}  // namespace quenlix::demohost
