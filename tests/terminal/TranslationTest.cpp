// The table cache, the built-in pair, the shipped table files, the PC sets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <utility>

#include "terminal/Languages.h"
#include "terminal/TerminalState.h"
#include "terminal/TranslationCache.h"
#include "terminal/ViewOperations.h"

namespace quenlix {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/quenlix-tbl-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() { fs::remove_all(path_); }
    const std::string& path() const { return path_; }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ + "/" + name, std::ios::binary) << bytes;
    }

private:
    std::string path_;
};

std::string TableFile(std::uint8_t atoeFill, std::uint8_t etoaFill) {
    return std::string(256, static_cast<char>(atoeFill)) + std::string(256, static_cast<char>(etoaFill));
}

TEST(BuiltinPair, CodePage500Examples) {
    TranslationCache cache;
    cache.InitTranslation("/nonexistent");
    EXPECT_EQ(cache.ToPc(0, 0xC1), 'A');
    EXPECT_EQ(cache.ToPc(0, 0x40), ' ');
    EXPECT_EQ(cache.ToPc(0, 0x4A), 0x5B);  // [
    EXPECT_EQ(cache.ToPc(0, 0x5A), 0x5D);  // ]
    EXPECT_EQ(cache.ToPc(0, 0x25), 0x0A);
    EXPECT_EQ(cache.ToPc(0, 0x15), 0x85);
    EXPECT_EQ(cache.ToEbcdic(0, 'a'), 0x81);
}

TEST(BuiltinPair, IsAPermutationAndRoundTrips) {
    const TablePair& pair = BuiltinTablePair();
    std::set<int> seen;
    for (int b = 0; b < 256; ++b) {
        seen.insert(pair.ETOA[static_cast<size_t>(b)]);
        ASSERT_EQ(pair.ATOE[pair.ETOA[static_cast<size_t>(b)]], b);
        ASSERT_EQ(pair.ETOA[pair.ATOE[static_cast<size_t>(b)]], b);
    }
    EXPECT_EQ(seen.size(), 256u);
}

TEST(TableCache, LoadsOnceAndKeepsTheFirstContents) {
    TempDir dir;
    dir.Write("297.tbl", TableFile(0x11, 0x22));
    TranslationCache cache;
    cache.InitTranslation(dir.path());
    EXPECT_EQ(cache.SelectTables(297), kTablesSelected);
    EXPECT_EQ(cache.entryCount(), 2);
    EXPECT_EQ(cache.currentIndex(), 1);
    EXPECT_EQ(cache.ToPc(297, 0xC1), 0x22);

    // A changed file is not read again: the cached pair stays in use.
    dir.Write("297.tbl", TableFile(0x33, 0x44));
    EXPECT_EQ(cache.ToPc(297, 0xC1), 0x22);
    EXPECT_EQ(cache.filesRead(), 1u);
    EXPECT_EQ(cache.entryCount(), 2);

    EXPECT_EQ(cache.SelectTables(0), kTablesSelected);
    EXPECT_EQ(cache.currentIndex(), 0);
}

TEST(TableCache, MissingOrShortFileMeansBuiltinAndIsNotCached) {
    TempDir dir;
    dir.Write("280.tbl", std::string(511, 'x'));
    TranslationCache cache;
    cache.InitTranslation(dir.path());
    for (int cp : {273, 280}) {
        SCOPED_TRACE(cp);
        EXPECT_EQ(cache.SelectTables(cp), kTableFileMissing);
        EXPECT_EQ(cache.currentIndex(), 0);
        EXPECT_EQ(cache.ToPc(cp, 0xC1), 'A') << "behaves like the built-in pair";
        EXPECT_EQ(cache.entryCount(), 1);
    }
    // The failure is not remembered: a file that appears later is used.
    dir.Write("273.tbl", TableFile(0x01, 0x02));
    EXPECT_EQ(cache.SelectTables(273), kTablesSelected);
    EXPECT_EQ(cache.ToPc(273, 0xC1), 0x02);
}

TEST(TableCache, BeforeInitTranslationTheBuiltinPairIsCurrent) {
    TranslationCache cache;
    EXPECT_EQ(cache.entryCount(), 0);
    EXPECT_EQ(cache.current().codePage, 0);
    EXPECT_EQ(cache.current().ETOA, BuiltinTablePair().ETOA);
    EXPECT_EQ(cache.ToPc(0, 0xC1), 'A') << "first use builds entry 0";
    EXPECT_EQ(cache.entryCount(), 1);
}

