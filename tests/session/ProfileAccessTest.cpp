// The INI engine: read rules, write placement and the safety of the rewrite.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>

#include "session/FileIo.h"
#include "session/ProfileAccess.h"
#include "session/TestFiles.h"

namespace quenlix {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(ProfileAccessRead, ValuesFollowTheLineRules) {
    TempDir dir;
    WriteBytes(dir.File("a.ini"),
               "k0=before any section\r\n"
               "[Main]ignored after the bracket\r\n"
               "Plain=abc\r\n"
               "Quoted=\"A\"B\"\r\n"
               "LoneQuote=\"\r\n"
               "Lead= x\r\n"
               " Spaced = y \r\n"
               ";Semi=kept\r\n"
               "; a comment without an equals sign\r\n"
               "\r\n"
               "Broken=one\x86\x7Ftwo\r\n"
               "Dup=first\r\n"
               "Dup=second\r\n"
               "[Unclosed\r\n"
               "StillMain=1\n"
               "lower=v\r\n"
               "[Other]\r\n"
               "Plain=other\r\n"
               "Last=no newline");
    CProfileAccess ini(dir.File("a.ini"), true);
    EXPECT_EQ(ini.LastError(), 0);

    struct Row {
        const char* section;
        const char* key;
        std::string expected;
    } rows[] = {
        {"", "k0", "before any section"}, {"Main", "Plain", "abc"},
        {"Main", "Quoted", "A\"B"},       {"Main", "LoneQuote", ""},
        {"Main", "Lead", " x"},           {"Main", " Spaced ", " y "},
        {"Main", ";Semi", "kept"},        {"Main", "Broken", "one\r\ntwo"},
        {"Main", "Dup", "second"},        {"Main", "StillMain", "1"},
        {"Main", "Lower", "<default>"},  // reads are case-sensitive
        {"main", "Plain", "<default>"},   {"Other", "Plain", "other"},
        {"Other", "Last", "no newline"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.section) + "/" + r.key);
        EXPECT_EQ(ini.GetString(r.section, r.key, "<default>"), r.expected);
    }
    // 2 sections and 14 key lines; the comment, blank and unclosed lines are gone.
    EXPECT_EQ(ini.Entries().size(), 16u);
}

TEST(ProfileAccessRead, A0x86InsideUtf8IsNotACarriageReturn) {
    struct Row {
        const char* stored;
        const char* value;
    } rows[] = {
        {"\xC3\x86", "\xC3\x86"},                   // "Æ"
        {"\xD1\x86\xC4\x86", "\xD1\x86\xC4\x86"},     // "цĆ"
        {"\xE2\x86\x86", "\xE2\x86\x86"},             // U+2186, 0x86 twice
        {"\xF0\x9F\x98\x86", "\xF0\x9F\x98\x86"},     // U+1F606
        {"\xC3\x86\x86\x7F", "\xC3\x86\r\n"},         // a letter, then a line break
        {"a\x86\x7F", "a\r\n"},
        {"\x86\xC3\x86", "\r\xC3\x86"},               // a stray continuation byte
        // Not well-formed: the 0x86 is a stand-in again.
        {"\xC0\x86", "\xC0\r"},                      // overlong
        {"\xE0\x86\x80", "\xE0\r\x80"},              // overlong
        {"\xED\xA0\x86", "\xED\xA0\r"},              // surrogate
        {"\xF4\x90\x80\x86", "\xF4\x90\x80\r"},      // past U+10FFFF
        {"\xE2\x86", "\xE2\r"},                      // cut by the end of the value
        {"\xE2\x86x", "\xE2\rx"},                    // cut by an ASCII byte
        {"\xC3\x7F", "\xC3\n"},                      // 0x7F is never a continuation
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.stored);
        auto entries = CProfileAccess::Parse(std::string("[S]\r\nK=") + r.stored + "\r\n");
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[1].value, r.value);
    }
}

