// A trace file the operator asked for: text lines appended as they come, in
// a file only its owner can read (a masked trace still shows the screens).
// The file is opened once; a planted symbolic link, a FIFO or a device is
// refused. A trace left on all day stops at a size bound with a last line
// that says so, rather than fill the disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quenlix {

class TraceFileWriter {
public:
    /// The size at which a trace stops: 256 MiB, days of ordinary work.
    static constexpr std::uint64_t kDefaultLimit = std::uint64_t{256} << 20;
    /// The last line of a trace stopped by its bound.
    static constexpr const char* kLimitLine = "trace stopped: the file reached its size limit";

    TraceFileWriter() = default;
    ~TraceFileWriter();
    TraceFileWriter(const TraceFileWriter&) = delete;
    TraceFileWriter& operator=(const TraceFileWriter&) = delete;

    /// Creates or empties the file at `path` (mode 0600, made so as well
    /// when it existed). Returns 0 or the errno cause; on failure nothing is
    /// open. `limit` in bytes, at least the length of the limit line.
    int Open(const std::string& path, std::uint64_t limit = kDefaultLimit);
    /// Appends the lines, each ended by a newline. Returns 0, or the errno
    /// cause of a failed write, after which the file is closed; writes past
    /// the bound are dropped and the file closed after the limit line
    /// (`stoppedByLimit`).
    int Write(const std::vector<std::string>& lines);
    void Close();

    bool isOpen() const { return fd_ >= 0; }
    bool stoppedByLimit() const { return stoppedByLimit_; }
    std::uint64_t size() const { return size_; }
    const std::string& path() const { return path_; }

private:
    int WriteAll(std::string_view bytes);

    int fd_ = -1;
    std::string path_;
    std::uint64_t size_ = 0;
    std::uint64_t limit_ = kDefaultLimit;
    bool stoppedByLimit_ = false;
};

}  // namespace quenlix