TEST(TableCache, AHandedOutTableStaysPutWhileOtherCodePagesLoad) {
    TempDir dir;
    for (int cp = 100; cp < 400; ++cp) {
        dir.Write(std::to_string(cp) + ".tbl", TableFile(static_cast<std::uint8_t>(cp), 0x5C));
    }
    TranslationCache cache;
    cache.InitTranslation(dir.path());
    const std::array<std::uint8_t, 256>& builtin = cache.EtoaFor(0);
    const std::array<std::uint8_t, 256>& first = cache.EtoaFor(100);
    for (int cp = 101; cp < 400; ++cp) ASSERT_EQ(cache.SelectTables(cp), kTablesSelected);
    EXPECT_EQ(cache.entryCount(), 301);
    // The interpreter keeps such a reference across nested blocks.
    EXPECT_EQ(&cache.EtoaFor(100), &first);
    EXPECT_EQ(&cache.EtoaFor(0), &builtin);
    EXPECT_EQ(first[0xC1], 0x5C);
    EXPECT_EQ(builtin[0xC1], 'A');
}

TEST(DataDirectory, ProgramFolderWhenItHoldsATableElseTheSharedFolderBesideIt) {
    TempDir prefix;
    fs::create_directories(prefix.path() + "/bin");
    fs::create_directories(prefix.path() + "/share/quenlix-telnet");
    const std::string bin = prefix.path() + "/bin";
    const std::string shared = prefix.path() + "/share/quenlix-telnet";

    // An installed program: nothing but programs beside it.
    std::ofstream(bin + "/quenlix-telnet-cli") << "x";
    std::ofstream(bin + "/keyboard.html") << "x";
    EXPECT_EQ(DataDirectory(bin), shared);
    EXPECT_EQ(DataDirectory(bin + "/"), shared) << "a trailing slash names the same folder";
    // A folder that only looks like a table is not one.
    fs::create_directories(bin + "/37.tbl");
    EXPECT_EQ(DataDirectory(bin), shared);
    fs::remove(bin + "/37.tbl");

    // The build tree: the tables sit beside the program, whichever they are.
    std::ofstream(bin + "/1147.tbl") << TableFile(0, 0);
    EXPECT_EQ(DataDirectory(bin), bin);

    // A folder that cannot be read is not the data folder.
    EXPECT_EQ(DataDirectory(prefix.path() + "/none/bin"), prefix.path() + "/none/share/quenlix-telnet");
}

TEST(DataDirectory, TheRunningTestFindsTheBuildTreeTables) {
    // The tests run from the build tree's program folder, beside the tables.
    EXPECT_EQ(fs::canonical(DataDirectory()), fs::canonical(QUENLIX_TABLE_DIR));
    EXPECT_EQ(DataDirectory(), ProgramDirectory());
}

Terminal ScreenWithBytes(std::initializer_list<int> bytes) {
    Terminal t;
    t.screen.AllocateCells(80, 24);
    t.screen.SetGeometry(80, 24);
    int p = 0;
    for (int b : bytes) t.SetCell(p++, static_cast<std::uint8_t>(b), 'Z');
    return t;
}

TEST(RetranslateScreen, BlanksControlsAttributesAndFF) {
    Terminal t = ScreenWithBytes({0x00, 0x05, 0x1F, 0x20, 0x22, 0x3F, 0xFF, 0x40, 0xC1, 0x4A, 0xFE});
    TranslationCache cache;
    cache.InitTranslation(QUENLIX_TABLE_DIR);
    t.damage.Clear();
    RetranslateScreen(t, cache, 37);
    for (int p = 0; p < 7; ++p) EXPECT_EQ(t.screen.at(p).character, ' ') << p;
    EXPECT_EQ(t.screen.at(7).character, ' ');  // the EBCDIC blank, translated
    EXPECT_EQ(t.screen.at(8).character, 'A');
    EXPECT_EQ(t.screen.at(9).character, 0xA2);
    EXPECT_EQ(t.screen.at(10).character, cache.ToPc(37, 0xFE));
    EXPECT_EQ(t.screen.at(11).character, ' ') << "untouched blank cells stay blank";
    EXPECT_TRUE(t.damage.all()) << "every cell may have changed";
}

TEST(RetranslateScreen, ACodePageWithoutATableFileShowsTheBuiltinPair) {
    Terminal t = ScreenWithBytes({0x4A, 0x5A, 0xC1, 0x9F, 0x15, 0xFE});
    TranslationCache cache;
    cache.InitTranslation(QUENLIX_TABLE_DIR);
    RetranslateScreen(t, cache, 4242);
    EXPECT_EQ(t.screen.at(0).character, 0x5B);
    EXPECT_EQ(t.screen.at(1).character, 0x5D);
    EXPECT_EQ(t.screen.at(2).character, 'A');
    EXPECT_EQ(t.screen.at(3).character, BuiltinTablePair().ETOA[0x9F]);
    EXPECT_EQ(t.screen.at(4).character, ' ');
    EXPECT_EQ(t.screen.at(5).character, BuiltinTablePair().ETOA[0xFE]);
    EXPECT_EQ(cache.entryCount(), 1) << "the missing file is not cached";
    EXPECT_TRUE(t.damage.all()) << "every cell may have changed";
}

