// The checks a host program makes on what came back in its input fields,
// by field kind: the keyboard rules the terminal should have kept (shift/edit
// type, monocase, mandatory enter and fill), checked again on the host side,
// as a program must not trust them.
#pragma once

#include <string>

#include "demohost/FieldDef.h"

namespace quenlix::demohost {

struct FieldCheck {
    bool ok = true;
    std::string reason;  ///< why not, for the message line: "letters only"
};

/// True when every character of `s` is in `allowed`, a digit (when `digits`)
/// or an ASCII letter (when `letters`).
bool AllOf(const std::string& s, const char* allowed, bool digits, bool letters);

/// The field's value as the host read it (see FieldData.h), checked against
/// the field's kind.
FieldCheck CheckField(const FieldDef& f, const std::string& value);

}  // namespace quenlix::demohost