TEST(ProfileAccessRead, NumbersAndFlags) {
    TempDir dir;
    WriteBytes(dir.File("n.ini"),
               "[N]\r\nA= 42x\r\nB=-7\r\nC=+3\r\nD=abc\r\nE=\"5\"\r\nF=99999999999\r\n"
               "G=-99999999999\r\nH=\r\nI=2\r\nJ=0\r\n");
    const CProfileAccess ini(dir.File("n.ini"), true);
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    struct Row {
        const char* key;
        std::int32_t asInt;
        int asBool;
    } rows[] = {
        // "Z" is missing: both reads give their defaults.
        {"A", 42, 1},   {"B", -7, 1}, {"C", 3, 1}, {"D", 0, 0}, {"E", 5, 1},  {"F", kMax, 1},
        {"G", kMin, 1}, {"H", 0, 0},  {"I", 2, 1}, {"J", 0, 0}, {"Z", -5, 7},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.key);
        EXPECT_EQ(ini.GetInt("N", r.key, -5), r.asInt);
        EXPECT_EQ(ini.GetBool("N", r.key, 7), r.asBool);
    }
}

TEST(ProfileAccessWrite, MatchesAnyCaseAndPlacesNewLines) {
    TempDir dir;
    const std::string path = dir.File("w.ini");
    WriteBytes(path, "[main]\r\nport=1\r\n; note\r\n[Other]\r\nA=1\r\n[MAIN]\r\nB=2\r\n");
    {
        CProfileAccess ini(path, true);
        EXPECT_TRUE(ini.PutInt("Main", "PORT", 5, 0, false));
        EXPECT_TRUE(ini.PutString("MAIN", "New", "v", "", false));
        EXPECT_TRUE(ini.PutString("Third", "K", "x", "", false));
        // Reads see the writes, under the names as they stand in the file.
        EXPECT_EQ(ini.GetInt("main", "port", 0), 5);
        EXPECT_EQ(ini.GetInt("Main", "PORT", -1), -1);
        EXPECT_EQ(ini.GetString("main", "New", ""), "v");
        EXPECT_TRUE(ini.Flush());
        EXPECT_FALSE(ini.IsDirty());
    }
    EXPECT_EQ(ReadBytes(path),
              "[main]\r\nport=5\r\nNew=\"v\"\r\n[Other]\r\nA=1\r\n[MAIN]\r\nB=2\r\n"
              "[Third]\r\nK=\"x\"\r\n");
}

TEST(ProfileAccessWrite, AwkwardValuesRoundTrip) {
    const std::string values[] = {
        "A\"B", "\"quoted\"", "\"", "", " lead ", "a\r\nX\nY\r", "x=y", "[not a section]", ";semi",
    };
    TempDir dir;
    const std::string path = dir.File("q.ini");
    {
        CProfileAccess ini(path, false);
        for (std::size_t i = 0; i < std::size(values); ++i) {
            ASSERT_TRUE(ini.PutString("S", "K" + std::to_string(i), values[i], "<none>", false));
        }
    }
    const std::string bytes = ReadBytes(path);
    EXPECT_NE(bytes.find("K5=\"a\x86\x7FX\x7FY\x86\"\r\n"), std::string::npos) << bytes;
    CProfileAccess ini(path, true);
    EXPECT_EQ(ini.Entries().size(), 1 + std::size(values));  // one line per value
    for (std::size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ini.GetString("S", "K" + std::to_string(i), "<none>"), values[i]);
    }
}

