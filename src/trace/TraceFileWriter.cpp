// An owner-only trace file, appended to.
#include "trace/TraceFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quenlix {

TraceFileWriter::~TraceFileWriter() { Close(); }

int TraceFileWriter::Open(const std::string& path, std::uint64_t limit) {
    Close();
    if (path.empty()) return ENOENT;
    // O_NONBLOCK so that a FIFO is never waited on; the type is checked on
    // the open descriptor before the file is touched.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY,
                        0600);
    if (fd < 0) return errno;
    struct stat info {};
    int error = 0;
    if (fstat(fd, &info) != 0) {
        error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        error = EINVAL;
    } else if (fchmod(fd, 0600) != 0 || ftruncate(fd, 0) != 0) {
        error = errno;
    }
    if (error != 0) {
        close(fd);
        return error;
    }
    fd_ = fd;
    path_ = path;
    size_ = 0;
    const std::uint64_t minimum = std::strlen(kLimitLine) + 1;
    limit_ = limit < minimum ? minimum : limit;
    stoppedByLimit_ = false;
    return 0;
}

int TraceFileWriter::Write(const std::vector<std::string>& lines) {
    if (fd_ < 0) return 0;
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    // The limit line always fits: the bound keeps room for it.
    const std::uint64_t room = limit_ - size_ - (std::strlen(kLimitLine) + 1);
    if (text.size() > room) {
        stoppedByLimit_ = true;
        const int error = WriteAll(std::string(kLimitLine) + '\n');
        Close();
        return error;
    }
    const int error = WriteAll(text);
    if (error != 0) Close();
    return error;
}

int TraceFileWriter::WriteAll(std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fd_, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        written += static_cast<std::size_t>(n);
        size_ += static_cast<std::uint64_t>(n);
    }
    return 0;
}

void TraceFileWriter::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

}  // namespace quenlix
