// What the host built with the enhanced interface: windows with their
// borders, title and footer, and whether the cursor is kept inside the
// last one. Bounded: a host cannot make the terminal keep more than
// kMaxWindows of them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

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

private:
    std::vector<HostWindow> windows_;
    bool cursorRestricted_ = false;
};

}  // namespace quenlix
