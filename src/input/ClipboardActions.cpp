// Copy text builder, the Copy and Paste commands.
#include "input/ClipboardActions.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "input/KeyRefusal.h"
#include "terminal/Languages.h"
#include "terminal/ScreenReading.h"
#include "terminal/StringTable.h"
#include "terminal/Utf8.h"

namespace quenlix {

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

/// The code point of one well-formed UTF-8 sequence.
char32_t DecodeUtf8(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    switch (s.size()) {
        case 1: return b(0);
        case 2: return (char32_t{b(0)} & 0x1F) << 6 | (b(1) & 0x3F);
        case 3: return (char32_t{b(0)} & 0x0F) << 12 | (char32_t{b(1)} & 0x3F) << 6 | (b(2) & 0x3F);
        default:
            return (char32_t{b(0)} & 0x07) << 18 | (char32_t{b(1)} & 0x3F) << 12 |
                   (char32_t{b(2)} & 0x3F) << 6 | (b(3) & 0x3F);
    }
}

/// What a paste puts for a typographic character of mail and office
/// documents; empty for any other.
std::string_view TypographicStandIn(char32_t ch) {
    switch (ch) {
        case 0x2018: case 0x2019: case 0x201A: case 0x2032:  // quotes, prime
            return "'";
        case 0x201C: case 0x201D: case 0x201E: case 0x2033:  // double quotes, double prime
            return "\"";
        case 0x2013: case 0x2014: case 0x2212:  // en and em dash, minus sign
            return "-";
        case 0x2026:  // ellipsis
            return "...";
        case 0x2022:  // bullet
            return "*";
        case 0x00A0: case 0x1680: case 0x202F: case 0x205F: case 0x3000:  // spaces
            return " ";
        default:
            return ch >= 0x2000 && ch <= 0x200A ? " " : std::string_view{};
    }
}

}  // namespace

std::string BuildCopyText(const Terminal& terminal, const CellRect& rect, bool trimBlankRight) {
    const int left = std::clamp(rect.left, 0, terminal.columns());
    const int right = std::clamp(rect.right, 0, terminal.columns());
    const int top = std::clamp(rect.top, 0, terminal.rows());
    const int bottom = std::clamp(rect.bottom, 0, terminal.rows());
    std::string text;
    if (right <= left || bottom <= top) return text;
    text.reserve(static_cast<std::size_t>((bottom - top) * (right - left + 2)));
    for (int row = top; row < bottom; ++row) {
        const std::size_t rowStart = text.size();
        for (int column = left; column < right; ++column) {
            text +=
                static_cast<char>(terminal.screen.at(terminal.PositionOf(row, column)).character);
        }
        // Trimming cuts this row's trailing blanks only: a blank row stays an
        // empty line, so every row of the selection keeps its line.
        if (trimBlankRight) {
            while (text.size() > rowStart && IsWhiteSpace(text.back())) text.pop_back();
        }
        text += kCopyLineEnd;
    }
    text.resize(text.size() - kCopyLineEnd.size());
    return text;
}

ClipboardActions::ClipboardActions(const InputLinks& links, FieldEditor& editor,
                                   Clipboard& clipboard, ClipboardOptions& options)
    : links_(links), t_(links.terminal), editor_(editor), clipboard_(clipboard),
      options_(options) {}

// The screen stays readable after the session ends (a replayed trace, the
// last screen of a closed session): copying it needs no connection.
bool ClipboardActions::CopyEnabled() const { return !t_.selection.empty(); }

bool ClipboardActions::PasteEnabled() {
    if (!t_.state.connected || !clipboard_.Open()) return false;
    const bool hasText = clipboard_.HasText();
    clipboard_.Close();
    return hasText;
}

