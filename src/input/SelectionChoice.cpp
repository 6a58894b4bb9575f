#include "input/SelectionChoice.h"

#include <cctype>

#include "ds5250/DataStreamCodes.h"
#include "input/KeyRefusal.h"
#include "terminal/SelectionAnswer.h"

namespace quenlix {

namespace {

/// The choices' states as the answer field holds them now: what the
/// operator typed there counts.
void ReadBackStates(const Terminal& t, SelectionField& f) {
    const std::vector<bool> chosen = ChosenChoices(t, f);
    for (std::size_t k = 0; k < f.choices.size(); ++k) {
        SelectionChoice& c = f.choices[k];
        if (c.state == ChoiceState::kUnavailable) continue;
        c.state = chosen[k] ? ChoiceState::kSelected : ChoiceState::kAvailable;
    }
}

/// Marks choice k chosen (single) or turned over (multiple) and writes the
/// answer; false for an unavailable choice.
bool MarkChosen(Terminal& t, SelectionField& f, std::size_t k) {
    if (f.choices[k].state == ChoiceState::kUnavailable) return false;
    ReadBackStates(t, f);
    if (f.multiple()) {
        SelectionChoice& c = f.choices[k];
        c.state = c.state == ChoiceState::kSelected ? ChoiceState::kAvailable : ChoiceState::kSelected;
    } else {
        for (std::size_t j = 0; j < f.choices.size(); ++j) {
            SelectionChoice& c = f.choices[j];
            if (c.state == ChoiceState::kUnavailable) continue;
            c.state = j == k ? ChoiceState::kSelected : ChoiceState::kAvailable;
        }
    }
    WriteSelectionAnswer(t, f, true);
    // The marks drawn over the choices change without a cell changing.
    t.damage.All();
    return true;
}

/// The keyboard function of an attention key a choice names.
std::optional<KeyFunction> FunctionOfAid(std::uint8_t aid) {
    if (const int n = ds::FunctionKeyOfAid(aid); n > 0) {
        return static_cast<KeyFunction>(static_cast<int>(KeyFunction::kF1) + n - 1);
    }
    switch (aid) {
        case ds::kAidEnter: return KeyFunction::kEnter;
        case ds::kAidRollUp: return KeyFunction::kRollUp;
        case ds::kAidRollDown: return KeyFunction::kRollDown;
        case ds::kAidHelp: return KeyFunction::kHelp;
        case ds::kAidPrint: return KeyFunction::kPrint;
        case ds::kAidClear: return KeyFunction::kClear;
        case ds::kAidPa1: return KeyFunction::kPa1;
        case ds::kAidPa2: return KeyFunction::kPa2;
        case ds::kAidPa3: return KeyFunction::kPa3;
        default: return std::nullopt;
    }
}

}  // namespace

ChoiceResult ChooseChoice(OperatorInput& input, int field, int choice) {
    const InputLinks& links = input.links();
    Terminal& t = links.terminal;
    SelectionField* f = t.constructs.selectionField(field);
    if (!f || choice < 0 || static_cast<std::size_t>(choice) >= f->choices.size()) return ChoiceResult::kNone;
    if (t.state.inputInhibited != 0 || t.state.sysReqMode != 0) {
        RefuseKey(links, refusal::kClickWhileLocked);
        return ChoiceResult::kRefused;
    }
    const auto k = static_cast<std::size_t>(choice);
    if (!MarkChosen(t, *f, k)) {
        RefuseKey(links, refusal::kChoiceUnavailable);
        return ChoiceResult::kRefused;
    }
    const SelectionChoice& c = f->choices[k];
    t.SetCursorCell(c.row - 1, c.column - 1 + f->indicatorWidth);
    // A choice turned off sends nothing; one chosen sends its key, a push
    // button or an auto-enter field Enter.
    if (c.state != ChoiceState::kSelected) return ChoiceResult::kChosen;
    if (c.aid != 0) {
        if (const auto function = FunctionOfAid(c.aid)) input.PerformFunction(*function);
    } else if (f->autoEnter || f->buttons()) {
        input.PerformFunction(KeyFunction::kEnter);
    }
    return ChoiceResult::kChosen;
}

ChoiceResult ChooseAt(OperatorInput& input, int row, int column) {
    const Terminal& t = input.links().terminal;
    const int field = t.constructs.SelectionFieldAt(row + 1, column + 1);
    if (field < 0) return ChoiceResult::kNone;
    return ChooseChoice(input, field, t.constructs.selectionFields()[static_cast<std::size_t>(field)]
                                          .ChoiceAt(row + 1, column + 1));
}

ChoiceResult ChooseByNumber(OperatorInput& input, int field, int number) {
    const SelectionField* f = input.links().terminal.constructs.selectionField(field);
    if (!f) return ChoiceResult::kNone;
    const int k = f->ChoiceNumbered(number);
    if (k < 0) return ChoiceResult::kNone;
    return ChooseChoice(input, field, k);
}

ChoiceResult ChooseByMnemonic(OperatorInput& input, char letter) {
    const Terminal& t = input.links().terminal;
    const auto& fields = t.constructs.selectionFields();
    const int cursorField = t.constructs.SelectionFieldAt(t.CursorRow() + 1, t.CursorColumn() + 1);
    const auto wanted = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(letter)));
    auto find = [&](std::size_t fi) -> int {
        const SelectionField& f = fields[fi];
        for (std::size_t k = 0; k < f.choices.size(); ++k) {
            const SelectionChoice& c = f.choices[k];
            if (c.mnemonic < 0) continue;
            const auto m = static_cast<unsigned char>(c.text[static_cast<std::size_t>(c.mnemonic)]);
            if (std::toupper(m) == wanted) return static_cast<int>(k);
        }
        return -1;
    };
    if (cursorField >= 0) {
        const int k = find(static_cast<std::size_t>(cursorField));
        return k >= 0 ? ChooseChoice(input, cursorField, k) : ChoiceResult::kNone;
    }
    for (std::size_t fi = 0; fi < fields.size(); ++fi) {
        const int k = find(fi);
        if (k >= 0) return ChooseChoice(input, static_cast<int>(fi), k);
    }
    return ChoiceResult::kNone;
}

bool ClickSelectionConstruct(OperatorInput& input, int row, int column) {
    const Terminal& t = input.links().terminal;
    if (const HostScrollBar* bar = t.constructs.ScrollBarAt(row + 1, column + 1)) {
        if (t.state.inputInhibited != 0 || t.state.sysReqMode != 0) {
            RefuseKey(input.links(), refusal::kClickWhileLocked);
            return true;
        }
        const int cell = bar->CellAt(row + 1, column + 1);
        const int slider = bar->SliderCell();
        if (cell == slider) return true;  // the slider itself: nothing to roll
        input.PerformFunction(cell < slider ? KeyFunction::kRollDown : KeyFunction::kRollUp);
        return true;
    }
    return ChooseAt(input, row, column) != ChoiceResult::kNone;
}

bool ChooseAtCursorBeforeEnter(const InputLinks& links) {
    Terminal& t = links.terminal;
    if (t.constructs.selectionFields().empty()) return false;
    if (t.state.inputInhibited != 0 || t.state.sysReqMode != 0) return false;
    const int row = t.CursorRow() + 1;
    const int column = t.CursorColumn() + 1;
    const int field = t.constructs.SelectionFieldAt(row, column);
    SelectionField* f = t.constructs.selectionField(field);
    if (!f || f->multiple()) return false;
    const int k = f->ChoiceAt(row, column);
    return k >= 0 && MarkChosen(t, *f, static_cast<std::size_t>(k));
}

}  // namespace quenlix
