#include "terminal/SelectionAnswer.h"

#include <vector>

#include <algorithm>

#include "terminal/ScreenAddress.h"
#include "terminal/ScreenCell.h"
#include "terminal/TerminalState.h"

namespace quenlix {

namespace {

constexpr std::uint8_t kEbcdicZero = 0xF0;
constexpr std::uint8_t kEbcdicNine = 0xF9;

/// The format table entry whose first data position is `position`, nullptr
/// none.
const FieldEntry* AnswerEntry(const Terminal& t, const SelectionField& field) {
    if (field.answerPosition < 0 || t.columns() <= 0) return nullptr;
    for (int i = 0; i < t.formatTable.fieldCount(); ++i) {
        const FieldEntry* e = t.formatTable.entry(i);
        if (e && FirstDataPosition(*e, t.columns()) == field.answerPosition &&
            e->length == field.answerLength) {
            return e;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<std::uint8_t> SelectionAnswerBytes(const SelectionField& field) {
    if (field.answerPosition < 0 || field.answerLength <= 0) return {};
    const auto length = static_cast<std::size_t>(field.answerLength);
    std::vector<std::uint8_t> bytes(length, kEbcdicNull);
    if (field.multiple()) {
        for (std::size_t k = 0; k < field.choices.size() && k < length; ++k) {
            if (field.choices[k].state == ChoiceState::kSelected) bytes[k] = field.selectionCharacter;
        }
        return bytes;
    }
    for (const SelectionChoice& c : field.choices) {
        if (c.state != ChoiceState::kSelected) continue;
        int n = c.number;
        for (std::size_t k = length; k-- > 0;) {
            bytes[k] = static_cast<std::uint8_t>(kEbcdicZero + n % 10);
            n /= 10;
        }
        break;
    }
    return bytes;
}

bool HasAnswerField(const Terminal& t, const SelectionField& field) {
    return AnswerEntry(t, field) != nullptr;
}

void WriteSelectionAnswer(Terminal& t, const SelectionField& field, bool modified) {
    const FieldEntry* found = AnswerEntry(t, field);
    if (!found) return;
    const std::vector<std::uint8_t> bytes = SelectionAnswerBytes(field);
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const int p = field.answerPosition + static_cast<int>(k);
        if (!t.screen.contains(p)) break;
        const std::uint8_t b = bytes[k];
        std::uint8_t pc = ' ';
        if (b >= kEbcdicZero && b <= kEbcdicNine) {
            pc = static_cast<std::uint8_t>('0' + (b - kEbcdicZero));
        } else if (b == field.selectionCharacter) {
            pc = field.selectionPc;
        }
        t.SetCell(p, b, pc);
    }
    if (modified) {
        for (int i = 0; i < t.formatTable.fieldCount(); ++i) {
            FieldEntry* e = t.formatTable.entry(i);
            if (e == found) {
                e->mdt = 1;
                t.state.operatorModified = 1;
            }
        }
    }
}

std::vector<bool> ChosenChoices(const Terminal& t, const SelectionField& field) {
    std::vector<bool> chosen(field.choices.size(), false);
    if (!AnswerEntry(t, field)) {
        for (std::size_t k = 0; k < chosen.size(); ++k) {
            chosen[k] = field.choices[k].state == ChoiceState::kSelected;
        }
        return chosen;
    }
    if (field.multiple()) {
        for (std::size_t k = 0; k < chosen.size() && static_cast<int>(k) < field.answerLength; ++k) {
            const int p = field.answerPosition + static_cast<int>(k);
            if (!t.screen.contains(p)) break;
            const std::uint8_t b = t.screen.at(p).ebcdic;
            chosen[k] = b != kEbcdicNull && b != kEbcdicBlank;
        }
        return chosen;
    }
    // The number the field holds, its blanks and nulls skipped; anything
    // other than digits chooses nothing. A field longer than a row is read
    // no further than one: the painter asks on every pass.
    constexpr int kMostPositionsRead = 132;
    int n = 0;
    bool any = false;
    for (int j = 0; j < std::min(field.answerLength, kMostPositionsRead); ++j) {
        const int p = field.answerPosition + j;
        if (!t.screen.contains(p)) return chosen;
        const std::uint8_t b = t.screen.at(p).ebcdic;
        if (b == kEbcdicNull || b == kEbcdicBlank) continue;
        if (b < kEbcdicZero || b > kEbcdicNine) return chosen;
        n = n * 10 + (b - kEbcdicZero);
        any = true;
        if (n > 99) return chosen;
    }
    if (!any) return chosen;
    for (std::size_t k = 0; k < chosen.size(); ++k) chosen[k] = field.choices[k].number == n;
    return chosen;
}

bool ChoiceChosen(const Terminal& t, const SelectionField& field, int k) {
    if (k < 0 || static_cast<std::size_t>(k) >= field.choices.size()) return false;
    return ChosenChoices(t, field)[static_cast<std::size_t>(k)];
}

}  // namespace quenlix