TEST(Languages, TheChoiceListInOrderWithItsCodePages) {
    const std::pair<const char*, int> expected[] = {
        {"Arabic (420)", 420},        {"Austrian (273)", 273},       {"Austrian Euro (1141)", 1141},
        {"Belgian (500)", 500},       {"Canadian Bilingual (37)", 37}, {"Cyrillic (1025)", 1025},
        {"Czech (870)", 870},         {"Danish (277)", 277},         {"Dutch (37)", 37},
        {"Finnish (278)", 278},       {"Finnish Euro (1143)", 1143}, {"French (297)", 297},
        {"French Euro (1147)", 1147}, {"German (273)", 273},         {"German Euro (1141)", 1141},
        {"Greek (875)", 875},         {"Hebrew (424)", 424},         {"Icelandic (871)", 871},
        {"Italian (280)", 280},       {"Norwegian (277)", 277},      {"Portuguese (37)", 37},
        {"Spanish (284)", 284},       {"Spanish Euro (1145)", 1145}, {"Swedish (278)", 278},
        {"Swedish Euro (1143)", 1143}, {"Swiss (500)", 500},         {"Turkish (1026)", 1026},
        {"U.K. (285)", 285},          {"U.K. Euro (1146)", 1146},    {"U.S. (37)", 37},
        {"U.S. Euro (1140)", 1140},
    };
    ASSERT_EQ(std::size(expected), kLanguages.size());
    for (size_t i = 0; i < kLanguages.size(); ++i) {
        EXPECT_EQ(kLanguages[i].text, expected[i].first) << i;
        EXPECT_EQ(kLanguages[i].codePage, expected[i].second) << i;
    }
    EXPECT_EQ(kLanguages[kDefaultLanguageIndex].text, "U.S. (37)");
}

TEST(PcCharset, ConvertsBothWaysForEachSet) {
    EXPECT_EQ(PcCharset::ForCodePage(37).id(), 1252);
    EXPECT_EQ(PcCharset::ForCodePage(0).id(), 28591);
    EXPECT_EQ(PcCharset::ForCodePage(1025).id(), 1251);
    EXPECT_EQ(PcCharset::ForCodePage(37).ToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(PcCharset::ForCodePage(0).ToUnicode(0x80), u'\u0080');
    EXPECT_EQ(PcCharset::ForCodePage(1025).ToUnicode(0xC0), u'\u0410');
    EXPECT_EQ(PcCharset::ForCodePage(37).ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(PcCharset::ForCodePage(37).FromUtf8("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
    EXPECT_EQ(PcCharset::ForCodePage(37).FromUtf8("\xE4\xB8\xAD|\xC3"), "?|?")
        << "unknown and truncated characters become the substitute";
}

TEST(PcCharset, IllFormedUtf8BecomesOneSubstitutePerPiece) {
    const PcCharset& latin = PcCharset::ForCodePage(37);
    const struct {
        const char* utf8;
        const char* pc;
    } rows[] = {
        {"\xC0\x80", "??"},              // overlong NUL
        {"\xC1\x81", "??"},              // overlong "A"
        {"\xE0\x81\x81", "???"},         // overlong three-byte "A"
        {"\xE0\x9F\xBF", "???"},         // overlong U+07FF
        {"\xF0\x81\x81\x81", "????"},    // overlong four-byte "A"
        {"\xED\xA0\x80", "???"},         // high surrogate
        {"\xED\xBF\xBF", "???"},         // low surrogate
        {"\xF4\x90\x80\x80", "????"},    // above U+10FFFF
        {"\xF5\x80\x80\x80", "????"},    // F5..F7 start no sequence
        {"\xF7\xBF", "??"},
        {"\xFF", "?"},
        {"A\xE2\x82" "B", "A?B"},         // cut off: one substitute, B survives
        {"\xC3\xA9\xA9", "\xE9?"},       // stray continuation after a character
        {"\xED\x9F\xBF", "?"},           // U+D7FF: well formed, not in the set
        {"\xF4\x8F\xBF\xBF", "?"},       // U+10FFFF: likewise
        {"\xC2\xA0\xE2\x82\xAC", "\xA0\x80"},  // well formed and in the set
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.utf8);
        EXPECT_EQ(latin.FromUtf8(row.utf8), row.pc);
    }
    EXPECT_EQ(latin.FromUtf8(std::string_view("\xC0\x80", 2), '_'), "__");
    EXPECT_EQ(latin.FromUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3))
        << "a real NUL stays one";
}

}  // namespace
}  // namespace quenlix
