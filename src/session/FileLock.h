// An exclusive advisory lock on a lock file, for programs that share a file
// they replace by rename (the per-user preferences): each takes the lock,
// reads the file, merges its own changes and replaces it, so no two
// read-merge-write steps overlap. The lock is on a separate file because a
// lock on the shared file itself would stay with the old file once the
// rename replaced it. POSIX only.
#pragma once

#include <string>

namespace quenlix {

class FileLock {
public:
    /// How long Acquire waits for another holder, and how often it looks.
    static constexpr int kDefaultWaitMilliseconds = 5000;
    static constexpr int kRetryMilliseconds = 20;

    FileLock() = default;
    /// Releases the lock (closing the lock file releases it in any case).
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    /// Opens (creating when missing, mode 0600) the lock file at `path` and
    /// takes an exclusive flock on it, retrying every kRetryMilliseconds
    /// for at most `waitMilliseconds` (0: one try). Returns 0, or the errno
    /// cause: EWOULDBLOCK when another holder kept it for the whole wait,
    /// the open's cause (EACCES, EROFS, ENOENT...) when the file cannot be
    /// opened. The lock file stays in place after Release: removing it
    /// would let a waiter and a newcomer hold locks on two different files.
    int Acquire(const std::string& path, int waitMilliseconds = kDefaultWaitMilliseconds);
    void Release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace quenlix
