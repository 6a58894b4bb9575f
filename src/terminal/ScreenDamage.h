// What changed in the terminal model since the front end last painted it:
// the cells, row by row, the indicators, the cursor and the geometry. The
// model's verbs record it as they change things; the front end takes it when
// it paints (Terminal::TakeDamage) and paints the union of what it says. No
// caller has to remember which repaint a change needs.
#pragma once

#include <array>
#include <cstdint>

namespace quenlix {

/// The indicators of the row below the screen, and the system request line.
enum class Indicator : std::uint8_t {
    kMessage = 1,       ///< the message-waiting mark
    kShift = 2,         ///< the shift / caps lock mark
    kInsert = 4,        ///< the insert mark
    kInhibit = 8,       ///< "X-System": the keyboard lock
    kSysReqLine = 16,   ///< the system request line above the indicator row
    kReason = 32,       ///< the reason of a refused key
};

class ScreenDamage {
public:
    /// Rows a screen can have (27); the spans of more rows are not kept.
    static constexpr int kMaxRows = 27;

    /// Marks columns [left, right) of a 0-based row; out-of-range parts go.
    void Row(int row, int left, int right);
    /// Marks the linear positions [first, end) of a screen `columns` wide.
    void Span(int first, int end, int columns);
    /// One linear position.
    void Position(int pos, int columns) { Span(pos, pos + 1, columns); }
    /// Everything: every cell, every indicator, the background around them.
    void All() { all_ = true; }
    /// The screen's size changed: the front end fits its cells anew.
    void Geometry() { geometry_ = all_ = true; }
    /// The cursor moved or changed form: its old and new cells, the
    /// row/column indicator and the crosshair.
    void Cursor() { cursor_ = true; }
    void Mark(Indicator which) { indicators_ |= static_cast<std::uint8_t>(which); }

    bool all() const { return all_; }
    bool geometry() const { return geometry_; }
    bool cursor() const { return cursor_; }
    bool indicator(Indicator which) const {
        return (indicators_ & static_cast<std::uint8_t>(which)) != 0;
    }
    /// The dirty columns [left, right) of a row; left >= right when clean.
    struct Columns {
        std::int16_t left = 0;
        std::int16_t right = 0;
        bool empty() const { return right <= left; }
        friend bool operator==(const Columns&, const Columns&) = default;
    };
    Columns row(int row) const {
        return row >= 0 && row < kMaxRows ? rows_[static_cast<std::size_t>(row)] : Columns{};
    }
    /// True when any cell row is dirty.
    bool anyCells() const { return cells_; }
    bool empty() const { return !all_ && !cursor_ && indicators_ == 0 && !cells_; }

    /// Everything clean again.
    void Clear() { *this = ScreenDamage{}; }

    friend bool operator==(const ScreenDamage&, const ScreenDamage&) = default;

private:
    std::array<Columns, kMaxRows> rows_{};
    std::uint8_t indicators_ = 0;
    bool cells_ = false;
    bool all_ = false;
    bool geometry_ = false;
    bool cursor_ = false;
};

}  // namespace quenlix
