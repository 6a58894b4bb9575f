// Spool file names.
#include "printout/SpoolFileName.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace quenlix::printout {

std::FILE* CreateSpoolFile(const std::string& folder, const std::string& date,
                           const std::string& extension, std::string& path, std::string& error) {
    const std::string base = (folder.empty() ? std::string(".") : folder) + "/print-" + date + "-";
    for (int counter = 1; counter <= kMaxSpoolFileCounter; ++counter) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", counter);
        path = base + number + "." + extension;
        // "x": the open fails when the name is taken, however it was taken.
        if (std::FILE* file = std::fopen(path.c_str(), "wbx")) return file;
        if (errno != EEXIST) {
            error = std::string(std::strerror(errno)) + ": " + path;
            path.clear();
            return nullptr;
        }
    }
    error = "no free file name left for " + base + "NNN." + extension;
    path.clear();
    return nullptr;
}

std::string TodayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

}  // namespace quenlix::printout
