// Whether a damage record covers everything that changed on the glass: the
// look of every cell, the cursor, the indicators. A change the record leaves
// out is a change the window never paints. Used by tests and the fuzzers.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "terminal/TerminalState.h"

namespace quenlix::testing {

/// What the painter shows of a terminal.
struct VisibleScreen {
    std::vector<ScreenCell> cells;
    int columns = 0;
    int rows = 0;
    int cursorX = 0;
    int cursorY = 0;
    int inhibited = 0;
    int message = 0;
    int insert = 0;
    int sysReq = 0;
    std::string reason;
    std::string notice;
};

inline VisibleScreen Visible(const Terminal& t) {
    const auto cells = t.screen.inUse();
    return {{cells.begin(), cells.end()},
            t.columns(),
            t.rows(),
            t.state.cursorX,
            t.state.cursorY,
            t.state.inputInhibited,
            t.state.messageWaiting,
            t.state.insertMode,
            t.state.sysReqMode,
            t.state.refusedReason,
            t.state.connectionNotice};
}

inline bool LooksDifferent(const ScreenCell& a, const ScreenCell& b) {
    return a.character != b.character || a.reverse != b.reverse || a.selected != b.selected ||
           a.blink != b.blink || a.underline != b.underline || a.foreground != b.foreground ||
           a.background != b.background;
}

/// Empty when `damage` covers every visible change from `before` to `after`;
/// otherwise the first change it misses.
inline std::string MissedDamage(const VisibleScreen& before, const Terminal& after,
                                const ScreenDamage& damage) {
    if (damage.all()) return {};
    if (after.columns() != before.columns || after.rows() != before.rows) {
        return "the geometry changed without being recorded";
    }
    if ((after.state.cursorX != before.cursorX || after.state.cursorY != before.cursorY) &&
        !damage.cursor()) {
        return "the cursor moved without being recorded";
    }
    struct Flag {
        int was, is;
        Indicator which;
        const char* name;
    };
    const Flag flags[] = {
        {before.inhibited, after.state.inputInhibited, Indicator::kInhibit, "keyboard lock"},
        {before.message, after.state.messageWaiting, Indicator::kMessage, "message light"},
        {before.insert, after.state.insertMode, Indicator::kInsert, "insert mode"},
        {before.sysReq, after.state.sysReqMode, Indicator::kSysReqLine, "system request"},
        {before.reason != after.state.refusedReason, 0, Indicator::kReason, "refusal reason"},
    };
    for (const Flag& f : flags) {
        if (f.was != f.is && !damage.indicator(f.which)) {
            return std::string("the ") + f.name + " changed without being recorded";
        }
    }
    if (before.notice != after.state.connectionNotice) {
        return "the connection notice changed without a whole repaint";
    }
    const auto now = after.screen.inUse();
    const int columns = std::max(after.columns(), 1);
    for (std::size_t p = 0; p < now.size() && p < before.cells.size(); ++p) {
        if (!LooksDifferent(before.cells[p], now[p])) continue;
        const int row = static_cast<int>(p) / columns;
        const int column = static_cast<int>(p) % columns;
        const ScreenDamage::Columns dirty = damage.row(row);
        if (column < dirty.left || column >= dirty.right) {
            return "row " + std::to_string(row + 1) + " column " + std::to_string(column + 1) +
                   " changed without being recorded";
        }
    }
    return {};
}

}  // namespace quenlix::testing
