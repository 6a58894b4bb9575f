// Table cache: built-in pair, table files, and the translate operations.
#include "terminal/TranslationCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <new>
#include <system_error>

#include "terminal/TerminalState.h"

namespace quenlix {

namespace {
#include "terminal/BuiltinTables.inc"
}  // namespace

const TablePair& BuiltinTablePair() {
    static const TablePair pair = [] {
        TablePair p;
        p.codePage = 0;
        p.ATOE = kBuiltinAtoe;
        p.ETOA = kBuiltinEtoa;
        return p;
    }();
    return pair;
}

void TranslationCache::InitTranslation(std::string tableDirectory) {
    entries_.clear();
    entries_.push_back(BuiltinTablePair());
    current_ = 0;
    directory_ = std::move(tableDirectory);
}

bool TranslationCache::LoadFile(int codePage, TablePair& pair) {
    const std::string path = directory_ + "/" + std::to_string(codePage) + ".tbl";
    // O_NONBLOCK: a named pipe in the table's place must not wait for a
    // writer; only a regular file is read at all.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    std::uint8_t buffer[kTableFileSize];
    std::size_t got = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        while (got < sizeof buffer) {
            const ssize_t n = ::read(fd, buffer + got, sizeof buffer - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    // A short file is as good as a missing one: half a table would translate
    // some bytes to garbage without any sign of it.
    if (got != sizeof buffer) return false;
    ++filesRead_;
    pair.codePage = codePage;
    for (size_t i = 0; i < 256; ++i) {
        pair.ATOE[i] = buffer[i];
        pair.ETOA[i] = buffer[256 + i];
    }
    return true;
}

int TranslationCache::SelectTables(int codePage) {
    if (entries_.empty()) InitTranslation(directory_);
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].codePage == codePage) {
            current_ = static_cast<std::uint16_t>(i);
            return kTablesSelected;
        }
    }
    // The cap keeps every index within the 16-bit counters.
    if (entries_.size() < kMaxEntries) {
        try {
            TablePair loaded;
            if (LoadFile(codePage, loaded)) {
                entries_.push_back(loaded);
                current_ = static_cast<std::uint16_t>(entries_.size() - 1);
                return kTablesSelected;
            }
        } catch (const std::bad_alloc&) {
            // No memory for the file name or the entry: as if the file were missing.
        }
    }
    current_ = 0;
    return kTableFileMissing;
}

int TranslationCache::ToEbcdic(int codePage, std::uint8_t* destination,
                               const std::uint8_t* source, std::size_t count) {
    const int result = SelectTables(codePage);
    const auto& table = entries_[current_].ATOE;
    for (std::size_t i = 0; i < count; ++i) destination[i] = table[source[i]];
    return result;
}

int TranslationCache::ToPc(int codePage, std::uint8_t* destination, const std::uint8_t* source,
                           std::size_t count) {
    const int result = SelectTables(codePage);
    const auto& table = entries_[current_].ETOA;
    for (std::size_t i = 0; i < count; ++i) destination[i] = table[source[i]];
    return result;
}

std::uint8_t TranslationCache::ToEbcdic(int codePage, std::uint8_t pc) {
    std::uint8_t out = 0;
    ToEbcdic(codePage, &out, &pc, 1);
    return out;
}

std::uint8_t TranslationCache::ToPc(int codePage, std::uint8_t ebcdic) {
    std::uint8_t out = 0;
    ToPc(codePage, &out, &ebcdic, 1);
    return out;
}

void RetranslateScreen(Terminal& terminal, TranslationCache& tables, int codePage) {
    for (int p = 0; p < terminal.cellCount(); ++p) {
        const int ebcdic = terminal.screen.at(p).ebcdic;
        terminal.SetCellCharacter(p, ebcdic >= 0x40 && ebcdic <= 0xFE
                                         ? tables.ToPc(codePage, static_cast<std::uint8_t>(ebcdic))
                                         : ' ');
    }
    terminal.damage.All();
}

std::string ProgramDirectory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string full(path, static_cast<size_t>(n));
    const auto slash = full.rfind('/');
    return slash == std::string::npos ? "." : full.substr(0, slash);
}

std::string DataDirectory(const std::string& programDirectory) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::directory_iterator it(programDirectory, error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().extension() == ".tbl" && it->is_regular_file(error)) return programDirectory;
    }
    return (fs::path(programDirectory) / ".." / "share" / "quenlix-telnet").lexically_normal().string();
}

std::string DataDirectory() { return DataDirectory(ProgramDirectory()); }

}  // namespace quenlix