TEST(ProfileAccessWrite, NonAsciiValuesRoundTrip) {
    const std::string values[] = {
        "K\xC3\x86R\xC3\x98 \xD1\x86",                  // "KÆRØ ц"
        "\xD0\x9A\xD0\xBE\xD0\xBB\xD1\x8C\xD1\x86\xD0\xBE",  // "Кольцо"
        "\xC3\x86\r\n\xD1\x86\n\r\xC4\x86",             // line breaks next to the letters
        "\r\xE2\x86\x86\r\xF0\x9F\x98\x86\n",
    };
    TempDir dir;
    const std::string path = dir.File("u.ini");
    {
        CProfileAccess ini(path, false);
        for (std::size_t i = 0; i < std::size(values); ++i) {
            ASSERT_TRUE(ini.PutString("S", "K" + std::to_string(i), values[i], "", false));
        }
    }
    EXPECT_NE(ReadBytes(path).find("K2=\"\xC3\x86\x86\x7F\xD1\x86\x7F\x86\xC4\x86\"\r\n"),
              std::string::npos);
    CProfileAccess ini(path, true);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ini.GetString("S", "K" + std::to_string(i), ""), values[i]);
    }
}

TEST(ProfileAccessWrite, SameValueTwiceDoesNotFlush) {
    TempDir dir;
    const std::string path = dir.File("s.ini");
    CProfileAccess ini(path, false);
    ASSERT_TRUE(ini.PutString("S", "K", "v", "", true));
    ASSERT_TRUE(ini.PutInt("S", "N", 3, 0, true));
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_TRUE(ini.PutString("s", "k", "v", "", true));
    EXPECT_TRUE(ini.PutInt("S", "n", 3, 0, true));
    EXPECT_FALSE(ini.IsDirty());
    EXPECT_NE(access(path.c_str(), F_OK), 0) << "an unchanged write rewrote the file";
}

TEST(ProfileAccessWrite, DefaultValueRemovesTheLineAndTheRemovalIsSaved) {
    TempDir dir;
    const std::string path = dir.File("d.ini");
    WriteBytes(path, "[S]\r\nK=\"v\"\r\nJ=1\r\n");
    CProfileAccess ini(path, true);

    // Nothing stored under that key: nothing changes.
    EXPECT_TRUE(ini.PutString("S", "Absent", "d", "d", true));
    EXPECT_FALSE(ini.IsDirty());

    EXPECT_TRUE(ini.PutString("s", "k", "d", "d", false));
    EXPECT_TRUE(ini.IsDirty());
    EXPECT_EQ(ini.GetString("S", "K", "d"), "d");
    EXPECT_TRUE(ini.Flush());
    EXPECT_EQ(ReadBytes(path), "[S]\r\nJ=1\r\n");

    EXPECT_TRUE(ini.PutInt("S", "J", 0, 0, true));
    EXPECT_EQ(ReadBytes(path), "[S]\r\n");
}

TEST(ProfileAccessWrite, DuplicateKeysGiveWayToTheWrite) {
    TempDir dir;
    const std::string path = dir.File("dup.ini");
    WriteBytes(path, "[S]\r\nK=1\r\nK=2\r\n[T]\r\nK=t\r\n[S]\r\nK=3\r\n");
    {
        CProfileAccess ini(path, true);
        EXPECT_EQ(ini.GetString("S", "K", ""), "3");  // the last line wins on reading
        EXPECT_TRUE(ini.PutString("S", "K", "9", "", false));
        EXPECT_EQ(ini.GetString("S", "K", ""), "9");
    }
    EXPECT_EQ(ReadBytes(path), "[S]\r\nK=\"9\"\r\n[T]\r\nK=t\r\n[S]\r\n");
    EXPECT_EQ(CProfileAccess(path, true).GetString("S", "K", ""), "9");
}

TEST(ProfileAccessWrite, RefusesNamesTheFileCannotHold) {
    struct Row {
        const char* section;
        const char* key;
    } rows[] = {{"S", "[K"}, {"S", "a=b"}, {"S", "a\nb"}, {"a]b", "K"}, {"a\rb", "K"}};
    TempDir dir;
    CProfileAccess ini(dir.File("r.ini"), false);
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.section) + "/" + r.key);
        EXPECT_FALSE(ini.PutString(r.section, r.key, "v", "", false));
        EXPECT_FALSE(ini.PutInt(r.section, r.key, 1, 0, false));
    }
    EXPECT_TRUE(ini.Entries().empty());
    EXPECT_FALSE(ini.IsDirty());
}

