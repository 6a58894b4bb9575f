// When memory runs out the model keeps what it had: a failing operator new,
// switched on around the call under test.
#include <gtest/gtest.h>

#include "terminal/TerminalState.h"
#include "terminal/TranslationCache.h"

#include "support/ReplacedAllocator.h"

namespace quenlix {
namespace {

class AllocationFailure : public ::testing::Test {
protected:
    void SetUp() override {
        if (!::quenlix::testing::AllocatorReplaced()) GTEST_SKIP() << "allocations are the sanitizer's";
        ASSERT_TRUE(t.screen.AllocateCells(80, 24));
        ASSERT_TRUE(t.screen.SetGeometry(80, 24));
        t.SetCellByte(1919, 0xC1);
    }
    void ExpectUnchanged80x24() const {
        EXPECT_EQ(t.columns(), 80);
        EXPECT_EQ(t.rows(), 24);
        EXPECT_EQ(t.cellCount(), 1920);
        EXPECT_EQ(t.screen.allocated(), 1920);
        EXPECT_EQ(t.screen.at(1919).ebcdic, 0xC1);
    }
    Terminal t;
};

TEST_F(AllocationFailure, AllocateCellsKeepsTheOldArray) {
    bool allocated = true;
    {
        ::quenlix::testing::AllocationsFail fail;
        allocated = t.screen.AllocateCells(132, 27);
    }
    EXPECT_FALSE(allocated);
    ExpectUnchanged80x24();
}

TEST_F(AllocationFailure, SwitchToWideScreenChangesNothing) {
    bool switched = true;
    {
        ::quenlix::testing::AllocationsFail fail;
        switched = t.screen.SetGeometry(132, 27);
    }
    EXPECT_FALSE(switched);
    ExpectUnchanged80x24();
    EXPECT_FALSE(t.screen.contains(1920));
    // A switch that fits the allocation needs no memory.
    {
        ::quenlix::testing::AllocationsFail fail;
        switched = t.screen.SetGeometry(80, 24);
    }
    EXPECT_TRUE(switched);
}

TEST_F(AllocationFailure, ATableThatCannotBeCachedMeansTheBuiltinPair) {
    TranslationCache cache;
    cache.InitTranslation(QUENLIX_TABLE_DIR);
    int result = kTablesSelected;
    {
        ::quenlix::testing::AllocationsFail fail;
        result = cache.SelectTables(37);
    }
    EXPECT_EQ(result, kTableFileMissing);
    EXPECT_EQ(cache.entryCount(), 1);
    EXPECT_EQ(cache.currentIndex(), 0);
    EXPECT_EQ(cache.SelectTables(37), kTablesSelected) << "tried again once memory is back";
}

}  // namespace
}  // namespace quenlix
