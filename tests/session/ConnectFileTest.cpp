// Session files: defaults, omissions, exact file contents and passwords.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "session/ConnectFile.h"
#include "session/FileIo.h"
#include "session/TestFiles.h"
#include "support/InChild.h"

namespace quenlix {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr const char* kHost = "WORKSTATION7";

// What a file without any of the keys reads as.
SessionSettings Defaults() {
    SessionSettings s;
    s.Name = "No name";
    s.Port = 23;
    s.DisplayName = kHost;
    s.DisplayNameAuto = 1;
    s.Language = "U.S.";
    s.PageCode = 37;
    s.TerminalName = "IBM-3477-FC";
    s.TerminalCaract = "27 * 132";
    return s;
}

SessionSettings Full() {
    SessionSettings s;
    s.Name = "Payroll";
    s.IP = "as400.example.net";
    s.Port = 992;
    s.DisplayName = "QPADEV01";
    s.DisplayNameAuto = 0;
    s.Language = "French (297)";
    s.PageCode = 297;
    s.TerminalName = "IBM-5292-2";
    s.TerminalCaract = "24 * 80";
    s.LaunchConnection = 1;
    s.AutoConnection = 1;
    s.UserID = "JDOE";
    s.Menu = "MAIN";
    s.ProgProc = "STARTUP";
    s.CurLib = "QGPL";
    // The file says where the password is; the password itself is fetched.
    s.PasswordStore = PasswordStorage::kKeyring;
    return s;
}

SessionSettings Read(const std::string& path) {
    SessionSettings s;
    CConnectFile::ReadSessionFile(path, s, kHost);
    return s;
}

TEST(SessionFileRead, MissingKeysGiveTheDefaults) {
    TempDir dir;
    WriteBytes(dir.File("empty.stn"), "");
    // Keys spelled with another capitalisation are missing keys.
    WriteBytes(dir.File("case.stn"),
               "[connection]\r\nPort=99\r\n[Connection]\r\nport=98\r\nname=\"x\"\r\n"
               "[Profile]\r\nuser password=\"0000\"\r\n");
    for (const char* name : {"missing.stn", "empty.stn", "case.stn"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Read(dir.File(name)), Defaults());
    }
    EXPECT_EQ(Read(dir.File("missing.stn")).DisplayName, kHost);
}

TEST(SessionFileRead, OnlyARegularReadableFileCountsAsRead) {
    TempDir dir;
    WriteBytes(dir.File("empty.stn"), "");
    ASSERT_TRUE(CConnectFile::WriteSessionFile(dir.File("full.stn"), Full()));
    SessionSettings s;
    EXPECT_TRUE(CConnectFile::ReadSessionFile(dir.File("empty.stn"), s, kHost));
    EXPECT_EQ(s, Defaults());
    EXPECT_TRUE(CConnectFile::ReadSessionFile(dir.File("full.stn"), s, kHost));
    EXPECT_EQ(s, Full());

    ASSERT_EQ(mkdir(dir.File("folder.stn").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(dir.File("pipe.stn").c_str(), 0644), 0);
    // A real session at its start: a reader that ignored the size would load it.
    const std::string big = dir.File("big.stn");
    WriteBytes(big, "[Connection]\r\nName=\"Big\"\r\n");
    ASSERT_EQ(truncate(big.c_str(), kMaxSmallFileSize + 1), 0);
    std::vector<std::string> unreadable = {dir.File("missing.stn"), dir.File("folder.stn"),
                                           dir.File("pipe.stn"), big};
    if (geteuid() != 0) {  // root reads whatever the mode says
        ASSERT_TRUE(CConnectFile::WriteSessionFile(dir.File("locked.stn"), Full()));
        ASSERT_EQ(chmod(dir.File("locked.stn").c_str(), 0), 0);
        unreadable.push_back(dir.File("locked.stn"));
    }
    for (const std::string& path : unreadable) {
        SCOPED_TRACE(path);
        // In a child: opening the pipe must not wait for a writer.
        const int result = ::quenlix::testing::InChild([&] {
            SessionSettings read = Full();
            if (CConnectFile::ReadSessionFile(path, read, kHost)) return 1;
            return read == Defaults() ? 0 : 2;
        });
        EXPECT_EQ(result, 0) << "1: reported as read; 2: not all defaults; -1: hung or crashed";
    }
}

TEST(SessionFileWrite, FullSessionExactBytes) {
    TempDir dir;
    const std::string path = dir.File("full.stn");
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, Full()));
    EXPECT_EQ(ReadBytes(path),
              "[Connection]\r\n"
              "Name=\"Payroll\"\r\n"
              "IP=\"as400.example.net\"\r\n"
              "Port=992\r\n"
              "DisplayName=\"QPADEV01\"\r\n"
              "DisplayNameAuto=0\r\n"
              "Language=\"French (297)\"\r\n"
              "Page Code=297\r\n"
              "Terminal Name=\"IBM-5292-2\"\r\n"
              "Terminal Caract=\"24 * 80\"\r\n"
              "[Profile]\r\n"
              "Launch Connection=1\r\n"
              "Auto Connection=1\r\n"
              "UserID=\"JDOE\"\r\n"
              "Menu=\"MAIN\"\r\n"
              "ProgProc=\"STARTUP\"\r\n"
              "CurLib=\"QGPL\"\r\n"
              "Password In Keyring=1\r\n");
    EXPECT_EQ(Read(path), Full());
}