void ClipboardActions::Copy() {
    if (!CopyEnabled()) return;
    if (!clipboard_.Open()) {
        links_.messages.ShowMessage(LoadString(kStrCannotOpenClipboard), MessageIcon::Exclamation);
        return;
    }
    if (!clipboard_.Empty()) {
        links_.messages.ShowMessage(LoadString(kStrCannotEmptyClipboard),
                                    MessageIcon::Exclamation);
        clipboard_.Close();
        return;
    }
    const std::string text = Charset().ToUtf8(BuildCopyText(t_, t_.selection, options_.TrimBlankRight != 0));
    if (!clipboard_.SetText(text)) {
        links_.messages.ShowMessage(LoadString(kStrCannotSetClipboard), MessageIcon::None);
    }
    clipboard_.Close();
}

void ClipboardActions::Paste() {
    if (!t_.state.connected) return;
    if (!clipboard_.Open()) {
        links_.messages.ShowMessage(LoadString(kStrCannotOpenClipboard), MessageIcon::Exclamation);
        return;
    }
    const std::optional<std::string> text = clipboard_.GetText();
    clipboard_.Close();
    if (!text) {
        links_.messages.ShowMessage(LoadString(kStrCannotGetClipboard), MessageIcon::Exclamation);
        return;
    }
    PasteUtf8(*text);
}

const PcCharset& ClipboardActions::Charset() const {
    return PcCharset::ForCodePage(links_.settings.PageCode);
}

int ClipboardActions::MaxPasteCharacters() const {
    return 4 * (t_.cellCount() + 2 * t_.rows());
}

std::size_t ClipboardActions::PasteUtf8(std::string_view utf8) {
    const PcCharset& charset = Charset();
    const int limit = MaxPasteCharacters();
    std::string pc;
    pc.reserve(std::min<std::size_t>(utf8.size(), static_cast<std::size_t>(limit)));
    std::size_t at = 0;
    int characters = 0;
    for (; at < utf8.size() && characters < limit; ++characters) {
        const Utf8Piece piece = NextUtf8Piece(utf8, at);
        const char32_t ch = piece.wellFormed ? DecodeUtf8(utf8.substr(at, piece.length)) : 0;
        at += piece.length;
        if (ch == '\r' || ch == '\n' || ch == '\t') {
            pc += static_cast<char>(ch);
            continue;
        }
        // The typographic characters go as what they stand for even where a
        // page has one of them (a non-breaking space): the host is meant to
        // read the plain character the operator sees.
        if (const std::string_view stand = TypographicStandIn(ch); !stand.empty()) {
            for (const char c : stand) {
                pc += editor_.IsDataCharacter(static_cast<std::uint8_t>(c)) ? c : kUnpasteable;
            }
            continue;
        }
        const std::optional<std::uint8_t> b = charset.FromUnicode(ch);
        pc += b && ch >= 0x20 && editor_.IsDataCharacter(*b) ? static_cast<char>(*b) : kUnpasteable;
    }
    // What lies beyond the limit is counted, never looked at further.
    std::size_t beyond = 0;
    for (std::size_t k = at; k < utf8.size(); ++k) {
        if ((static_cast<unsigned char>(utf8[k]) & 0xC0) != 0x80) ++beyond;
    }
    pastedBeyond_ = beyond;
    const std::size_t used = PasteText(pc);
    pastedBeyond_ = 0;
    return used;
}

void ClipboardActions::OfferSelection() {
    if (t_.selection.empty() || !clipboard_.SupportsSelection()) return;
    clipboard_.SetSelectionText(
        Charset().ToUtf8(BuildCopyText(t_, t_.selection, options_.TrimBlankRight != 0)));
}

void ClipboardActions::PasteSelection() {
    if (!t_.state.connected || !clipboard_.SupportsSelection()) return;
    const std::optional<std::string> text = clipboard_.GetSelectionText();
    if (text) PasteUtf8(*text);
}

std::string ClipboardActions::FieldName(int index) const {
    const FieldReading field = ReadField(t_, ReadableText(t_), index);
    if (!field.label.empty()) return field.label;
    return "Field at row " + std::to_string(field.row + 1) + " column " +
           std::to_string(field.column + 1);
}

