// The SCS interpreter of a printer session: reads the SNA Character String
// data of each print record and lays it out on pages, which it hands to a
// PageSink as each one completes (so a spooled file of any length holds one
// page in memory). No I/O.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scs/PrintedPage.h"
#include "terminal/TranslationCache.h"

namespace quenlix::scs {

/// Where the interpreter's pages go.
class PageSink {
public:
    virtual ~PageSink() = default;
    /// A page is complete (a form feed, the page length, or the end of the
    /// spooled file). The page is valid for the call only.
    virtual void PageReady(const PrintedPage& page) = 0;
    /// The host rang the printer's bell.
    virtual void Bell() {}
    /// A control could not be read (its bytes run past the record, or a
    /// value is out of range); what is left of the record is skipped.
    virtual void Malformed(const std::string& /*what*/) {}
    /// A one-byte control this printer does not know was passed over.
    virtual void Ignored(const std::string& /*what*/) {}
};

/// Does nothing with the pages.
class NullPageSink : public PageSink {
public:
    void PageReady(const PrintedPage&) override {}
};

/// The page format before the host sends its own: the session's paper at
/// 10 characters and 6 lines to the inch.
struct PageDefaults {
    int columns = 85;  ///< Letter: 8.5 inch at 10 characters per inch
    int lines = 66;    ///< Letter: 11 inch at 6 lines per inch
    double charactersPerInch = 10.0;
    double linesPerInch = 6.0;
};

/// Unicode of each EBCDIC byte of a code page.
using CharacterTable = std::array<char16_t, 256>;

/// The table of a translation pair: its EBCDIC to PC bytes, then the PC
/// character set of its code page.
CharacterTable MakeCharacterTable(const TablePair& tables);

class ScsInterpreter {
public:
    /// Most tab stops a format holds (one per print position).
    static constexpr std::size_t kMaxTabStops = PrintedPage::kMaxColumns;

    ScsInterpreter(PageSink& sink, const PageDefaults& defaults);

    /// The characters of the session's code page. Until set, those of the
    /// built-in pair.
    void SetCharacters(const CharacterTable& table);
    /// Finds the table of a code page the host selects (SCGL); none keeps
    /// the current one.
    std::function<const CharacterTable*(int codePage)> codePages;

    /// The SCS data of one print record. A control cut off by the record's
    /// end or with a value out of range is reported to the sink and the
    /// rest of the record is skipped.
    void Feed(const std::uint8_t* data, std::size_t count);
    /// The spooled file ends: the page under way goes to the sink if it holds
    /// anything, and the next file starts on a fresh page with the defaults.
    void EndOfFile();
    /// The host cleared the printer: the page under way is dropped, and the
    /// next data starts a fresh file.
    void Clear();

    /// Pages handed to the sink in the current spooled file.
    int pagesInFile() const { return pageNumber_; }
    /// Where the next character prints (1-based).
    int line() const { return line_; }
    int column() const { return column_; }
    const PrintedPage& page() const { return page_; }
    /// The horizontal tab stops in force, ascending.
    const std::vector<int>& tabStops() const { return tabStops_; }
    int leftMargin() const { return leftMargin_; }
    int topMargin() const { return topMargin_; }
    int codePage() const { return codePage_; }

private:
    /// Reads one control at data[at]; returns the bytes it took, 0 when it
    /// is malformed (the sink told).
    std::size_t Control(const std::uint8_t* data, std::size_t at, std::size_t count);
    std::size_t ClassControl(const std::uint8_t* data, std::size_t at, std::size_t count);
    void Print(char16_t ch);
    void NewLine();
    void LineDown(int count);
    void FormFeed();
    void EmitPage();
    void StartPage();
    void HorizontalTab();
    void VerticalTab();
    void SetHorizontalFormat(const std::uint8_t* p, std::size_t n);
    void SetVerticalFormat(const std::uint8_t* p, std::size_t n);
    /// Tells the sink; 0, the bytes a malformed control takes.
    std::size_t Bad(const std::string& what);
    int LastColumn() const { return rightMargin_ > 0 ? rightMargin_ : columns_; }
    int LastLine() const { return bottomMargin_ > 0 ? bottomMargin_ : lines_; }

    PageSink& sink_;
    PageDefaults defaults_;
    CharacterTable characters_{};
    PrintedPage page_;
    int pageNumber_ = 0;
    int columns_ = 0;
    int lines_ = 0;
    double cpi_ = 10.0;
    double lpi_ = 6.0;
    bool hostFormat_ = false;
    int leftMargin_ = 1;
    int rightMargin_ = 0;  ///< 0: the page's last column
    int topMargin_ = 1;
    int bottomMargin_ = 0;  ///< 0: the page's last line
    std::vector<int> tabStops_;
    std::vector<int> verticalTabStops_;
    int line_ = 1;
    int column_ = 1;
    int codePage_ = 0;
    bool printed_ = false;  ///< the page under way holds a mark
};

}  // namespace quenlix::scs
