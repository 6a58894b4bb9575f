// Session files from arbitrary bytes. The reader must take anything; the INI
// entries it parses must come back unchanged from their own written form;
// and the settings it reads must survive a write and a second read, apart
// from the fields the writer leaves out, which read back as their defaults.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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

// The settings a file written from `s` reads back as.
SessionSettings AfterRoundTrip(SessionSettings s) {
    if (s.Name.empty()) s.Name = "No name";
    if (s.Port == 0) s.Port = 23;
    if (s.DisplayName.empty()) s.DisplayName = kHost;
    if (s.Language.empty()) s.Language = "U.S.";
    if (s.PageCode == 0) s.PageCode = 37;
    if (s.TerminalName.empty()) s.TerminalName = "IBM-3477-FC";
    if (s.TerminalCaract.empty()) s.TerminalCaract = "27 * 132";
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto entries = CProfileAccess::Parse(text);
    if (CProfileAccess::Parse(CProfileAccess::Serialize(entries)) != entries) {
        Fail("INI entries changed by a rewrite");
    }

    const std::string in = ScratchDir() + "/in.stn";
    const std::string out = ScratchDir() + "/out.stn";
    WriteInput(in, data, size);

    SessionSettings first;
    CConnectFile::ReadSessionFile(in, first, kHost);
    if (first.UserPassword.size() > CConnectFile::kPasswordLength) Fail("password too long");
    if (!CConnectFile::WriteSessionFile(out, first)) Fail("write failed");
    SessionSettings second;
    CConnectFile::ReadSessionFile(out, second, kHost);
    if (second != AfterRoundTrip(first)) Fail("settings changed by write and read");
    return 0;
}
