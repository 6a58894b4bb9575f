// Files the program writes for the operator alone (traces, pins, maps): the
// per-user state folder, and a write that never follows a planted link,
// never waits on a FIFO and leaves nothing readable by other users.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quenlix {

/// The folder for the program's own state files: $XDG_STATE_HOME/quenlix-telnet
/// when XDG_STATE_HOME is an absolute path, else ~/.local/state/quenlix-telnet.
/// Empty when no home folder is known. Nothing is created.
std::string UserStateDirectory();

/// The program's configuration folder, where the preferences live:
/// $XDG_CONFIG_HOME/Quenlix when XDG_CONFIG_HOME is an absolute path, else
/// ~/.config/Quenlix. Empty when no home folder is known. Nothing is created.
std::string UserConfigDirectory();

/// Creates `directory` and any missing parents, the ones it creates with
/// owner-only permissions (0700). Returns 0, or the errno cause of the step
/// that failed (ENOTDIR when a part of the path is not a folder).
int EnsurePrivateDirectory(const std::string& directory);

/// Writes `contents` into the file at `path`, replacing what it held
/// (`append` false) or after it (`append` true). The file is opened without
/// following a symbolic link in its last component and without waiting (a
/// FIFO is never waited on); a new file gets owner-only permissions (0600);
/// anything that is not a regular file is refused with EINVAL before a byte
/// is written. Returns 0 or the errno cause.
int WritePrivateFile(const std::string& path, std::string_view contents, bool append = false);

}  // namespace quenlix
