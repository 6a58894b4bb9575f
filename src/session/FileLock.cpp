// The lock file's flock.
#include "session/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace quenlix {

FileLock::~FileLock() { Release(); }

int FileLock::Acquire(const std::string& path, int waitMilliseconds) {
    Release();
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;
    // Bounded: a holder that hangs (or a stale holder on a network file
    // system) costs at most the wait, never the program.
    const int attempts = waitMilliseconds > 0 ? waitMilliseconds / kRetryMilliseconds + 1 : 1;
    for (int i = 0; i < attempts; ++i) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return 0;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const int cause = errno;
            ::close(fd);
            return cause;
        }
        if (i + 1 < attempts) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMilliseconds));
        }
    }
    ::close(fd);
    return EWOULDBLOCK;
}

void FileLock::Release() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace quenlix
