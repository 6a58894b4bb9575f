// SCS layout. Every control's operands are checked against what is left of
// the record before they are read, and every position against the page.
#include "scs/ScsInterpreter.h"

#include <algorithm>
#include <cstdio>

#include "scs/ScsCodes.h"
#include "terminal/Languages.h"

namespace quenlix::scs {

namespace {

std::string Hex(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

// Densities a printer can honour; a value outside is taken as the nearest.
constexpr double kMinDensity = 1.0;
constexpr double kMaxDensity = 30.0;
// SCD's distance is the density itself up to this value, else 1/1440 inch.
constexpr int kLargestDensityValue = 30;
constexpr double kTwipsPerInch = 1440.0;
constexpr double kPointsPerInch = 72.0;

}  // namespace

CharacterTable MakeCharacterTable(const TablePair& tables) {
    const PcCharset& pc = PcCharset::ForCodePage(tables.codePage);
    CharacterTable table{};
    for (std::size_t b = 0; b < table.size(); ++b) table[b] = pc.ToUnicode(tables.ETOA[b]);
    return table;
}

ScsInterpreter::ScsInterpreter(PageSink& sink, const PageDefaults& defaults)
    : sink_(sink), defaults_(defaults) {
    characters_ = MakeCharacterTable(BuiltinTablePair());
    EndOfFile();
}

void ScsInterpreter::SetCharacters(const CharacterTable& table) { characters_ = table; }

void ScsInterpreter::Feed(const std::uint8_t* data, std::size_t count) {
    std::size_t at = 0;
    while (at < count) {
        const std::uint8_t b = data[at];
        if (b >= kFirstGraphic) {
            Print(characters_[b]);
            ++at;
            continue;
        }
        const std::size_t used = Control(data, at, count);
        if (used == 0) return;  // malformed: the rest of the record cannot be trusted
        at += used;
    }
}

std::size_t ScsInterpreter::Bad(const std::string& what) {
    sink_.Malformed(what);
    return 0;
}

std::size_t ScsInterpreter::Control(const std::uint8_t* data, std::size_t at, std::size_t count) {
    const std::uint8_t b = data[at];
    const std::size_t left = count - at;
    switch (b) {
        case kNull:
            return 1;
        case kHorizontalTab:
            HorizontalTab();
            return 1;
        case kRequiredNewLine:
        case kNewLine:
        case kInterchangeRecordSep:
            NewLine();
            return 1;
        case kVerticalTab:
            VerticalTab();
            return 1;
        case kFormFeed:
            FormFeed();
            return 1;
        case kCarriageReturn:
            column_ = leftMargin_;
            return 1;
        case kBackspace:
            column_ = std::max(1, column_ - 1);
            return 1;
        case kLineFeed:
            LineDown(1);
            return 1;
        case kBell:
            sink_.Bell();
            return 1;
        case kSubstitute:
            Print(u'?');
            return 1;
        case kSetAttribute:
            if (left < 3) return Bad("set attribute cut off");
            return 3;
        case kClassPrefix:
            return ClassControl(data, at, count);
        case kTransparent: {
            if (left < 2) return Bad("transparent data cut off");
            const std::size_t n = data[at + 1];
            if (left - 2 < n) return Bad("transparent data longer than the record");
            for (std::size_t k = 0; k < n; ++k) Print(characters_[data[at + 2 + k]]);
            return 2 + n;
        }
        case kPresentationPosition: {
            if (left < 3) return Bad("presentation position cut off");
            const std::uint8_t type = data[at + 1];
            const int value = data[at + 2];
            switch (type) {
                case kAbsoluteHorizontal:
                    if (value < 1 || value > columns_) {
                        return Bad("absolute horizontal position " + std::to_string(value) +
                                   " off the page");
                    }
                    column_ = value;
                    return 3;
                case kRelativeHorizontal:
                    column_ = std::min(column_ + value, columns_ + 1);
                    return 3;
                case kAbsoluteVertical:
                    if (value < 1 || value > lines_) {
                        return Bad("absolute vertical position " + std::to_string(value) +
                                   " off the page");
                    }
                    // A line above the current one is on the next page.
                    if (value < line_) EmitPage();
                    line_ = value;
                    return 3;
                case kRelativeVertical:
                    LineDown(value);
                    return 3;
                default:
                    return Bad("presentation position of unknown type " + Hex(type));
            }
        }
        default:
            sink_.Ignored("control " + Hex(b));
            return 1;
    }
}

std::size_t ScsInterpreter::ClassControl(const std::uint8_t* data, std::size_t at,
                                         std::size_t count) {
    const std::size_t left = count - at;
    if (left < 3) return Bad("control 0x2B cut off");
    const std::uint8_t cls = data[at + 1];
    const std::size_t n = data[at + 2];
    if (n < 1) return Bad("control 0x2B " + Hex(cls) + " with count 0");
    if (left - 2 < n) return Bad("control 0x2B " + Hex(cls) + " longer than the record");
    const std::uint8_t* p = data + at + 3;
    const std::size_t np = n - 1;
    switch (cls) {
        case kSetHorizontalFormat:
            SetHorizontalFormat(p, np);
            break;
        case kSetVerticalFormat:
            SetVerticalFormat(p, np);
            break;
        case kSetLineDensity:
            if (np >= 1) {
                lpi_ = p[0] == 0 ? defaults_.linesPerInch
                                 : std::clamp(kPointsPerInch / p[0], kMinDensity, kMaxDensity);
            }
            break;
        case kSetCharacterDistance:
            if (np >= 3 && p[0] == kCharacterDistanceFunction) {
                const int d = (p[1] << 8) | p[2];
                if (d == 0) {
                    cpi_ = defaults_.charactersPerInch;
                } else if (d <= kLargestDensityValue) {
                    cpi_ = std::clamp(static_cast<double>(d), kMinDensity, kMaxDensity);
                } else {
                    cpi_ = std::clamp(kTwipsPerInch / d, kMinDensity, kMaxDensity);
                }
            }
            break;
        case kSetCodePage:
            if (np >= 5 && p[0] == kCodePageFunction) {
                codePage_ = (p[3] << 8) | p[4];
                if (codePages) {
                    if (const CharacterTable* table = codePages(codePage_)) characters_ = *table;
                }
            }
            break;
        case kSetGraphicErrorAction:
        default:
            // Undefined characters always print as the code page maps them.
            break;
    }
    return 2 + n;
}

void ScsInterpreter::SetHorizontalFormat(const std::uint8_t* p, std::size_t n) {
    hostFormat_ = true;
    const int mpp = n >= 1 ? p[0] : 0;
    columns_ = mpp == 0 ? std::clamp(defaults_.columns, 1, PrintedPage::kMaxColumns) : mpp;
    const int lm = n >= 2 ? p[1] : 0;
    leftMargin_ = lm >= 1 && lm <= columns_ ? lm : 1;
    const int rm = n >= 3 ? p[2] : 0;
    rightMargin_ = rm >= leftMargin_ && rm <= columns_ ? rm : 0;
    tabStops_.clear();
    for (std::size_t k = 3; k < n && tabStops_.size() < kMaxTabStops; ++k) {
        const int stop = p[k];
        if (stop >= 1 && stop <= columns_) tabStops_.push_back(stop);
    }
    std::sort(tabStops_.begin(), tabStops_.end());
    tabStops_.erase(std::unique(tabStops_.begin(), tabStops_.end()), tabStops_.end());
    column_ = std::max(column_, leftMargin_);
    if (!printed_) StartPage();
}

void ScsInterpreter::SetVerticalFormat(const std::uint8_t* p, std::size_t n) {
    hostFormat_ = true;
    const int mpl = n >= 1 ? p[0] : 0;
    lines_ = mpl == 0 ? std::clamp(defaults_.lines, 1, PrintedPage::kMaxLines) : mpl;
    const int tm = n >= 2 ? p[1] : 0;
    topMargin_ = tm >= 1 && tm <= lines_ ? tm : 1;
    const int bm = n >= 3 ? p[2] : 0;
    bottomMargin_ = bm >= topMargin_ && bm <= lines_ ? bm : 0;
    verticalTabStops_.clear();
    for (std::size_t k = 3; k < n && verticalTabStops_.size() < kMaxTabStops; ++k) {
        const int stop = p[k];
        if (stop >= 1 && stop <= lines_) verticalTabStops_.push_back(stop);
    }
    std::sort(verticalTabStops_.begin(), verticalTabStops_.end());
    line_ = std::max(line_, topMargin_);
    if (!printed_) StartPage();
}

void ScsInterpreter::Print(char16_t ch) {
    // Past the right margin the line goes on on the next line.
    if (column_ > LastColumn()) NewLine();
    // Control characters a code page maps bytes to print as blanks.
    if (ch < u' ' || (ch >= 0x7F && ch <= 0x9F)) ch = u' ';
    if (line_ >= 1 && line_ <= page_.lines && column_ >= 1 && column_ <= page_.columns) {
        page_.cells[static_cast<std::size_t>(line_ - 1) * static_cast<std::size_t>(page_.columns) +
                    static_cast<std::size_t>(column_ - 1)] = ch;
        if (ch != u' ') printed_ = true;
    }
    ++column_;
}

void ScsInterpreter::NewLine() {
    column_ = leftMargin_;
    LineDown(1);
}

void ScsInterpreter::LineDown(int count) {
    line_ += count;
    if (line_ > LastLine()) {
        EmitPage();
        line_ = topMargin_;
    }
}

void ScsInterpreter::FormFeed() {
    EmitPage();
    line_ = topMargin_;
    column_ = leftMargin_;
}

void ScsInterpreter::HorizontalTab() {
    const auto next = std::upper_bound(tabStops_.begin(), tabStops_.end(), column_);
    column_ = next != tabStops_.end() ? *next : column_ + 1;
}

void ScsInterpreter::VerticalTab() {
    const auto next = std::upper_bound(verticalTabStops_.begin(), verticalTabStops_.end(), line_);
    if (next != verticalTabStops_.end()) {
        line_ = *next;
    } else {
        LineDown(1);
    }
}

void ScsInterpreter::EmitPage() {
    // Marks overprinted with blanks may leave nothing to print after all.
    if (printed_ && !page_.Blank()) {
        page_.number = ++pageNumber_;
        page_.charactersPerInch = cpi_;
        page_.linesPerInch = lpi_;
        page_.hostFormat = hostFormat_;
        sink_.PageReady(page_);
    }
    StartPage();
}

void ScsInterpreter::StartPage() {
    page_.Reset(columns_, lines_);
    printed_ = false;
}

void ScsInterpreter::Clear() {
    printed_ = false;
    EndOfFile();
}

void ScsInterpreter::EndOfFile() {
    EmitPage();
    pageNumber_ = 0;
    columns_ = std::clamp(defaults_.columns, 1, PrintedPage::kMaxColumns);
    lines_ = std::clamp(defaults_.lines, 1, PrintedPage::kMaxLines);
    cpi_ = defaults_.charactersPerInch;
    lpi_ = defaults_.linesPerInch;
    hostFormat_ = false;
    leftMargin_ = topMargin_ = 1;
    rightMargin_ = bottomMargin_ = 0;
    tabStops_.clear();
    verticalTabStops_.clear();
    line_ = column_ = 1;
    StartPage();
}

}  // namespace quenlix::scs
