// How the host reads the data of a field out of a terminal's answer: nulls,
// and the minus sign of a signed-numeric field.
#pragma once

#include <cstddef>
#include <string>

#include "demohost/HostTelnet.h"

namespace quenlix::demohost {

/// A signed-numeric field as the terminal sends it after Field-: the minus
/// sign is the zone 0xD of the last digit (0xD0..0xD9, "}" and J..R in most
/// code pages) and the sign position is blank. The host reads that as the
/// digits followed by "-" in the sign position, the form it checks and shows.
/// `text` is `ebcdic` through the host's code page; both are `length` long.
std::string ReadSignedField(const Bytes& ebcdic, std::string text, std::size_t length);

/// A signed-numeric value (digits, then the sign position) as a number:
/// "-42", "42", or empty when no digit was typed.
std::string SignedNumber(const std::string& value);

}  // namespace quenlix::demohost
