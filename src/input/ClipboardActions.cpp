// Copy text builder, the Copy and Paste commands.
#include "input/ClipboardActions.h"

#include <algorithm>
#include <cstring>

#include "terminal/StringTable.h"

namespace quenlix {

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
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
        for (int column = left; column < right; ++column) {
            text += static_cast<char>(terminal.screen.at(terminal.PositionOf(column, row)).character);
        }
        if (trimBlankRight) {
            while (!text.empty() && IsWhiteSpace(text.back())) text.pop_back();
        }
        text += "\r\n";
    }
    text.resize(text.size() - 2);
    return text;
}

ClipboardActions::ClipboardActions(const InputLinks& links, FieldEditor& editor,
                                   Clipboard& clipboard, ClipboardOptions& options)
    : links_(links), t_(links.terminal), editor_(editor), clipboard_(clipboard),
      options_(options) {}

bool ClipboardActions::CopyEnabled() const { return t_.state.connected && !t_.selection.empty(); }

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
    const std::string text = BuildCopyText(t_, t_.selection, options_.TrimBlankRight != 0);
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
    PasteText(*text);
}

void ClipboardActions::OfferSelection() {
    if (t_.selection.empty() || !clipboard_.SupportsSelection()) return;
    clipboard_.SetSelectionText(BuildCopyText(t_, t_.selection, options_.TrimBlankRight != 0));
}

void ClipboardActions::PasteSelection() {
    if (!t_.state.connected || !clipboard_.SupportsSelection()) return;
    const std::optional<std::string> text = clipboard_.GetSelectionText();
    if (text) PasteText(*text);
}

std::size_t ClipboardActions::PasteText(std::string_view pcText) {
    // The cursor sits on the system request line in that mode; the text has
    // no field to go to there.
    if (t_.state.sysReqMode) return 0;
    const int columns = t_.columns();
    const int rows = t_.rows();
    const int count = t_.cellCount();
    if (columns <= 0 || rows <= 0 || count <= 0) return 0;
    pcText = pcText.substr(0, std::min(pcText.find('\0'), pcText.size()));

    const int startColumn = t_.CursorColumn();
    int row = t_.CursorRow();
    int p = t_.CursorPosition();
    int w = p;
    bool changed = false;
    const auto put = [&](std::uint8_t c) {
        if (!editor_.Validate(p, c)) return;
        changed |= IsAttributePosition(t_.screen.at(p));
        editor_.WriteCharacter(p, c);
        w = p;
    };

    std::size_t used = 0;
    while (used < pcText.size() && row < rows) {
        const auto c = static_cast<std::uint8_t>(pcText[used++]);
        if (c == '\r') {
            // A row below the screen takes nothing: the paste ends with the
            // line break that leaves it, however many follow.
            if (++row >= rows) break;
            p = row * columns + startColumn;
            if (used < pcText.size()) ++used;  // the character after CR, whatever it is
            continue;
        }
        if (p - row * columns >= columns) continue;  // past the row's end
        if (c == '\t') {
            for (int k = 0; k < options_.NbrTabSpace && p - row * columns < columns; ++k) {
                put(' ');
                ++p;
            }
        } else {
            put(c);
            ++p;
        }
    }

    links_.view.InvalidateCursor();
    t_.SetCursorPosition(w + 1 >= count ? 0 : w + 1);
    links_.view.InvalidateCursor();
    if (changed) t_.Restyle();
    links_.view.InvalidateView();
    return used;
}

void ClipboardActions::ToggleTrimBlankRight() {
    options_.TrimBlankRight = options_.TrimBlankRight ? 0 : 1;
}

}  // namespace quenlix
