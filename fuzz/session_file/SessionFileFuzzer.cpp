// Session files from arbitrary bytes. The reader must take anything; the INI
// entries it parses must come back unchanged from their own written form;
// and the settings it reads must survive a write and a second read, apart
// from the fields the writer leaves out, which read back as their defaults.
//
// One change is allowed: a CR that the file held as a bare CR byte in the
// middle of a line, right after the start of a UTF-8 sequence, is written as
// 0x86 and then reads as that sequence's continuation byte. Once written, a
// file reads and writes back exactly.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "session/ConnectFile.h"
#include "session/ProfileAccess.h"

namespace {

using quenlix::CConnectFile;
using quenlix::CProfileAccess;
using quenlix::SessionSettings;

constexpr const char* kHost = "FUZZHOST";

std::string scratchDir;

void RemoveScratch() {
    unlink((scratchDir + "/in.stn").c_str());
    unlink((scratchDir + "/out.stn").c_str());
    rmdir(scratchDir.c_str());
}

// tmpfs when there is one: every write of a session file is synced to disk.
const std::string& ScratchDir() {
    if (scratchDir.empty()) {
        std::string pattern =
            access("/dev/shm", W_OK) == 0 ? "/dev/shm/fuzz-stn-XXXXXX" : "/tmp/fuzz-stn-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        scratchDir = pattern;
        std::atexit(RemoveScratch);
    }
    return scratchDir;
}

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n <= 0) std::abort();
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    close(fd);
}

void Fail(const char* what) {
    std::fprintf(stderr, "session file round trip: %s\n", what);
    std::abort();
}

// `got` is `expected` up to CRs that came back as 0x86 (see the top).
bool SameUpToCr(std::string_view expected, std::string_view got) {
    if (expected.size() != got.size()) return false;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (expected[i] != got[i] && !(expected[i] == '\r' && got[i] == '\x86')) return false;
    }
    return true;
}

bool SameUpToCr(const std::vector<CProfileAccess::Entry>& expected,
                const std::vector<CProfileAccess::Entry>& got) {
    if (expected.size() != got.size()) return false;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (expected[i].key != got[i].key || !SameUpToCr(expected[i].value, got[i].value)) {
            return false;
        }
    }
    return true;
}

// Takes the text of `got` for the fields where it differs only so.
void AcceptCrChanges(SessionSettings& expected, const SessionSettings& got) {
    auto accept = [](std::string& e, const std::string& g) {
        if (SameUpToCr(e, g)) e = g;
    };
    accept(expected.Name, got.Name);
    accept(expected.IP, got.IP);
    accept(expected.DisplayName, got.DisplayName);
    accept(expected.Language, got.Language);
    accept(expected.TerminalName, got.TerminalName);
    accept(expected.TerminalCaract, got.TerminalCaract);
    accept(expected.UserID, got.UserID);
    accept(expected.Menu, got.Menu);
    accept(expected.ProgProc, got.ProgProc);
    accept(expected.CurLib, got.CurLib);
}

// The settings a file written from `s` reads back as.
SessionSettings AfterRoundTrip(SessionSettings s) {
    if (s.Name.empty()) s.Name = "No name";
    if (s.Port == 0) s.Port = 23;
    if (s.DisplayName.empty()) s.DisplayName = kHost;
    if (s.Language.empty()) s.Language = "U.S.";
    if (s.PageCode == 0) s.PageCode = 37;
    if (s.TerminalName.empty()) s.TerminalName = "IBM-3477-FC";
    if (s.TerminalCaract.empty()) s.TerminalCaract = "27 * 132";
    // No password is written: an older file's one is left behind.
    if (s.PasswordStore == quenlix::PasswordStorage::kOlderSessionFile) {
        s.UserPassword.clear();
        s.PasswordStore = quenlix::PasswordStorage::kNone;
    }
    if (!s.UserPassword.empty()) Fail("a password read from a file that cannot hold one");
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto entries = CProfileAccess::Parse(text);
    auto rewritten = CProfileAccess::Parse(CProfileAccess::Serialize(entries));
    if (!SameUpToCr(entries, rewritten)) Fail("INI entries changed by a rewrite");
    if (CProfileAccess::Parse(CProfileAccess::Serialize(rewritten)) != rewritten) {
        Fail("INI entries of a written file changed by a rewrite");
    }

    const std::string in = ScratchDir() + "/in.stn";
    const std::string out = ScratchDir() + "/out.stn";
    WriteInput(in, data, size);

    SessionSettings first;
    if (!CConnectFile::ReadSessionFile(in, first, kHost)) Fail("a regular file was not read");
    if (first.UserPassword.size() > CConnectFile::kPasswordLength) Fail("password too long");
    if (!CConnectFile::WriteSessionFile(out, first)) Fail("write failed");
    SessionSettings second;
    CConnectFile::ReadSessionFile(out, second, kHost);
    SessionSettings expected = AfterRoundTrip(first);
    AcceptCrChanges(expected, second);
    if (second != expected) Fail("settings changed by write and read");

    if (!CConnectFile::WriteSessionFile(out, second)) Fail("write failed");
    SessionSettings third;
    CConnectFile::ReadSessionFile(out, third, kHost);
    if (third != second) Fail("settings of a written file changed by write and read");
    return 0;
}
