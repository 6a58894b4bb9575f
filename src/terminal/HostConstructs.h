// What the host built with the enhanced interface: windows with their
// borders, title and footer, whether the cursor is kept inside the last
// one, selection fields and scroll bars. Bounded: a host cannot make the
// terminal keep more than kMaxWindows, kMaxSelectionFields and
// kMaxScrollBars of them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "terminal/SelectionField.h"

namespace quenlix {

/// A window: the rectangle of its border (rows and columns from 1, the
/// border included) and the words on its border, in PC characters.
struct HostWindow {
    static constexpr std::size_t kMaxTextLength = 132;
    int row = 0;     ///< the top border's row
    int column = 0;  ///< the left border's column
    int depth = 0;   ///< rows inside the border
    int width = 0;   ///< columns inside the border
    bool pullDown = false;
    std::string title;
    std::string footer;
    int titleColumn = 0;   ///< where the title starts on the top border
    int footerColumn = 0;  ///< where the footer starts on the bottom border

    int lastRow() const { return row + depth + 1; }
    int lastColumn() const { return column + width + 1; }
    /// True for a position (from 1) inside the border.
    bool Inside(int r, int c) const {
        return r > row && r < lastRow() && c > column && c < lastColumn();
    }
    /// True for a position of the border that holds a border character,
    /// not the title's or the footer's text.
    bool Frame(int r, int c) const {
        if (r < row || r > lastRow() || c < column || c > lastColumn()) return false;
        if (r == row) return !InText(c, titleColumn, title.size());
        if (r == lastRow()) return !InText(c, footerColumn, footer.size());
        return c == column || c == lastColumn();
    }

private:
    static bool InText(int c, int first, std::size_t length) {
        return length > 0 && c >= first && c < first + static_cast<int>(length);
    }
};

class HostConstructs {
public:
    static constexpr std::size_t kMaxWindows = 16;
    /// A screen of the widest size holds no more than this many choices'
    /// rows worth showing; a host asking for more is refused.
    static constexpr std::size_t kMaxSelectionFields = 32;
    static constexpr std::size_t kMaxScrollBars = 16;

    /// Adds a window; false (nothing kept) when kMaxWindows are there.
    bool AddWindow(const HostWindow& window) {
        if (windows_.size() >= kMaxWindows) return false;
        windows_.push_back(window);
        return true;
    }
    /// Removes the window last created; the cursor is free again when it
    /// was kept in it.
    void RemoveLastWindow() {
        if (windows_.empty()) return;
        windows_.pop_back();
        cursorRestricted_ = false;
    }
    void Clear() {
        windows_.clear();
        selectionFields_.clear();
        scrollBars_.clear();
        cursorRestricted_ = false;
    }
    const std::vector<HostWindow>& windows() const { return windows_; }
    /// True for a window's border position that holds a border character.
    bool IsFrame(int row, int column) const {
        for (const HostWindow& w : windows_) {
            if (w.Frame(row, column)) return true;
        }
        return false;
    }

    /// The cursor is kept inside the last window's border.
    void RestrictCursor(bool on) { cursorRestricted_ = on && !windows_.empty(); }
    bool cursorRestricted() const { return cursorRestricted_; }
    /// The window the cursor is kept in, nullptr when it is free.
    const HostWindow* cursorWindow() const {
        return cursorRestricted_ && !windows_.empty() ? &windows_.back() : nullptr;
    }

    /// Adds a selection field, replacing one defined at the same place;
    /// false (nothing kept) when kMaxSelectionFields others are there.
    bool AddSelectionField(const SelectionField& field) {
        for (SelectionField& f : selectionFields_) {
            if (f.row == field.row && f.column == field.column) {
                f = field;
                return true;
            }
        }
        if (selectionFields_.size() >= kMaxSelectionFields) return false;
        selectionFields_.push_back(field);
        return true;
    }
    /// Removes the selection field defined at a place (from 1), else the
    /// one last defined; false when there was none.
    bool RemoveSelectionField(int row, int column) {
        return RemoveAt(selectionFields_, row, column);
    }
    const std::vector<SelectionField>& selectionFields() const { return selectionFields_; }
    SelectionField* selectionField(int index) {
        return index >= 0 && static_cast<std::size_t>(index) < selectionFields_.size()
                   ? &selectionFields_[static_cast<std::size_t>(index)]
                   : nullptr;
    }
    /// The selection field with a choice at a position (from 1), -1 none.
    int SelectionFieldAt(int row, int column) const {
        for (std::size_t k = 0; k < selectionFields_.size(); ++k) {
            if (selectionFields_[k].ChoiceAt(row, column) >= 0) return static_cast<int>(k);
        }
        return -1;
    }

    /// Adds a scroll bar, replacing one at the same place; false when
    /// kMaxScrollBars others are there.
    bool AddScrollBar(const HostScrollBar& bar) {
        for (HostScrollBar& b : scrollBars_) {
            if (b.row == bar.row && b.column == bar.column) {
                b = bar;
                return true;
            }
        }
        if (scrollBars_.size() >= kMaxScrollBars) return false;
        scrollBars_.push_back(bar);
        return true;
    }
    bool RemoveScrollBar(int row, int column) { return RemoveAt(scrollBars_, row, column); }
    const std::vector<HostScrollBar>& scrollBars() const { return scrollBars_; }
    /// The scroll bar over a position (from 1), nullptr none.
    const HostScrollBar* ScrollBarAt(int row, int column) const {
        for (const HostScrollBar& b : scrollBars_) {
            if (b.Covers(row, column)) return &b;
        }
        return nullptr;
    }

private:
    template <typename T>
    static bool RemoveAt(std::vector<T>& items, int row, int column) {
        if (items.empty()) return false;
        for (auto it = items.begin(); it != items.end(); ++it) {
            if (it->row == row && it->column == column) {
                items.erase(it);
                return true;
            }
        }
        items.pop_back();
        return true;
    }

    std::vector<HostWindow> windows_;
    std::vector<SelectionField> selectionFields_;
    std::vector<HostScrollBar> scrollBars_;
    bool cursorRestricted_ = false;
};

}  // namespace quenlix
