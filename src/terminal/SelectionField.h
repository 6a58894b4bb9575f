// A selection field the host defined through the enhanced interface: its
// kind, where its choices lie on the screen, each choice's text, number,
// state, mnemonic and the attention key it sends, and the input field that
// carries its answer to the host. The host's reads take that field's data,
// so a choice made with the mouse reaches the host as the same bytes as the
// number an operator types on a plain display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quenlix {

/// The kinds of selection field, as the data stream numbers them.
enum class SelectionKind : std::uint8_t {
    kMenuBar = 0x01,
    kSingleChoice = 0x11,
    kMultipleChoice = 0x12,
    kSingleChoiceList = 0x21,
    kMultipleChoiceList = 0x22,
    kSingleChoicePullDown = 0x31,
    kMultipleChoicePullDown = 0x32,
    kPushButtons = 0x41,
    kPushButtonsPullDown = 0x51,
};

/// True for a byte that names a kind of selection field.
constexpr bool IsSelectionKind(std::uint8_t b) {
    switch (b) {
        case 0x01: case 0x11: case 0x12: case 0x21: case 0x22:
        case 0x31: case 0x32: case 0x41: case 0x51:
            return true;
        default:
            return false;
    }
}

/// The name of a kind, as the CLI and traces write it.
constexpr const char* SelectionKindName(SelectionKind k) {
    switch (k) {
        case SelectionKind::kMenuBar: return "menu bar";
        case SelectionKind::kSingleChoice: return "single choice";
        case SelectionKind::kMultipleChoice: return "multiple choice";
        case SelectionKind::kSingleChoiceList: return "single choice list";
        case SelectionKind::kMultipleChoiceList: return "multiple choice list";
        case SelectionKind::kSingleChoicePullDown: return "single choice pull-down";
        case SelectionKind::kMultipleChoicePullDown: return "multiple choice pull-down";
        case SelectionKind::kPushButtons: return "push buttons";
        case SelectionKind::kPushButtonsPullDown: return "push buttons pull-down";
    }
    return "selection field";
}

enum class ChoiceState : std::uint8_t { kAvailable, kSelected, kUnavailable };

constexpr const char* ChoiceStateName(ChoiceState s) {
    switch (s) {
        case ChoiceState::kAvailable: return "available";
        case ChoiceState::kSelected: return "selected";
        case ChoiceState::kUnavailable: return "unavailable";
    }
    return "available";
}

struct SelectionChoice {
    /// Longest choice text kept, in characters (a row of the widest screen).
    static constexpr std::size_t kMaxTextLength = 132;
    std::string text;          ///< PC characters, as the host gave them
    int number = 0;            ///< 1..99: the host's numeric selection, else its place
    ChoiceState state = ChoiceState::kAvailable;
    int mnemonic = -1;         ///< index in text of the mnemonic letter, -1 none
    std::uint8_t aid = 0;      ///< attention key choosing it sends, 0 none
    bool takesCursor = true;   ///< false: the cursor skips it
    int row = 0;               ///< where the choice starts (its indicator), from 1
    int column = 0;
    int width = 0;             ///< cells from `column`, indicator and text

    /// True for a position (from 1) on the choice.
    bool Covers(int r, int c) const { return r == row && c >= column && c < column + width; }
};

struct SelectionField {
    /// Most choices of one field: the display files number them 1..99.
    static constexpr std::size_t kMaxChoices = 99;

    SelectionKind kind = SelectionKind::kSingleChoice;
    int row = 0;        ///< where the host defined it (the write address), from 1
    int column = 0;
    /// The input field that carries the answer: its linear position (first
    /// data position) and length, -1 when the host gave none there.
    int answerPosition = -1;
    int answerLength = 0;
    int indicatorWidth = 0;  ///< cells before each choice's text
    int textWidth = 0;
    bool autoEnter = false;  ///< a choice made sends Enter at once
    std::uint8_t cancelAid = 0;
    std::uint8_t selectionCharacter = 0x61;  ///< EBCDIC, what marks a chosen multiple choice
    std::uint8_t selectionPc = '/';          ///< the same in the PC character set
    std::vector<SelectionChoice> choices;

    bool multiple() const {
        return kind == SelectionKind::kMultipleChoice || kind == SelectionKind::kMultipleChoiceList ||
               kind == SelectionKind::kMultipleChoicePullDown;
    }
    bool buttons() const {
        return kind == SelectionKind::kPushButtons || kind == SelectionKind::kPushButtonsPullDown;
    }
    /// The choice at a position (from 1), -1 none.
    int ChoiceAt(int r, int c) const {
        for (std::size_t k = 0; k < choices.size(); ++k) {
            if (choices[k].Covers(r, c)) return static_cast<int>(k);
        }
        return -1;
    }
    /// The choice with a number, -1 none.
    int ChoiceNumbered(int n) const {
        for (std::size_t k = 0; k < choices.size(); ++k) {
            if (choices[k].number == n) return static_cast<int>(k);
        }
        return -1;
    }
};

/// A scroll bar the host defined: where it lies, its direction and length
/// in cells, and what it shows of the host's list.
struct HostScrollBar {
    int row = 0;  ///< its first cell, from 1
    int column = 0;
    bool horizontal = false;
    int size = 0;                 ///< cells along it, arrows included
    std::uint32_t total = 0;      ///< rows (or columns) the host can scroll through
    std::uint32_t slider = 0;     ///< the first of them shown

    /// The cell (0 .. size-1) the slider is drawn on, between the arrows.
    int SliderCell() const {
        const int shaft = size - 2;
        if (shaft <= 0) return 0;
        if (total <= 1) return 1;
        const std::uint64_t at = slider >= total ? total - 1 : slider;
        return 1 + static_cast<int>(at * static_cast<std::uint64_t>(shaft - 1) / (total - 1));
    }
    bool Covers(int r, int c) const {
        return horizontal ? (r == row && c >= column && c < column + size)
                          : (c == column && r >= row && r < row + size);
    }
    /// The cell (0 .. size-1) at a position it covers.
    int CellAt(int r, int c) const { return horizontal ? c - column : r - row; }
};

}  // namespace quenlix
