// The unplaced-byte trace file: where it goes, how it is written, and what it
// never writes through.
#include "connection/UnplacedByteTrace.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace quenlix {
namespace {

namespace fs = std::filesystem;

class UnplacedByteTraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quenlix-trace-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        if (!folder_.empty()) fs::remove_all(folder_);
    }
    static std::string Contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    fs::path folder_;
};

TEST_F(UnplacedByteTraceTest, TheDefaultFileIsWrittenOwnerOnlyInTheStateFolder) {
    // The state folder follows XDG_STATE_HOME; the working folder (often
    // /usr/bin or the home folder for a launcher) is left alone.
    const fs::path state = folder_ / "state";
    const char* previous = std::getenv("XDG_STATE_HOME");
    const std::string saved = previous ? previous : "";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    UnplacedByteTrace trace;
    if (previous) {
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_STATE_HOME");
    }
    const fs::path file = state / "quenlix-telnet" / UnplacedByteTrace::kDefaultFile;
    EXPECT_EQ(trace.path(), file.string());

    trace.Write("");  // a record without a report writes nothing, not even the folder
    EXPECT_FALSE(fs::exists(state));
    trace.Write("report\nnb byte  : 1\n00");
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(file.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(Contents(file), "report\nnb byte  : 1\n00");
    trace.Write("second");
    EXPECT_EQ(Contents(file), "second") << "each report replaces the last";
}

TEST_F(UnplacedByteTraceTest, PlantedLinksFoldersAndFifosAreNeverWrittenThrough) {
    UnplacedByteTrace trace;
    const fs::path file = folder_ / "trameDefault.txt";
    trace.SetPath(file.string());
    {
        std::ofstream victim(folder_ / "victim.txt", std::ios::binary);
        victim << "keep me";
    }
    fs::create_symlink(folder_ / "victim.txt", file);
    trace.Write("report");
    EXPECT_EQ(Contents(folder_ / "victim.txt"), "keep me") << "the link's target is untouched";
    EXPECT_TRUE(fs::is_symlink(file));

    fs::remove(file);
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    trace.Write("report");  // returns at once: a FIFO is neither waited on nor written
    EXPECT_TRUE(fs::is_fifo(file));
    fs::remove(file);
    fs::create_directory(file);
    trace.Write("report");
    EXPECT_TRUE(fs::is_directory(file));

    trace.SetPath("");
    trace.Write("report");  // turned off
}

}  // namespace
}  // namespace quenlix