TEST(SessionFileWrite, UnsetFieldsAreLeftOutAndReadAsDefaults) {
    TempDir dir;
    const std::string path = dir.File("bare.stn");
    // Replaces a file with other sections and keys: none of them survive.
    WriteBytes(path, "[Connection]\r\nName=\"old\"\r\nExtra=1\r\n[Other]\r\nA=1\r\n");
    SessionSettings unset;  // empty texts, 0 numbers, DisplayNameAuto 1
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, unset));
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_EQ(Read(path), Defaults());
}

TEST(SessionFileWrite, TlsKeysFollowTheConnectionKeysAndReadBack) {
    TempDir dir;
    const std::string path = dir.File("tls.stn");
    SessionSettings s = Full();
    s.Security = ConnectionSecurity::kTls;
    s.CAFile = "/etc/site/ca.pem";
    s.ClientCertificate = "/home/jdoe/me.pem";
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    const std::string text = ReadBytes(path);
    EXPECT_NE(text.find("Terminal Caract=\"24 * 80\"\r\n"
                        "Security=\"TLS\"\r\n"
                        "CA File=\"/etc/site/ca.pem\"\r\n"
                        "Client Certificate=\"/home/jdoe/me.pem\"\r\n"
                        "[Profile]\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(Read(path), s);
    // A program that knows none of the three keys reads everything else as
    // it was: the reader looks keys up by name and skips the others.
    WriteBytes(path, text + "[Connection]\r\nSomething Later=\"x\"\r\n");
    EXPECT_EQ(Read(path), s);
}

TEST(SessionFileRead, SecurityIsPlainOnlyWhenAbsentOrNone) {
    const struct {
        const char* line;
        ConnectionSecurity expected;
    } rows[] = {
        {"", ConnectionSecurity::kNone},
        {"Security=\"None\"\r\n", ConnectionSecurity::kNone},
        {"Security=\"NONE\"\r\n", ConnectionSecurity::kNone},
        {"Security=\"TLS\"\r\n", ConnectionSecurity::kTls},
        {"Security=\"tls\"\r\n", ConnectionSecurity::kTls},
        // A value of a later version never falls back to plain TCP.
        {"Security=\"TLS-1.3-only\"\r\n", ConnectionSecurity::kTls},
    };
    TempDir dir;
    const std::string path = dir.File("s.stn");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        WriteBytes(path, std::string("[Connection]\r\nIP=\"h\"\r\n") + row.line);
        EXPECT_EQ(Read(path).Security, row.expected);
    }
}

TEST(SessionFileWrite, TheStartMacroIsKeptOnlyWhenChosen) {
    TempDir dir;
    const std::string path = dir.File("macro.stn");
    SessionSettings s = Full();
    s.StartMacro = "Daily sign-on";
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    EXPECT_NE(ReadBytes(path).find("Start Macro=\"Daily sign-on\"\r\n"), std::string::npos)
        << ReadBytes(path);
    EXPECT_EQ(Read(path), s);
    // None chosen: the file is as older versions wrote it, and reads as none.
    s.StartMacro.clear();
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    EXPECT_EQ(ReadBytes(path).find("Start Macro"), std::string::npos);
    EXPECT_EQ(Read(path), Full());
}

TEST(SessionFileWrite, TheKeyboardMapIsKeptOnlyWhenChosen) {
    TempDir dir;
    const std::string path = dir.File("map.stn");
    SessionSettings s = Full();
    s.KeyboardMap = "my laptop";
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    const std::string bytes = ReadBytes(path);
    EXPECT_NE(bytes.find("Terminal Caract=\"24 * 80\"\r\nKeyboard Map=\"my laptop\"\r\n[Profile]"),
              std::string::npos)
        << bytes;
    EXPECT_EQ(Read(path), s);
    // The Standard map writes what older versions wrote and read.
    s.KeyboardMap.clear();
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    EXPECT_EQ(ReadBytes(path).find("Keyboard Map"), std::string::npos);
    EXPECT_EQ(Read(path), Full());
}

TEST(SessionFileWrite, TheEnhancedInterfaceIsKeptOnlyWhenChosen) {
    TempDir dir;
    const std::string path = dir.File("enhanced.stn");
    SessionSettings s = Full();
    s.Enhanced = 1;
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    EXPECT_NE(ReadBytes(path).find("Enhanced=1\r\n"), std::string::npos) << ReadBytes(path);
    EXPECT_EQ(Read(path), s);
    // Off writes what older versions wrote and read.
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, Full()));
    EXPECT_EQ(ReadBytes(path).find("Enhanced"), std::string::npos);
    EXPECT_EQ(Read(path), Full());
}

