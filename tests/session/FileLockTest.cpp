// The lock file's exclusive lock: one holder at a time, a bounded wait for
// a holder that does not let go, and the lock file left in place.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "session/FileLock.h"
#include "session/TestFiles.h"

namespace quenlix {
namespace {

TEST(FileLockTest, OneHolderAtATimeAndTheWaitIsBounded) {
    test::TempDir dir;
    const std::string path = dir.File("Telnet.conf.lock");
    FileLock first;
    ASSERT_EQ(first.Acquire(path), 0);
    EXPECT_TRUE(first.held());

    // A second holder (flock locks belong to the open file, so this counts
    // even in the same process) gives up after its wait.
    FileLock second;
    EXPECT_EQ(second.Acquire(path, 0), EWOULDBLOCK);
    EXPECT_EQ(second.Acquire(path, 3 * FileLock::kRetryMilliseconds), EWOULDBLOCK);
    EXPECT_FALSE(second.held());

    first.Release();
    EXPECT_FALSE(first.held());
    EXPECT_EQ(second.Acquire(path, 0), 0);
    // The lock file stays for the next holder, empty.
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    {
        FileLock scoped;
        EXPECT_EQ(scoped.Acquire(path, 0), EWOULDBLOCK);
    }
    second.Release();
    {
        FileLock scoped;
        EXPECT_EQ(scoped.Acquire(path, 0), 0);
    }  // released when it goes
    EXPECT_EQ(first.Acquire(path, 0), 0);
}

}  // namespace
}  // namespace quenlix
