// Writes the seed corpus of the macro harness into the folder given as the
// only argument: a recorded macro, a CLI script with blocks, and a file of
// the awkward corners.
#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::ofstream(dir + "/recorded.qtm", std::ios::binary)
        << "connect\nexpect \"Sign On\" at 1 37\ntype MACRO\nkey Tab\nprompt PASSWORD \"Password\"\n"
           "key Enter\nexpect \"Main Menu\" at 1 27\nexpect-field 1\nexpect-cursor 20 7\n"
           "cursor 13 39\nclick 24 2\npaste a\\tb\\r\\n\n";
    std::ofstream(dir + "/blocks.qtm", std::ios::binary)
        << "# comment\nif-screen \"Confirm\"\nif-screen \"x\"\nkey F12\nend\nend\nsleep 10\nwait 100\n";
    std::ofstream(dir + "/corners.qtm", std::ios::binary)
        << "expect \"a\\\"b\\\\\" within 999999999\r\nexpect \"\" \nprompt _ \"\"\nend\nreplay x\n"
           "if-screen \"unclosed\n";
    return 0;
}
