// Names and creates the file a spooled file is written to: the folder, a
// stem with the date, a counter, never a file that is already there.
#pragma once

#include <cstdio>
#include <string>

namespace quenlix::printout {

/// Most files one stem may number; past it no file is made.
inline constexpr int kMaxSpoolFileCounter = 9999;

/// Creates "<folder>/print-<date>-<NNN>.<extension>" (date "YYYY-MM-DD",
/// the counter from 001) with the lowest counter whose name is free, opened
/// exclusively so that no existing file is ever overwritten, even one made
/// meanwhile by another program. Returns the open file and its path, or
/// nullptr with the reason in `error`.
std::FILE* CreateSpoolFile(const std::string& folder, const std::string& date,
                           const std::string& extension, std::string& path, std::string& error);

/// Today's date as "YYYY-MM-DD" in local time.
std::string TodayText();

}  // namespace quenlix::printout
