// Whole-file reads and replace-by-rename writes for the small text files the
// session code keeps (INI files, session files). POSIX only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quenlix {

/// Largest file ReadSmallFile accepts. Session files are well under a
/// kilobyte; the limit keeps a wrong path (a disk image, a device) from
/// being read into memory whole.
inline constexpr std::size_t kMaxSmallFileSize = 4u << 20;

/// Reads the regular file at `path` into `contents`. Returns 0 on success or
/// the errno cause: ENOENT when there is no file, EISDIR for a folder,
/// EINVAL for anything else that is not a regular file (a FIFO is never
/// waited on), EFBIG when the file holds more than `maxSize` bytes. On failure
/// `contents` is empty.
int ReadSmallFile(const std::string& path, std::string& contents,
                  std::size_t maxSize = kMaxSmallFileSize);

/// Whether ReadSmallFile would read the file at `path` now: 0, or the cause
/// it would fail with. Opens the file without reading it and never waits
/// (a FIFO or a device is refused before it is opened). For a caller that
/// must say "cannot open" before it commits to reading.
int CheckSmallFile(const std::string& path, std::size_t maxSize = kMaxSmallFileSize);

/// Replaces the file at `path` with `contents` so that the file is either the
/// old one or the complete new one, never a truncated mix: the bytes go to a
/// new file in the same folder, are synced to disk, and only then renamed
/// over `path`. An existing file keeps its permission bits (and its owner
/// where the process may set it); a symbolic link is followed and the file it
/// names is replaced. An existing target that is not a regular file is
/// refused with EINVAL. A new file gets `newFileMode` (less the umask;
/// 0600 for a file only its owner may read). Returns 0 or the errno cause of
/// the failed step; on failure the temporary file is removed and `path` is
/// untouched.
int ReplaceFileContents(const std::string& path, std::string_view contents,
                        unsigned newFileMode = 0666);

}  // namespace quenlix
