// Key map files of any bytes. The parser must end, keep within its bounds
// (errors, bindings), name every error with the file and a line the text
// has, and what it reads must write out as a file that reads back as the
// same map without errors.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "input/KeyMapFile.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quenlix;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const KeyMapFileResult r = ParseKeyMapFile(text, "fuzz");
    Check(r.errors.size() <= kMaxKeyMapErrors + 1);
    Check(r.map.bindings().size() <= KeyMap::kMaxBindings);
    for (const std::string& e : r.errors) {
        Check(e.starts_with("fuzz:"));
        Check(e.size() < 400);
        for (const char c : e) Check(static_cast<unsigned char>(c) >= 0x20);
    }
    for (const auto& [key, function] : r.map.bindings()) {
        Check(!IsMainWindowShortcut(key) || function == KeyFunction::kSystemRequest ||
              function == KeyFunction::kNone);
        Check(ParseKeyChord(FormatKeyChord(key)) == key);
    }
    const std::string written = FormatKeyMapFile(r.map);
    const KeyMapFileResult again = ParseKeyMapFile(written, "again");
    Check(again.errors.empty());
    Check(again.map == r.map);
    return 0;
}