std::size_t ClipboardActions::PasteText(std::string_view pcText) {
    // The cursor sits on the system request line in that mode; the text has
    // no field to go to there.
    if (t_.state.sysReqMode) return 0;
    const int columns = t_.columns();
    const int rows = t_.rows();
    const int count = t_.cellCount();
    if (columns <= 0 || rows <= 0 || count <= 0) return 0;
    ClearRefusal(links_);  // a new action of the operator's

    // First where each character lands; nothing is written until every
    // field's part of the text is known to be accepted whole. The landing
    // positions only grow, so the list never outgrows the screen.
    struct Landing {
        int pos;
        std::uint8_t character;
    };
    std::vector<Landing> landings;
    const int startColumn = t_.CursorColumn();
    int row = t_.CursorRow();
    int p = t_.CursorPosition();
    std::size_t unplaced = pastedBeyond_;
    std::size_t used = 0;
    while (used < pcText.size() && row < rows) {
        const auto c = static_cast<std::uint8_t>(pcText[used++]);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && used < pcText.size() && pcText[used] == '\n') ++used;
            // A row below the screen takes nothing: the paste ends with the
            // line break that leaves it, however many follow.
            if (++row >= rows) break;
            p = row * columns + startColumn;
            continue;
        }
        if (p - row * columns >= columns) {  // past the row's end
            ++unplaced;
            continue;
        }
        if (c == '\t') {
            const int next = editor_.NextFieldStart(p);
            if (next < 0 || next <= p) {
                // No field further on: what follows on this line has no place.
                p = row * columns + columns;
                continue;
            }
            p = next;
            row = p / columns;
            continue;
        }
        landings.push_back({p, c});
        ++p;
    }
    for (std::size_t k = used; k < pcText.size(); ++k) {
        if (pcText[k] != '\r' && pcText[k] != '\n') ++unplaced;
    }

    // A field with one refused character keeps what it held: the first
    // refusal is its reason. Cells of no input field (protected text,
    // attributes, bypass fields) take nothing and count as not placed.
    const auto inputFieldOf = [this](int pos) {
        const ScreenCell& cell = t_.screen.at(pos);
        const FieldEntry* e = cell.inField ? t_.formatTable.entry(cell.fieldIndex) : nullptr;
        return e != nullptr && !e->bypass ? cell.fieldIndex : -1;
    };
    std::map<int, std::string_view> refused;
    std::vector<int> refusedInOrder;
    for (const Landing& l : landings) {
        const int index = inputFieldOf(l.pos);
        if (index < 0) {
            ++unplaced;
            continue;
        }
        if (refused.contains(index)) continue;
        if (const std::string_view why = editor_.WhyRefused(l.pos, l.character); !why.empty()) {
            refused.emplace(index, why);
            refusedInOrder.push_back(index);
        }
    }

    int w = -1;
    bool changed = false;
    for (const Landing& l : landings) {
        const int index = inputFieldOf(l.pos);
        if (index < 0 || refused.contains(index)) continue;
        changed |= IsAttributePosition(t_.screen.at(l.pos));
        editor_.WriteCharacter(l.pos, l.character);
        t_.state.operatorModified = 1;  // a paste is typing
        w = l.pos;
    }

    // The cursor ends after the last cell written; a paste that wrote
    // nothing leaves it where it was.
    if (w >= 0) {
        t_.SetCursorPosition(w + 1 >= count ? 0 : w + 1);
        links_.input.fieldExitPending = false;  // the cursor left the position typed last
    }
    if (changed) t_.Restyle();
    std::string report;
    for (const int index : refusedInOrder) {
        if (!report.empty()) report += "; ";
        report += FieldName(index) + " left unchanged: " + std::string(PasteRule(refused[index]));
    }
    if (unplaced > 0) {
        if (!report.empty()) report += "; ";
        report += std::to_string(unplaced) + (unplaced == 1 ? " character" : " characters") +
                  " not placed";
    }
    if (!report.empty()) RefuseKey(links_, "Paste: " + report);
    return used;
}

void ClipboardActions::ToggleTrimBlankRight() {
    options_.TrimBlankRight = options_.TrimBlankRight ? 0 : 1;
}

}  // namespace quenlix
