#include "connection/UnplacedByteTrace.h"

#include "terminal/PrivateFiles.h"

namespace quenlix {

UnplacedByteTrace::UnplacedByteTrace() {
    // A launcher's working folder is often /usr/bin or the home folder: the
    // trace belongs with the program's own state, not there.
    const std::string folder = UserStateDirectory();
    if (!folder.empty()) path_ = folder + "/" + kDefaultFile;
}

void UnplacedByteTrace::Write(std::string_view trace) {
    if (trace.empty() || path_.empty()) return;
    if (defaultPath_) {
        if (EnsurePrivateDirectory(path_.substr(0, path_.rfind('/'))) != 0) return;
        defaultPath_ = false;
    }
    WritePrivateFile(path_, trace);
}

}  // namespace quenlix
