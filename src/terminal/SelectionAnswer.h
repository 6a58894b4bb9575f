// The answer of a selection field as its input field carries it to the
// host: the chosen choice's number in digits, right-aligned and filled with
// zeros, as an operator types it into the numeric field of a plain display;
// for a multiple choice field one position per choice, the selection
// character where the choice is chosen. Which choices are chosen is read
// back from those cells, so what the operator typed there counts as well.
#pragma once

#include <cstdint>
#include <vector>

#include "terminal/SelectionField.h"

namespace quenlix {

struct Terminal;

/// The EBCDIC bytes the answer field holds for the choices' states (its
/// length); empty when the field has no answer field.
std::vector<std::uint8_t> SelectionAnswerBytes(const SelectionField& field);

/// True when the input field the selection field names is still there at
/// its place, with the length it had.
bool HasAnswerField(const Terminal& t, const SelectionField& field);

/// Writes the answer into the answer field's cells (EBCDIC digits and the
/// selection character; PC characters to match). `modified`: as the
/// operator's typing, the field's modified data tag goes on.
void WriteSelectionAnswer(Terminal& t, const SelectionField& field, bool modified);

/// Which choices are chosen, one flag a choice: from the answer field's
/// cells when there is one, else from the states the host or the operator
/// gave them. The answer field is read once for all of them.
std::vector<bool> ChosenChoices(const Terminal& t, const SelectionField& field);
/// Whether choice `k` is chosen, as ChosenChoices says.
bool ChoiceChosen(const Terminal& t, const SelectionField& field, int k);

}  // namespace quenlix
