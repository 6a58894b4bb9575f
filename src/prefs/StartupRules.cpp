// Command-line and news-page rules.
#include "prefs/StartupRules.h"

#include <cmath>
#include <ctime>

namespace quenlix {

namespace {

std::optional<std::string> StripQuotes(std::string_view text) {
    if (!text.empty() && text.front() == '"') {
        while (!text.empty() && text.front() == '"') text.remove_prefix(1);
    }
    if (!text.empty() && text.back() == '"') {
        while (!text.empty() && text.back() == '"') text.remove_suffix(1);
    }
    if (text.empty()) return std::nullopt;
    return std::string(text);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Days from 1 January 1970 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::optional<std::string> SessionPathFromCommandLine(std::string_view commandLine) {
    while (!commandLine.empty() && IsBlank(commandLine.front())) commandLine.remove_prefix(1);
    while (!commandLine.empty() && IsBlank(commandLine.back())) commandLine.remove_suffix(1);
    return StripQuotes(commandLine);
}

std::optional<std::string> SessionPathFromArguments(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return std::nullopt;
    return StripQuotes(arguments.front());
}

std::vector<std::string> SessionPathsFromArguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> paths;
    for (const std::string& argument : arguments) {
        if (std::optional<std::string> path = StripQuotes(argument)) paths.push_back(*path);
    }
    return paths;
}

double DayNumber(const LocalDateTime& when) {
    // Month and day outside their ranges are carried into the next unit, as
    // calendar arithmetic does, rather than trusted as indexes.
    std::int64_t month0 = when.month - 1;
    const std::int64_t carry = month0 >= 0 ? month0 / 12 : (month0 - 11) / 12;  // floor
    month0 -= carry * 12;
    const std::int64_t year = when.year + carry;
    const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month0 + 1), 1) +
                              (when.day - 1) - DaysFromCivil(1899, 12, 30);
    const double seconds = when.hour * 3600.0 + when.minute * 60.0 + when.second;
    return static_cast<double>(days) + seconds / 86400.0;
}

LocalDateTime CurrentLocalDateTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

bool NewsPageDue(std::uint32_t lastDay, double now) {
    if (!std::isfinite(now) || now < 1.0 || now >= 4294967296.0) return false;
    if (lastDay == 0) return true;
    const double elapsed = now - static_cast<double>(lastDay);
    if (elapsed < 0) return true;  // stored by a clock set ahead
    const double wholeDays = std::trunc(elapsed + 0.5 / 86400.0);
    return wholeDays > kNewsPageIntervalDays;
}

bool CheckNewsPage(SettingsStore& store, const LocalDateTime& now) {
    const double today = DayNumber(now);
    const std::uint32_t lastDay = store.ReadInt("", kNewsPageDayName, 0);
    if (!NewsPageDue(lastDay, today)) return false;
    store.WriteInt("", kNewsPageDayName, static_cast<std::uint32_t>(std::floor(today)));
    return true;
}

}  // namespace quenlix
