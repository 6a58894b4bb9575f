// Command-line session path and the news-page day rule.
#include <gtest/gtest.h>

#include "prefs/StartupRules.h"

namespace quenlix {
namespace {

TEST(StartupRulesTest, CommandLineQuotesAreRemoved) {
    struct Row {
        const char* line;
        std::optional<std::string> path;
    } rows[] = {
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"\"\"", std::nullopt},
        {"\"\"\"\"\"", std::nullopt},
        {" \" \" ", std::string(" ")},
        {"/s/prod.stn", std::string("/s/prod.stn")},
        {"\"/s/my sessions/prod.stn\"", std::string("/s/my sessions/prod.stn")},
        {"  \"/s/a b.stn\"  ", std::string("/s/a b.stn")},
        {"\"\"/s/a.stn\"\"", std::string("/s/a.stn")},
        {"/s/a.stn\"", std::string("/s/a.stn")},
        {"\"/s/a.stn", std::string("/s/a.stn")},
        {"/s/\"odd\".stn", std::string("/s/\"odd\".stn")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(SessionPathFromCommandLine(row.line), row.path);
    }
    EXPECT_EQ(SessionPathFromArguments({}), std::nullopt);
    EXPECT_EQ(SessionPathFromArguments({"\"\""}), std::nullopt);
    EXPECT_EQ(SessionPathFromArguments({"/s/my sessions/a.stn", "extra"}),
              std::string("/s/my sessions/a.stn"));
    EXPECT_EQ(SessionPathFromArguments({"\"/s/a.stn\""}), std::string("/s/a.stn"));
}

TEST(StartupRulesTest, DayNumbersCountFromTheEndOf1899) {
    EXPECT_DOUBLE_EQ(DayNumber({1899, 12, 30, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(DayNumber({1900, 1, 1, 12, 0, 0}), 2.5);
    EXPECT_DOUBLE_EQ(DayNumber({1900, 3, 1, 0, 0, 0}), 61.0);  // 1900 is no leap year
    EXPECT_DOUBLE_EQ(DayNumber({2024, 1, 1, 6, 0, 0}), 45292.25);
    EXPECT_DOUBLE_EQ(DayNumber({2024, 3, 1, 0, 0, 0}) - DayNumber({2024, 2, 28, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(DayNumber({2023, 13, 1, 0, 0, 0}), DayNumber({2024, 1, 1, 0, 0, 0}));
    EXPECT_GT(DayNumber(CurrentLocalDateTime()), 45000.0);
}

TEST(StartupRulesTest, NewsPageOpensFirstThenAfterMoreThan24Days) {
    MemorySettingsStore store;
    const LocalDateTime first{2024, 1, 1, 18, 30, 0};  // day 45292
    EXPECT_TRUE(CheckNewsPage(store, first));
    EXPECT_EQ(store.Find("", "LPT"), (MemorySettingsStore::Value{true, 45292, ""}));
    EXPECT_FALSE(CheckNewsPage(store, first));
    EXPECT_FALSE(CheckNewsPage(store, {2024, 1, 25, 23, 59, 59}));  // 24 whole days
    EXPECT_TRUE(CheckNewsPage(store, {2024, 1, 26, 0, 0, 0}));      // 25 whole days
    EXPECT_EQ(store.ReadInt("", "LPT", 0), 45317u);
    EXPECT_FALSE(CheckNewsPage(store, {2024, 1, 26, 9, 0, 0}));

    // The half second added before truncating: 24 days, 23:59:59.5 counts as 25.
    EXPECT_TRUE(NewsPageDue(45292, 45292 + 25 - 0.4 / 86400.0));
    EXPECT_FALSE(NewsPageDue(45292, 45292 + 25 - 0.6 / 86400.0));
}

TEST(StartupRulesTest, NewsPageDayFromAWrongClockDoesNotBlockIt) {
    MemorySettingsStore store;
    store.WriteInt("", "LPT", 0xFFFFFFFF);  // far in the future
    EXPECT_TRUE(CheckNewsPage(store, {2024, 5, 1, 0, 0, 0}));
    EXPECT_FALSE(CheckNewsPage(store, {2024, 5, 2, 0, 0, 0}));
    store.WriteString("", "LPT", "not a day");  // unreadable: never opened
    EXPECT_TRUE(CheckNewsPage(store, {2024, 5, 2, 0, 0, 0}));
    // A clock before the day count begins decides nothing and stores nothing.
    EXPECT_FALSE(CheckNewsPage(store, {1800, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(NewsPageDue(0, -5.0));
}

}  // namespace
}  // namespace quenlix
