// Start-up decisions that need no window: the session file named on the
// command line, and whether the news page is due today (value "LPT").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "prefs/SettingsStore.h"

namespace quenlix {

/// The session file a command line names, or empty when it names none.
/// Blanks around the text are dropped (they only separate it from the
/// program's name); then, when the text starts with a double quote, every
/// leading double quote is removed, and when it ends with one, every
/// trailing double quote. A path with blanks therefore works when quoted.
/// Nothing left (an empty line, or quotes only) means no file.
std::optional<std::string> SessionPathFromCommandLine(std::string_view commandLine);

/// The same rule for a program that receives its arguments already split
/// (the program's name not included): the first argument names the file,
/// with its surrounding quotes removed as above but its blanks kept; later
/// arguments are ignored. Empty when there is no argument or nothing is left.
std::optional<std::string> SessionPathFromArguments(const std::vector<std::string>& arguments);

/// Every argument as a session file, in order, each by the same rule; the
/// ones with nothing left are skipped. The desktop program opens a tab for
/// each.
std::vector<std::string> SessionPathsFromArguments(const std::vector<std::string>& arguments);

/// A local calendar date and time of day, as the clock gives it.
struct LocalDateTime {
    int year = 1899;
    int month = 12;  ///< 1..12
    int day = 30;    ///< 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

/// The date as a day number: days since 30 December 1899, the time of day
/// as the fraction (noon of 1 January 1900 is 2.5).
double DayNumber(const LocalDateTime& when);

/// The local time now; the program's clock. Tests pass their own times.
LocalDateTime CurrentLocalDateTime();

/// Value "LPT" in the program's key: the day number of the last time the
/// news page was opened; 0 or missing: never.
inline constexpr std::string_view kNewsPageDayName = "LPT";

/// Days that may pass before the news page is opened again: it opens when
/// more whole days than this have elapsed.
inline constexpr int kNewsPageIntervalDays = 24;

/// Whether the page is due at `now` (a day number) when it was last opened
/// on day `lastDay`: never opened (0); more than kNewsPageIntervalDays whole
/// days elapsed (half a second added, then truncated); or a last day later
/// than today, which only a wrong clock can have stored and which would
/// otherwise hold the page back until that day comes. Never due at a time
/// before 31 December 1899 (a clock that cannot be right).
bool NewsPageDue(std::uint32_t lastDay, double now);

/// The start-up check: reads "LPT" and, when the page is due, stores
/// today's whole day number in "LPT" and returns true; the caller then
/// opens the page. Returns false, writing nothing, otherwise.
bool CheckNewsPage(SettingsStore& store, const LocalDateTime& now);

}  // namespace quenlix
