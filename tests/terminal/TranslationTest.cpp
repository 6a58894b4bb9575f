// The table cache, the built-in pair, the shipped table files, the PC sets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

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

TEST(ShippedTables, EveryLanguageHasATotalReversibleTable) {
    TranslationCache cache;
    cache.InitTranslation(QUENLIX_TABLE_DIR);
    std::set<int> codePages;
    for (const Language& lang : kLanguages) codePages.insert(lang.codePage);
    EXPECT_EQ(codePages.size(), 22u);
    for (int cp : codePages) {
        SCOPED_TRACE(cp);
        ASSERT_EQ(cache.SelectTables(cp), kTablesSelected);
        const TablePair& pair = cache.current();
        for (int b = 0; b < 256; ++b) {
            ASSERT_EQ(pair.ATOE[pair.ETOA[static_cast<size_t>(b)]], b);
            ASSERT_EQ(pair.ETOA[pair.ATOE[static_cast<size_t>(b)]], b);
        }
        // Letters and digits are where every EBCDIC Latin/Cyrillic/Greek page has them.
        if (cp != 420 && cp != 424 && cp != 875 && cp != 1025) {
            EXPECT_EQ(cache.ToPc(cp, 0xC1), 'A');
            EXPECT_EQ(cache.ToPc(cp, 0x81), 'a');
        }
        EXPECT_EQ(cache.ToPc(cp, 0xF0), '0');
        EXPECT_EQ(cache.ToPc(cp, 0x40), ' ');
    }
}

TEST(ShippedTables, NationalCharactersLandOnTheirPcBytes) {
    TranslationCache cache;
    cache.InitTranslation(QUENLIX_TABLE_DIR);
    EXPECT_EQ(cache.ToPc(37, 0x4A), 0xA2);    // cent sign
    EXPECT_EQ(cache.ToPc(297, 0x7C), 0xE0);   // a grave, French
    EXPECT_EQ(cache.ToPc(273, 0x4A), 0xC4);   // A diaeresis, German
    EXPECT_EQ(cache.ToPc(1140, 0x9F), 0x80);  // euro sign in Windows 1252
    EXPECT_EQ(cache.ToPc(870, 0x8E), 0xF8) << "Czech small r caron, 1250 byte";
}

TEST(RetranslateScreen, BlanksControlsAttributesAndFF) {
    Terminal t;
    t.screen.AllocateCells(80, 24);
    t.screen.SetGeometry(80, 24);
    t.screen.at(0).ebcdic = 0x22;
    t.screen.at(0).character = 'Z';
    t.screen.at(1).ebcdic = 0xC1;
    t.screen.at(2).ebcdic = 0xFF;
    t.screen.at(2).character = 'Z';
    t.screen.at(3).ebcdic = 0x4A;
    struct Recorder : ViewOperations {
        int invalidated = 0;
        void InvalidateView() override { ++invalidated; }
    } view;
    TranslationCache cache;
    cache.InitTranslation(QUENLIX_TABLE_DIR);
    RetranslateScreen(t, cache, 37, view);
    EXPECT_EQ(t.screen.at(0).character, ' ');
    EXPECT_EQ(t.screen.at(1).character, 'A');
    EXPECT_EQ(t.screen.at(2).character, ' ');
    EXPECT_EQ(t.screen.at(3).character, 0xA2);
    EXPECT_EQ(view.invalidated, 1);
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

}  // namespace
}  // namespace quenlix
