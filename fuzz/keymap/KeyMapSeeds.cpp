// Writes the seed corpus of the key map harness into the folder given as the
// only argument: each built-in map as the writer writes it, a map with every
// key name and function, and a hand-made file of the awkward corners.
#include <cstdio>
#include <fstream>
#include <string>

#include "input/KeyMapFile.h"

int main(int argc, char** argv) {
    using namespace quenlix;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    for (const BuiltInKeyMapInfo& m : BuiltInKeyMaps()) {
        std::ofstream(dir + "/" + std::string(m.name) + ".keymap", std::ios::binary)
            << FormatKeyMapFile(KeyMap::BuiltIn(m.id));
    }
    std::string every = "base = Laptop\n";
    std::size_t f = 0;
    const auto functions = KeyFunctions();
    for (const std::string_view key : KeyChordKeys()) {
        every += "Ctrl+Alt+" + std::string(key) + " = " +
                 std::string(functions[f++ % functions.size()].name) + "\n";
    }
    std::ofstream(dir + "/every.keymap", std::ios::binary) << every;
    std::ofstream(dir + "/quirks.keymap", std::ios::binary)
        << "# comment\r\n  base=IBM5250 # trailing\r\nbase = Laptop\n=\n= Dup\nCtrl+ = Dup\n"
           "Shift+Shift+A = Reset\nF13 = F24\nShift+F13 = F1\nBacktab = None\nEsc = None\n"
           "Ctrl+C = Reset\nShift+Esc = SysReq\nShift+Esc = Attn\nRightCtrl = Enter\n"
           "Ctrl+RightCtrl = Enter\nKeypad0 = Dup\nCtrl+K = Dup = FieldMark\n\x01\xFF = \x80\n";
    return 0;
}
