// Pinned certificates: the fingerprint forms accepted, the file format, the
// atomic owner-only rewrite that keeps other lines, and the pins of one run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "session/CertificatePins.h"
#include "session/TestFiles.h"

namespace quenlix {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const std::string kCanonical =
    "01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF";
const std::string kOther(
    "FF:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF");

TEST(CertificatePins, FingerprintsAreReadInEveryFormAndNothingElse) {
    std::string bare;
    for (char c : kCanonical) {
        if (c != ':') bare += c;
    }
    std::string lower = kCanonical;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& form : {kCanonical, bare, lower}) {
        EXPECT_EQ(CertificatePins::NormalizeFingerprint(form), kCanonical) << form;
    }
    for (const std::string& bad :
         {std::string(), bare.substr(2), bare + "00", ":" + kCanonical, kCanonical + ":",
          "0:1" + bare.substr(3), bare.substr(0, 63) + "G", "01::23" + bare.substr(4)}) {
        EXPECT_EQ(CertificatePins::NormalizeFingerprint(bad), "") << bad;
    }
}

TEST(CertificatePins, TheFileKeepsOtherLinesAndIsOwnerOnly) {
    TempDir dir;
    const std::string path = dir.File("config/Quenlix/Products/Telnet.pins");
    CertificatePins pins;
    pins.SetPath(path);
    EXPECT_EQ(pins.Find("as400", 992), "");
    ASSERT_EQ(pins.Add("AS400.example", 992, kCanonical), 0);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // Host names are matched without regard to case; the port counts.
    EXPECT_EQ(pins.Find("as400.EXAMPLE", 992), kCanonical);
    EXPECT_EQ(pins.Find("as400.example", 23), "");

    // A line this version cannot read, a comment and another host's pin stay.
    WriteBytes(path, "# mine\nother:23 " + kOther + "\nsomething new\nas400.example:992 " +
                         kCanonical + "\n");
    ASSERT_EQ(pins.Add("as400.example", 992, kOther), 0);
    EXPECT_EQ(ReadBytes(path), "# mine\nother:23 " + kOther + "\nsomething new\nas400.example:992 " +
                                   kOther + "\n");
    ASSERT_EQ(pins.Remove("as400.example", 992), 0);
    EXPECT_EQ(ReadBytes(path), "# mine\nother:23 " + kOther + "\nsomething new\n");
    EXPECT_EQ(pins.Find("other", 23), kOther);
    EXPECT_EQ(pins.Add("h", 1, "not a fingerprint"), EINVAL);
}

TEST(CertificatePins, AFileThatCannotBeReadIsNeverReplaced) {
    TempDir dir;
    const std::string path = dir.File("Telnet.pins");
    WriteBytes(path, std::string(CertificatePins::kMaxFileSize + 1, '#'));
    CertificatePins pins;
    pins.SetPath(path);
    EXPECT_EQ(pins.Add("h", 992, kCanonical), EFBIG);
    EXPECT_EQ(ReadBytes(path).size(), CertificatePins::kMaxFileSize + 1);
}

TEST(CertificatePins, PinsOfThisRunAndInMemoryAreNeverWritten) {
    CertificatePins pins;
    EXPECT_TRUE(pins.TrustForThisRun(kCanonical.substr(0, 2) + kCanonical.substr(3)));
    EXPECT_TRUE(pins.TrustedForThisRun(kCanonical));
    EXPECT_FALSE(pins.TrustForThisRun("abc"));
    EXPECT_EQ(pins.Add("h", 992, kOther), 0);
    EXPECT_EQ(pins.Find("H", 992), kOther);
    EXPECT_EQ(pins.Remove("h", 992), 0);
    EXPECT_EQ(pins.Find("h", 992), "");
}

TEST(CertificatePins, TheDefaultFileIsBesideThePreferences) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(CertificatePins::DefaultPath(), "/tmp/cfg/Quenlix/Products/Telnet.pins");
    if (old) {
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace quenlix
