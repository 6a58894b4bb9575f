// Writes the seed corpus of the session file harness into the folder given
// as the only argument: a complete session written by the library itself, a
// bare one, one in UTF-8, and a hand-made file with the awkward corners of
// the syntax.
#include <cstdio>
#include <fstream>
#include <string>

#include "session/ConnectFile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];

    quenlix::SessionSettings full;
    full.Name = "Payroll \"main\"";
    full.IP = "10.0.0.5";
    full.Port = 23;
    full.DisplayName = "QPADEV01";
    full.DisplayNameAuto = 0;
    full.Language = "U.S. (37)";
    full.PageCode = 37;
    full.TerminalName = "IBM-5292-2";
    full.TerminalCaract = "24 * 80";
    full.LaunchConnection = 1;
    full.AutoConnection = 1;
    full.UserID = "JDOE";
    full.Menu = "MAIN\r\nSECOND";
    full.ProgProc = "STARTUP";
    full.CurLib = "QGPL";
    full.PasswordStore = quenlix::PasswordStorage::kKeyring;
    bool ok = quenlix::CConnectFile::WriteSessionFile(dir + "/full.stn", full);
    ok = quenlix::CConnectFile::WriteSessionFile(dir + "/bare.stn", {}) && ok;

    // UTF-8 text, where 0x86 is also a continuation byte.
    quenlix::SessionSettings utf8 = full;
    utf8.Name = "K\xC3\x86R\xC3\x98 \xD1\x86";
    utf8.Menu = "\xC4\x86\r\n\xE2\x86\x86\r\xF0\x9F\x98\x86";
    ok = quenlix::CConnectFile::WriteSessionFile(dir + "/utf8.stn", utf8) && ok;

    std::ofstream(dir + "/quirks.stn", std::ios::binary)
        << "Name=\"top\"\n[Connection]junk\r\nname=\"lower\"\r\nName=\"\"x\"\"\r\n"
           "Port= -12abc\r\n; comment\r\n;Port=1\r\n[Unclosed\r\nPage Code=99999999999\r\n"
           "DisplayNameAuto=2\r\n\r\n[Profile]\r\nUser Password=\"1G\"\r\n"
           "Menu=a\x86\x7FZ\r\n[connection]\r\nIP=\"\r\n[Profile]\r\nCurLib=\"";
    // An older file with its scrambled password.
    std::ofstream(dir + "/older.stn", std::ios::binary)
        << "[Profile]\r\nUserID=\"JDOE\"\r\nUser Password=\""
        << quenlix::CConnectFile::ScramblePassword("SECRET") << "\"\r\n";
    return ok ? 0 : 1;
}