TEST(SessionFileWrite, TheSignOnSecurityKeysAreKeptOnlyWhenChosen) {
    TempDir dir;
    const std::string path = dir.File("signon.stn");
    SessionSettings s = Full();
    s.PasswordLevel = 4;
    s.SendPasswordInClear = 1;
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    const std::string bytes = ReadBytes(path);
    EXPECT_NE(bytes.find("Password Level=\"4\"\r\nSend Password In Clear=1\r\n"),
              std::string::npos)
        << bytes;
    EXPECT_EQ(Read(path), s);
    // Automatic and off write what older versions wrote and read.
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, Full()));
    EXPECT_EQ(ReadBytes(path).find("Password Level"), std::string::npos);
    EXPECT_EQ(ReadBytes(path).find("Send Password In Clear"), std::string::npos);
    EXPECT_EQ(Read(path), Full());
    // A word a later version may write, or a bad digit, is Automatic.
    for (const char* text : {"Automatic", "5", "-1", "33", "level 2"}) {
        EXPECT_EQ(CConnectFile::ParsePasswordLevel(text), kAutomaticPasswordLevel) << text;
    }
    EXPECT_EQ(CConnectFile::ParsePasswordLevel("0"), 0);
}

TEST(SessionFileWrite, APrinterSessionKeepsItsKindAndSettings) {
    TempDir dir;
    const std::string path = dir.File("printer.stn");
    SessionSettings s = Full();
    s.Device = DeviceKind::kPrinter;
    s.PrinterMessageQueue = "PRTMSGQ";
    s.PrinterMessageLibrary = "QGPL";
    s.PrinterFont = 87;
    s.HostPrintTransform = 1;
    s.PrinterModel = "*HP5";
    s.PaperSizeName = "A4";
    s.OutputFolder = "/home/op/spool";
    s.SystemPrinter = "Office_Laser";
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    const std::string bytes = ReadBytes(path);
    EXPECT_NE(bytes.find("Device=\"Printer\"\r\n[Profile]"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("[Printer]\r\nMessage Queue=\"PRTMSGQ\"\r\n"), std::string::npos)
        << bytes;
    EXPECT_EQ(Read(path), s);

    // A display session writes neither the key nor the section, as before;
    // and a file without them, or with a word a later version may write,
    // is a display with the printer defaults.
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, Full()));
    EXPECT_EQ(ReadBytes(path).find("Device"), std::string::npos);
    EXPECT_EQ(ReadBytes(path).find("[Printer]"), std::string::npos);
    EXPECT_EQ(Read(path), Full());
    WriteBytes(path, "[Connection]\r\nDevice=\"Plotter\"\r\n[Printer]\r\nPaper Size=\"B0\"\r\n");
    const SessionSettings odd = Read(path);
    EXPECT_FALSE(odd.IsPrinter());
    EXPECT_EQ(odd.PaperSizeName, "Letter");
}

