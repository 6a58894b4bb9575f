// EBCDIC <-> PC translation: the cache of table pairs, one per host code page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace quenlix {

struct Terminal;

/// A pair of total tables: ATOE maps a PC byte to EBCDIC, ETOA the reverse.
struct TablePair {
    std::int32_t codePage = 0;  ///< 0 for the built-in pair
    std::array<std::uint8_t, 256> ATOE{};
    std::array<std::uint8_t, 256> ETOA{};
};

/// Result of SelectTables and the translate operations.
enum TranslationResult : int {
    kTablesSelected = 0,
    kTableFileMissing = 3000,  ///< the built-in pair is current instead
};

/// The built-in pair, for tests and for InitTranslation.
const TablePair& BuiltinTablePair();

/// The table cache. Entry 0 is the built-in pair (EBCDIC 500 <-> ISO 8859-1);
/// every other code page's pair is read once from "<directory>/<cp>.tbl" on
/// its first successful use and kept. A missing file is not remembered.
class TranslationCache {
public:
    /// Both counters are 16-bit; the cache stops growing at their limit.
    static constexpr std::size_t kMaxEntries = 0xFFFF;
    /// Bytes a table file must hold: ATOE then ETOA.
    static constexpr std::size_t kTableFileSize = 512;

    /// Appends the built-in pair as entry 0, makes it current and fixes the
    /// table directory. Calling it again starts over.
    void InitTranslation(std::string tableDirectory);

    /// Makes the pair of codePage current, loading it on first use.
    /// kTableFileMissing when the file is absent, unreadable or shorter than
    /// 512 bytes, the cache is full or memory cannot be had: the built-in
    /// pair is current then.
    int SelectTables(int codePage);

    int ToEbcdic(int codePage, std::uint8_t* destination, const std::uint8_t* source,
                 std::size_t count);
    int ToPc(int codePage, std::uint8_t* destination, const std::uint8_t* source,
             std::size_t count);
    /// The ETOA table of codePage (selected as SelectTables does), for a
    /// caller that translates many bytes of one code page in a row. The
    /// reference stays valid until InitTranslation starts the cache over:
    /// loading further code pages never moves an entry.
    const std::array<std::uint8_t, 256>& EtoaFor(int codePage) {
        SelectTables(codePage);
        return entries_[current_].ETOA;
    }

    /// One byte, for the many single-character callers.
    std::uint8_t ToEbcdic(int codePage, std::uint8_t pc);
    std::uint8_t ToPc(int codePage, std::uint8_t ebcdic);

    std::uint16_t entryCount() const { return static_cast<std::uint16_t>(entries_.size()); }
    std::uint16_t currentIndex() const { return current_; }
    /// The current pair; the built-in pair before InitTranslation.
    const TablePair& current() const {
        return entries_.empty() ? BuiltinTablePair() : entries_[current_];
    }
    const std::string& tableDirectory() const { return directory_; }
    /// How many table files have been read; for tests and diagnostics.
    std::size_t filesRead() const { return filesRead_; }

private:
    bool LoadFile(int codePage, TablePair& pair);

    // A deque, not a vector: appending never moves the entries, so a table
    // handed out by EtoaFor survives the loading of further code pages (the
    // interpreter keeps one across message boxes, whose nested message loop
    // may run a block of another code page).
    std::deque<TablePair> entries_;
    std::uint16_t current_ = 0;
    std::string directory_;
    std::size_t filesRead_ = 0;
};

/// Recomputes every position's PC character from its EBCDIC byte with
/// codePage (0x40..0xFE translated, anything else " "); the whole screen is
/// damaged.
void RetranslateScreen(Terminal& terminal, TranslationCache& tables, int codePage);

/// The folder that holds the running program.
std::string ProgramDirectory();

/// The folder holding the program's data (the translation tables, the
/// keyboard help page, the demo session, the "ADS" splash pictures):
/// `programDirectory` itself when it holds a table file ("*.tbl", as the
/// build tree does), else "<programDirectory>/../share/quenlix-telnet"
/// (an installed program), normalised.
std::string DataDirectory(const std::string& programDirectory);
/// DataDirectory of the running program's folder.
std::string DataDirectory();

}  // namespace quenlix
