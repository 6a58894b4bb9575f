// Table cache: built-in pair, table files, and the translate operations.
#include "terminal/TranslationCache.h"

#include <unistd.h>

#include <climits>
#include <fstream>

#include "terminal/TerminalState.h"
#include "terminal/ViewOperations.h"

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
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    char buffer[kTableFileSize];
    file.read(buffer, sizeof buffer);
    // A short file is as good as a missing one: half a table would translate
    // some bytes to garbage without any sign of it.
    if (file.gcount() != static_cast<std::streamsize>(sizeof buffer)) return false;
    ++filesRead_;
    pair.codePage = codePage;
    for (size_t i = 0; i < 256; ++i) {
        pair.ATOE[i] = static_cast<std::uint8_t>(buffer[i]);
        pair.ETOA[i] = static_cast<std::uint8_t>(buffer[256 + i]);
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
    TablePair loaded;
    if (entries_.size() >= kMaxEntries || !LoadFile(codePage, loaded)) {
        current_ = 0;
        return kTableFileMissing;
    }
    entries_.push_back(loaded);
    current_ = static_cast<std::uint16_t>(entries_.size() - 1);
    return kTablesSelected;
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

void RetranslateScreen(Terminal& terminal, TranslationCache& tables, int codePage,
                       ViewOperations& view) {
    for (ScreenCell& cell : terminal.screen.inUse()) {
        if (cell.ebcdic >= 0x40 && cell.ebcdic <= 0xFE) {
            cell.character = tables.ToPc(codePage, static_cast<std::uint8_t>(cell.ebcdic));
        } else {
            cell.character = ' ';
        }
    }
    view.InvalidateView();
}

std::string ProgramDirectory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string full(path, static_cast<size_t>(n));
    const auto slash = full.rfind('/');
    return slash == std::string::npos ? "." : full.substr(0, slash);
}

}  // namespace quenlix