TEST(SessionFileWrite, AwkwardTextReadsBackUnchanged) {
    SessionSettings s = Full();
    s.Name = "\"quoted\"";
    s.IP = "a\"b";
    s.Menu = "line one\r\nline two";
    s.CurLib = "\"";
    s.ProgProc = " lead";
    s.UserID = "LONGER-THAN-TEN";
    s.LaunchConnection = 0;
    s.DisplayNameAuto = 1;
    TempDir dir;
    ASSERT_TRUE(CConnectFile::WriteSessionFile(dir.File("odd.stn"), s));
    EXPECT_EQ(Read(dir.File("odd.stn")), s);
}

TEST(SessionFileWrite, NonAsciiTextReadsBackUnchanged) {
    // UTF-8 as the dialogs hold it; each of these has 0x86 as a continuation
    // byte, the byte that also stands for CR in a stored value.
    SessionSettings s = Full();
    s.Name = "K\xC3\x86R\xC3\x98 \xD1\x86";                  // "KÆRØ ц"
    s.CurLib = "\xD0\x9A\xD0\xBE\xD0\xBB\xD1\x8C\xD1\x86\xD0\xBE";  // "Кольцо"
    s.Menu = "\xC4\x86\r\n\xD1\x86\r";                       // "Ć", CR LF, "ц", CR
    s.ProgProc = "\xE2\x86\x86\n\xF0\x9F\x98\x86";             // three and four bytes long
    TempDir dir;
    const std::string path = dir.File("utf8.stn");
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    const std::string bytes = ReadBytes(path);
    EXPECT_NE(bytes.find("\r\nName=\"K\xC3\x86R\xC3\x98 \xD1\x86\"\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nMenu=\"\xC4\x86\x86\x7F\xD1\x86\x86\"\r\n"), std::string::npos);
    EXPECT_EQ(Read(path), s);
}

TEST(SessionFileWrite, FailureLeavesTheOldFile) {
    TempDir dir;
    EXPECT_FALSE(CConnectFile::WriteSessionFile(dir.File("no/folder.stn"), Full()));

    const std::string path = dir.File("keep.stn");
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, Defaults()));
    const std::string before = ReadBytes(path);
    bool written = true;
    {
        test::FileSizeLimit limit(32);
        written = CConnectFile::WriteSessionFile(path, Full());
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(dir.Count(), 1);
}

TEST(SessionPassword, AnOlderFilesPasswordIsReadButNeverWrittenBack) {
    TempDir dir;
    const std::string older = dir.File("older.stn");
    WriteBytes(older, "[Connection]\r\nIP=\"as400\"\r\n[Profile]\r\nUserID=\"JDOE\"\r\n"
                      "User Password=\"18408C0ABC442D6E323C\"\r\n");
    SessionSettings s = Read(older);
    EXPECT_EQ(s.UserPassword, "SECRET");
    EXPECT_EQ(s.PasswordStore, PasswordStorage::kOlderSessionFile);

    // Saved as it was read (the operator kept it out of the keyring): the
    // file loses the password, in every form.
    const std::string saved = dir.File("saved.stn");
    ASSERT_TRUE(CConnectFile::WriteSessionFile(saved, s));
    const std::string bytes = ReadBytes(saved);
    ASSERT_NE(bytes.find("[Profile]"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.substr(bytes.find("[Profile]")), "[Profile]\r\nUserID=\"JDOE\"\r\n");
    SessionSettings reread = Read(saved);
    EXPECT_EQ(reread.UserPassword, "");
    EXPECT_EQ(reread.PasswordStore, PasswordStorage::kNone);

    // Moved to the keyring: the file says so, and still holds no password.
    s.PasswordStore = PasswordStorage::kKeyring;
    ASSERT_TRUE(CConnectFile::WriteSessionFile(saved, s));
    EXPECT_EQ(ReadBytes(saved), bytes + "Password In Keyring=1\r\n");
    reread = Read(saved);
    EXPECT_EQ(reread.UserPassword, "");
    EXPECT_EQ(reread.PasswordStore, PasswordStorage::kKeyring);
}

TEST(SessionPassword, NoPasswordBytesReachTheFile) {
    SessionSettings s = Full();
    s.UserPassword = std::string(kMaxPasswordLength - 4, 'Q') + "Zz9!";
    for (PasswordStorage storage : {PasswordStorage::kNone, PasswordStorage::kKeyring,
                                    PasswordStorage::kOlderSessionFile}) {
        s.PasswordStore = storage;
        TempDir dir;
        ASSERT_TRUE(CConnectFile::WriteSessionFile(dir.File("s.stn"), s));
        const std::string bytes = ReadBytes(dir.File("s.stn"));
        EXPECT_EQ(bytes.find("QQQQ"), std::string::npos) << bytes;
        EXPECT_EQ(bytes.find("Zz9!"), std::string::npos);
        EXPECT_EQ(bytes.find("User Password"), std::string::npos);
        EXPECT_EQ(bytes.find(CConnectFile::ScramblePassword(s.UserPassword)), std::string::npos);
    }
}

TEST(SessionPassword, WhichPasswordAFileGives) {
    const struct {
        const char* profile;
        const char* password;
        PasswordStorage storage;
    } rows[] = {
        {"", "", PasswordStorage::kNone},
        // What older versions wrote for no password: ten blanks, scrambled.
        {"User Password=\"E540670A9944FB6E0D08\"\r\n", "", PasswordStorage::kNone},
        {"User Password=\"18408C0ABC442D6E323C\"\r\n", "SECRET",
         PasswordStorage::kOlderSessionFile},
        // The keyring's word wins over a stray scrambled password.
        {"User Password=\"18408C0ABC442D6E323C\"\r\nPassword In Keyring=1\r\n", "",
         PasswordStorage::kKeyring},
        {"Password In Keyring=0\r\n", "", PasswordStorage::kNone},
    };
    TempDir dir;
    const std::string path = dir.File("p.stn");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.profile);
        WriteBytes(path, std::string("[Profile]\r\n") + row.profile);
        // Read over values of another session: none of its password stays.
        SessionSettings s = Full();
        s.UserPassword = "FROM BEFORE";
        CConnectFile::ReadSessionFile(path, s, kHost);
        EXPECT_EQ(s.UserPassword, row.password);
        EXPECT_EQ(s.PasswordStore, row.storage);
    }
}

