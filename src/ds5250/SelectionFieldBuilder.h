// Builds the data of the enhanced interface's Define Selection Field and
// Define Scroll Bar structures, for tests, fuzz seeds and the demo host, so
// that a selection field reads as its kind and choices rather than bytes.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "terminal/SelectionField.h"
#include "terminal/TranslationCache.h"

namespace quenlix {

class SelectionFieldBuilder {
public:
    explicit SelectionFieldBuilder(SelectionKind kind, const TablePair& tables = BuiltinTablePair());

    /// The width of the choices' text (0: the longest), choices a row (0:
    /// the kind's own), blanks between them.
    SelectionFieldBuilder& layout(int textWidth, int perRow, int padding);
    /// A choice made sends Enter.
    SelectionFieldBuilder& autoEnter();
    /// A field only for displays with a pointer device.
    SelectionFieldBuilder& onlyWithMouse();
    /// A choice: its PC text, state, numeric selection (0: none), mnemonic
    /// offset (-1: none) and the AID choosing it sends (0: none). `forThis`
    /// false marks it for other kinds of display only.
    SelectionFieldBuilder& choice(std::string_view text, ChoiceState state = ChoiceState::kAvailable,
                                  int number = 0, int mnemonic = -1, std::uint8_t aid = 0,
                                  bool forThis = true);
    /// A minor structure as it is (length and type first).
    SelectionFieldBuilder& minor(const std::vector<std::uint8_t>& bytes);

    const std::vector<std::uint8_t>& data() const { return data_; }

private:
    const TablePair* tables_;
    std::vector<std::uint8_t> data_;
};

/// Define Scroll Bar's data: direction, the rows it scrolls through, the
/// first shown and its length in cells.
std::vector<std::uint8_t> ScrollBarData(bool horizontal, std::uint32_t total, std::uint32_t slider,
                                        int size);

}  // namespace quenlix
