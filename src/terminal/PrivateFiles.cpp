// Owner-only files in the user's state folder.
#include "terminal/PrivateFiles.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace quenlix {

namespace {

constexpr const char* kProgramFolder = "quenlix-telnet";
/// The organisation folder the desktop program's preferences live in.
constexpr const char* kConfigFolder = "Quenlix";

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return {};
}

// One folder of the path: made when missing, accepted when it is a folder.
int MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) == 0) return 0;
    const int error = errno;
    if (error != EEXIST) return error;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

}  // namespace

std::string UserStateDirectory() {
    // The XDG base directory rules: a relative value is invalid and ignored.
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/') {
        return std::string(state) + "/" + kProgramFolder;
    }
    const std::string home = HomeDirectory();
    if (home.empty()) return {};
    return home + "/.local/state/" + kProgramFolder;
}

std::string UserConfigDirectory() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
        return std::string(config) + "/" + kConfigFolder;
    }
    const std::string home = HomeDirectory();
    if (home.empty()) return {};
    return home + "/.config/" + kConfigFolder;
}

int EnsurePrivateDirectory(const std::string& directory) {
    if (directory.empty()) return ENOENT;
    for (std::size_t slash = directory.find('/', 1); slash != std::string::npos;
         slash = directory.find('/', slash + 1)) {
        if (const int error = MakeFolder(directory.substr(0, slash))) return error;
    }
    return MakeFolder(directory);
}

int WritePrivateFile(const std::string& path, std::string_view contents, bool append) {
    if (path.empty()) return ENOENT;
    // No O_TRUNC here: a FIFO or device must be refused before anything is
    // done to it, and only fstat can tell after the open.
    const int fd = open(path.c_str(),
                        O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY,
                        0600);
    if (fd < 0) return errno;
    int error = 0;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        error = EINVAL;
    } else if (append ? lseek(fd, 0, SEEK_END) < 0 : ftruncate(fd, 0) != 0) {
        error = errno;
    }
    std::size_t written = 0;
    while (error == 0 && written < contents.size()) {
        const ssize_t n = write(fd, contents.data() + written, contents.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
        } else {
            written += static_cast<std::size_t>(n);
        }
    }
    if (close(fd) != 0 && error == 0) error = errno;
    return error;
}

}  // namespace quenlix