TEST(ProfileAccessFiles, MissingAndUnreadableFiles) {
    TempDir dir;
    {
        CProfileAccess missing(dir.File("none.ini"), true);
        EXPECT_EQ(missing.LastError(), 0);
        EXPECT_EQ(missing.GetString("S", "K", "d"), "d");
    }
    EXPECT_NE(access(dir.File("none.ini").c_str(), F_OK), 0) << "reading created the file";

    ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);  // must not wait for a writer
    const std::string big = dir.File("big.ini");
    WriteBytes(big, "[S]\r\nK=1\r\n");
    ASSERT_EQ(truncate(big.c_str(), kMaxSmallFileSize + 1), 0);

    struct Row {
        std::string path;
        int error;
    } rows[] = {{dir.File("folder"), EISDIR}, {dir.File("fifo"), EINVAL}, {big, EFBIG}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        CProfileAccess ini(r.path, true);
        EXPECT_EQ(ini.LastError(), r.error);
        EXPECT_TRUE(ini.Entries().empty());
        // A file that could not be read is not replaced by a fragment...
        EXPECT_TRUE(ini.PutString("S", "K", "v", "", false));
        EXPECT_FALSE(ini.Flush());
        EXPECT_EQ(ini.LastError(), r.error);
    }
    struct stat st {};
    ASSERT_EQ(stat(big.c_str(), &st), 0);
    EXPECT_EQ(static_cast<std::size_t>(st.st_size), kMaxSmallFileSize + 1);

    // ...unless the caller clears it on purpose.
    CProfileAccess ini(big, true);
    EXPECT_TRUE(ini.Clear(false));
    EXPECT_TRUE(ini.PutString("S", "K", "v", "", true));
    EXPECT_EQ(ReadBytes(big), "[S]\r\nK=\"v\"\r\n");
}

TEST(ProfileAccessFiles, FailedWriteLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("old.ini");
    const std::string old = "[S]\r\nK=\"old\"\r\n";
    WriteBytes(path, old);

    CProfileAccess ini(path, true);
    ASSERT_TRUE(ini.PutString("S", "K", std::string(200, 'n'), "", false));
    bool flushed = true;
    int error = 0;
    {
        test::FileSizeLimit limit(16);  // the new file fails part-way, as on a full disk
        flushed = ini.Flush();
        error = ini.LastError();
    }
    EXPECT_FALSE(flushed);
    EXPECT_EQ(error, EFBIG);
    EXPECT_TRUE(ini.IsDirty());
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(dir.Count(), 1) << "a temporary file was left behind";

    EXPECT_TRUE(ini.Flush());  // room again: the unsaved change is still there
    EXPECT_EQ(ReadBytes(path), "[S]\r\nK=\"" + std::string(200, 'n') + "\"\r\n");

    CProfileAccess nowhere(dir.File("no/such/folder.ini"), false);
    EXPECT_FALSE(nowhere.Clear(true));
    EXPECT_EQ(nowhere.LastError(), ENOENT);
    EXPECT_TRUE(nowhere.IsDirty());
}

TEST(ProfileAccessFiles, DestructionFlushesThroughLinksKeepingTheMode) {
    TempDir dir;
    const std::string real = dir.File("real.ini");
    const std::string link = dir.File("link.ini");
    WriteBytes(real, "[S]\r\n");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    {
        CProfileAccess ini(link, true);
        ASSERT_TRUE(ini.PutInt("S", "N", -12, 0, false));
    }
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(real), "[S]\r\nN=-12\r\n");
}

}  // namespace
}  // namespace quenlix