TEST(SessionPassword, ScrambledFormRoundTrips) {
    // Pinned: a change of key would make every stored password unreadable.
    EXPECT_EQ(CConnectFile::ScramblePassword(""), "E540670A9944FB6E0D08");
    EXPECT_EQ(CConnectFile::ScramblePassword("SECRET"), "18408C0ABC442D6E323C");

    const std::string passwords[] = {
        "", "A", "pw", "Secret99", "0123456789", std::string("\0\xFF\x7F\x86z", 5), "in side",
    };
    for (const std::string& pw : passwords) {
        SCOPED_TRACE(pw);
        std::string stored = CConnectFile::ScramblePassword(pw);
        EXPECT_EQ(stored.size(), 20u);
        EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        EXPECT_EQ(CConnectFile::UnscramblePassword(stored), pw);
    }
    // Trailing spaces are padding; more than ten characters do not fit.
    EXPECT_EQ(CConnectFile::UnscramblePassword(CConnectFile::ScramblePassword("ab  ")), "ab");
    EXPECT_EQ(CConnectFile::ScramblePassword("0123456789TOO-LONG"),
              CConnectFile::ScramblePassword("0123456789"));
}

TEST(SessionPassword, DamagedStoredFormsStillRead) {
    // Each pair reads up to its first non-digit; missing pairs count as 0.
    struct Row {
        const char* stored;
        const char* same;
    } rows[] = {
        {"", "00000000000000000000"},       {"1", "01000000000000000000"},
        {"ZZ12", "00120000000000000000"},   {"1Z2", "01020000000000000000"},
        {"abcdef", "ABCDEF00000000000000"}, {"00000000000000000000FFFF", "00000000000000000000"},
        // No blank is skipped before the digits: " A" is unreadable, not 0A.
        {" A B", "00000000000000000000"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.stored);
        EXPECT_EQ(CConnectFile::UnscramblePassword(r.stored),
                  CConnectFile::UnscramblePassword(r.same));
    }
    EXPECT_LE(CConnectFile::UnscramblePassword("not hex at all").size(), 10u);

    TempDir dir;
    WriteBytes(dir.File("short.stn"), "[Profile]\r\nUser Password=\"E540\"\r\n");
    EXPECT_EQ(Read(dir.File("short.stn")).UserPassword, CConnectFile::UnscramblePassword("E540"));
}

}  // namespace
}  // namespace quenlix
