// Whole-file reads and replace-by-rename writes.
#include "session/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quenlix {

namespace {

// Closes a descriptor on every path out of a function.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    int Close() {
        if (fd_ < 0) return 0;
        int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Attempts at finding a free temporary name before giving up; a clash needs
// another writer using the same pid, counter and clock reading.
constexpr int kTempNameAttempts = 64;
// Keeps "<base>.<8 hex>.tmp" well inside NAME_MAX however long the base is.
constexpr std::size_t kTempBaseLength = 64;

std::string TempNameFor(const std::string& directory, const std::string& base, unsigned attempt) {
    static unsigned counter = 0;
    auto ticks =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    auto mix = static_cast<std::uint32_t>(ticks ^ (ticks >> 32)) ^
               (static_cast<std::uint32_t>(::getpid()) << 12) ^ (++counter * 0x9E3779B9u) ^ attempt;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08X.tmp", static_cast<unsigned>(mix));
    return directory + "/." + base.substr(0, kTempBaseLength) + suffix;
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        // A write that moves nothing would loop for ever; treat it as a full disk.
        if (n == 0) return ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// EISDIR for a folder, EINVAL for anything else that is not a regular file.
int RegularFileCause(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    return S_ISREG(st.st_mode) ? 0 : EINVAL;
}

// Opens `path` for reading when it is a regular file of at most `maxSize`
// bytes. Returns 0 or the errno cause, `fd` being open only on 0.
int OpenSmallFile(const std::string& path, FileDescriptor& fd, std::size_t maxSize) {
    // Looked at before opening: opening a FIFO wakes a writer waiting on it,
    // and opening a device may act on it.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno;
    if (int err = RegularFileCause(st)) return err;
    // The path may have been replaced since; O_NONBLOCK so that a FIFO put
    // there is not waited on, and the open file is checked again.
    fd.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return errno;
    int err = ::fstat(fd.get(), &st) != 0 ? errno : RegularFileCause(st);
    if (err == 0 && static_cast<std::uintmax_t>(st.st_size) > maxSize) err = EFBIG;
    if (err != 0) fd.Close();
    return err;
}

}  // namespace

int CheckSmallFile(const std::string& path, std::size_t maxSize) {
    FileDescriptor fd;
    return OpenSmallFile(path, fd, maxSize);
}

int ReadSmallFile(const std::string& path, std::string& contents, std::size_t maxSize) {
    contents.clear();
    FileDescriptor fd;
    if (int err = OpenSmallFile(path, fd, maxSize)) return err;

    // The size may change while reading; the bound is enforced on the bytes
    // actually read, not on what fstat said.
    char chunk[4096];
    for (;;) {
        ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            contents.clear();
            return err;
        }
        if (n == 0) break;
        if (contents.size() + static_cast<std::size_t>(n) > maxSize) {
            contents.clear();
            return EFBIG;
        }
        contents.append(chunk, static_cast<std::size_t>(n));
    }
    return 0;
}

int ReplaceFileContents(const std::string& path, std::string_view contents, unsigned newFileMode) {
    if (path.empty()) return ENOENT;

    // Replace the file a symbolic link names rather than the link itself.
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }

    bool exists = false;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return EISDIR;
        // Renaming over a device or a FIFO would replace the node itself.
        if (!S_ISREG(st.st_mode)) return EINVAL;
        exists = true;
    } else if (errno != ENOENT) {
        return errno;
    }

    std::size_t slash = target.rfind('/');
    std::string directory = slash == std::string::npos ? "." : target.substr(0, slash);
    if (directory.empty()) directory = "/";
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    std::string tempPath;
    FileDescriptor fd;
    for (unsigned attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        tempPath = TempNameFor(directory, base, attempt);
        int raw = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                         static_cast<mode_t>(newFileMode & 0777));
        if (raw >= 0) {
            fd.Reset(raw);
            break;
        }
        if (errno != EEXIST) return errno;
    }
    if (fd.get() < 0) return EEXIST;

    auto fail = [&](int err) {
        fd.Close();
        ::unlink(tempPath.c_str());
        return err;
    };

    if (exists) {
        // Owner first: changing the owner may clear set-id bits that the mode restores.
        (void)::fchown(fd.get(), st.st_uid, st.st_gid);
        (void)::fchmod(fd.get(), st.st_mode & 07777);
    }
    if (int err = WriteAll(fd.get(), contents)) return fail(err);
    if (::fsync(fd.get()) != 0) return fail(errno);
    if (int err = fd.Close()) return fail(err);
    if (::rename(tempPath.c_str(), target.c_str()) != 0) return fail(errno);

    // Make the rename itself durable; the new file is complete either way.
    FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) (void)::fsync(dir.get());
    return 0;
}

}  // namespace quenlix
