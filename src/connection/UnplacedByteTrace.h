// The file a session leaves when the interpreter meets a byte it cannot
// place: the interpreter's report and the record's bytes, the last record
// that had one. Owner-only, never written through a symbolic link.
#pragma once

#include <string>
#include <string_view>

namespace quenlix {

class UnplacedByteTrace {
public:
    /// The file's name in the user's state folder.
    static constexpr const char* kDefaultFile = "trameDefault.txt";

    /// The path is kDefaultFile in the user's state folder
    /// (UserStateDirectory), made when the first trace is written.
    UnplacedByteTrace();

    /// Where the trace goes; empty turns it off.
    void SetPath(std::string path) {
        path_ = std::move(path);
        defaultPath_ = false;
    }
    const std::string& path() const { return path_; }

    /// Replaces the file with `trace` (nothing for an empty one).
    void Write(std::string_view trace);

private:
    std::string path_;
    bool defaultPath_ = true;  ///< the state folder is made before the first write
};

}  // namespace quenlix
