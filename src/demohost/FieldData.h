// How the host reads the data of a field out of a terminal's answer, in
// both forms terminals send:
//  - every position: `length` bytes, nulls as 0x00, a signed-numeric
//    field's sign position last (blank, or '-');
//  - data positions only: trailing nulls left out of a Read MDT Fields
//    answer (a field of nulls is its address alone), and never a
//    signed-numeric field's sign position.
// Either way a negative number is the zone 0xD of its last digit (F3 becomes
// D3), the zoned-decimal sign a host program reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "demohost/FieldDef.h"
#include "demohost/HostTelnet.h"
#include "terminal/TranslationCache.h"

namespace quenlix::demohost {

/// A field's value as the host program keeps it.
struct FieldValue {
    /// The data positions as PC text, nulls as blanks. Read from an answer,
    /// it is padded with blanks to the field's length, and a signed-numeric
    /// field's last character is its sign position: '-' when negative.
    std::string text;
    /// A numeric-only or signed-numeric field holds a negative number.
    bool negative = false;
};

/// The bytes a terminal sent for field `f` (at most `f.length` are used),
/// in either form, through the host's code page `tables`.
FieldValue ReadFieldData(const FieldDef& f, const Bytes& ebcdic,
                         const TablePair& tables = BuiltinTablePair());

/// The field data of a Read Input Fields or Read Immediate answer (every
/// input field's data back to back, in field order) cut into one piece a
/// field. The total length tells the form: the sum of the lengths (sign
/// positions sent) or that less one a signed-numeric field (left out).
/// Nothing when it is neither.
std::optional<std::vector<Bytes>> SplitFieldData(const std::vector<FieldDef>& fields,
                                                 const std::uint8_t* data, std::size_t count);

/// The value as the data-entry screen echoes it: a number with a leading
/// minus for a negative numeric field ("-42"), otherwise the text without
/// trailing blanks; a signed field without its sign position.
std::string EchoText(const FieldDef& f, const FieldValue& v);

}  // namespace quenlix::demohost
