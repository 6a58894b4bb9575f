// ScreenPainter: the paint pass, the "X-System" repaint and the blink step.
#include "display/ScreenPainter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <span>

#include "display/ViewLayout.h"
#include "terminal/SelectionAnswer.h"

namespace quenlix {

namespace {

// Cells carry colour indexes; a value outside the table (never set by
// Restyle) paints green rather than reading past the table.
Color ColorAt(const ColorTable& colors, int index) {
    return index >= 0 && index < static_cast<int>(colors.size()) ? colors[index]
                                                                 : colors[kColorGreen];
}

// 0.01 mm to pixels, rounded to the nearest pixel; a nonsensical size is 0.
int PictureExtent(int himetric, int dotsPerInch) {
    if (himetric <= 0 || dotsPerInch <= 0) return 0;
    const long long pixels = (static_cast<long long>(himetric) * dotsPerInch + 1270) / 2540;
    return static_cast<int>(std::min<long long>(pixels, 1 << 20));
}

PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// Draws the tiles of a w x h grid anchored at the area's top-left corner that
// meet the clip, each once. Stepping through the whole area and leaving the
// rest to the clip would hand a 1-pixel picture to the canvas for every pixel
// of the window on every keystroke.
void PaintTiles(Canvas& canvas, const BackgroundPicture& picture, const PixelRect& area, int w,
                int h, std::span<const PixelRect> clip) {
    struct TileSpan {  // tile indexes, ends exclusive
        int x0, y0, x1, y1;
        bool Holds(int i, int j) const { return i >= x0 && i < x1 && j >= y0 && j < y1; }
    };
    std::array<TileSpan, PaintRegion::kMaxRects> drawn{};
    std::size_t drawnCount = 0;
    for (const PixelRect& rect : clip) {
        const PixelRect c = Intersection(rect, area);
        if (IsEmpty(c)) continue;
        const TileSpan span{(c.left - area.left) / w, (c.top - area.top) / h,
                            (c.right - 1 - area.left) / w + 1, (c.bottom - 1 - area.top) / h + 1};
        for (int i = span.x0; i < span.x1; ++i) {  // columns are the outer loop
            for (int j = span.y0; j < span.y1; ++j) {
                bool seen = false;
                for (std::size_t k = 0; k < drawnCount && !seen; ++k) seen = drawn[k].Holds(i, j);
                if (seen) continue;
                const int x = area.left + i * w;
                const int y = area.top + j * h;
                canvas.DrawPicture(picture, {x, y, x + w, y + h});
            }
        }
        // Past the capacity a tile under two rectangles may be drawn twice,
        // which only costs time.
        if (drawnCount < drawn.size()) drawn[drawnCount++] = span;
    }
}

// `clip` is the restriction the canvas has been given; nothing outside it shows.
void PaintBackground(Canvas& canvas, const PaintState& state, const ColorTable& colors,
                     const PixelRect& area, std::span<const PixelRect> clip) {
    const Color solid = colors[kColorBackground];
    const BackgroundPicture* picture = state.backgroundActive ? state.picture : nullptr;
    if (picture == nullptr) {
        canvas.FillRect(area, solid);
        return;
    }
    const int w = PictureExtent(picture->widthHimetric, canvas.DotsPerInchX());
    const int h = PictureExtent(picture->heightHimetric, canvas.DotsPerInchY());
    switch (state.backgroundMode) {
        case kBackgroundTiled:
            // A picture that comes out 0 pixels wide or high cannot be stepped
            // through; the view shows the solid colour instead.
            if (w <= 0 || h <= 0) {
                canvas.FillRect(area, solid);
                return;
            }
            PaintTiles(canvas, *picture, area, w, h, clip);
            return;
        case kBackgroundCentered: {
            canvas.FillRect(area, solid);
            const int x = std::max(0, (area.right - area.left - w) / 2);
            const int y = std::max(0, (area.bottom - area.top - h) / 2);
            canvas.DrawPicture(*picture,
                               {area.left + x, area.top + y, area.left + x + w, area.top + y + h});
            return;
        }
        case kBackgroundStretched:
            canvas.DrawPicture(*picture, area);
            return;
        default:
            // An unknown stored mode shows the solid colour, so nothing stale
            // from an earlier pass shows through under the cells.
            canvas.FillRect(area, solid);
            return;
    }
}

// True when no cell shows anything: no character, no reverse fill.
bool ScreenIsBlank(const Terminal& terminal) {
    for (const ScreenCell& cell : terminal.screen.inUse()) {
        if (cell.character != ' ' || cell.reverse) return false;
    }
    return true;
}

// The drawing steps shared by the window and paper, all in screen
// coordinates shifted by the horizontal offset on the way to the canvas.
class Pass {
public:
    Pass(const Terminal& terminal, const PaintState& state, Canvas& canvas)
        : t_(terminal),
          s_(state),
          canvas_(canvas),
          m_(terminal),
          paper_(state.target == PaintTarget::Paper),
          ox_(state.horizontalOffset),
          charset_(state.charset != nullptr ? *state.charset : PcCharset::ForCodePage(0)),
          dimmed_(!paper_ && !terminal.state.connected && !terminal.state.connectionNotice.empty() &&
                  !ScreenIsBlank(terminal)) {}

    /// The host's last screen is kept after it went: drawn dimmed, with the
    /// notice on the system request line.
    bool dimmed() const { return dimmed_; }

    // Fills, characters and lines that would fall wholly outside the region
    // are not even handed to the canvas, whose clip would discard them: a
    // keystroke repaint then costs a handful of calls, not one per cell.
    // region: null (paper) visits every cell.
    void CellFills(const PaintRegion* region) {
        ForEachCell(region, [&](const ScreenCell& cell, const PixelRect& rect) {
            if (cell.reverse) {
                canvas_.FillRect(rect, paper_ ? kBlack : Dim(ColorAt(t_.colors, cell.foreground)));
            }
        });
        if (!t_.selection.empty()) canvas_.FillRect(SelectionPixels(), Ink(kColorGreen));
    }

    void Characters(const PaintRegion* region) {
        const bool hideBlinking = s_.honourBlink && !s_.blinkPhaseOn;
        const PixelRect selection = SelectionPixels();
        const bool framed = !t_.constructs.windows().empty();
        ForEachCell(region, [&](const ScreenCell& cell, const PixelRect& rect) {
            if (hideBlinking && cell.blink) return;
            if (cell.character == ' ') return;
            // A window's border characters give way to its drawn frame.
            const int row = rect.top / m_.H + 1, column = (rect.left - ox_) / m_.W + 1;
            if (framed && t_.constructs.IsFrame(row, column)) return;
            const char32_t ch = charset_.ToUnicode(cell.character);
            if (const std::optional<Color> under = SolidUnder(cell, rect, selection)) {
                canvas_.DrawCharOver(rect.left, rect.top, ch, TextColor(cell), *under);
            } else {
                canvas_.DrawChar(rect.left, rect.top, ch, TextColor(cell));
            }
        });
        // Underlines ignore blinking: a hidden blinking cell keeps its line.
        ForEachCell(region, [&](const ScreenCell& cell, const PixelRect& rect) {
            if (!cell.underline) return;
            canvas_.DrawLine({rect.left, rect.bottom - 1}, {rect.right, rect.bottom - 1},
                             TextColor(cell));
        });
    }

    // Each window of the host's a frame through the middle of its border
    // cells, open where the title and the footer stand.
    void WindowFrames() {
        const Color ink = Ink(kColorBlue);
        for (const HostWindow& w : t_.constructs.windows()) {
            const int left = CenterX(w.column), right = CenterX(w.lastColumn());
            const int top = CenterY(w.row), bottom = CenterY(w.lastRow());
            canvas_.DrawLine({left, top}, {left, bottom}, ink);
            canvas_.DrawLine({right, top}, {right, bottom}, ink);
            Edge(top, left, right, w.titleColumn, w.title.size(), ink);
            Edge(bottom, left, right, w.footerColumn, w.footer.size(), ink);
        }
    }

    // The host's selection fields drawn as choices over their text: a radio
    // button or a check box where the number stands, the chosen choices
    // marked and their text highlighted, push buttons as raised boxes,
    // unavailable choices dimmed.
    void SelectionFields() {
        const Color back = paper_ ? kWhite : t_.colors[kColorBackground];
        const Color mark = Ink(kColorWhite);
        const Color frame = Ink(kColorBlue);
        const Color highlight = Ink(kColorTurquoise);
        const auto& fields = t_.constructs.selectionFields();
        for (const SelectionField& f : fields) {
            const std::vector<bool> chosenOnes = ChosenChoices(t_, f);
            for (std::size_t k = 0; k < f.choices.size(); ++k) {
                const SelectionChoice& c = f.choices[k];
                const bool unavailable = c.state == ChoiceState::kUnavailable;
                const bool chosen = !unavailable && chosenOnes[k];
                const int row = c.row - 1;
                if (row < 0 || row >= m_.R) continue;
                int textColumn = c.column - 1 + f.indicatorWidth;
                if (f.indicatorWidth > 0) {
                    const PixelRect first = CellPixels(row, c.column - 1);
                    const PixelRect last = CellPixels(row, c.column - 1 + f.indicatorWidth - 1);
                    canvas_.FillRect({first.left, first.top, last.right, last.bottom}, back);
                    Indicator(first, f.multiple(), chosen, unavailable ? frame : mark);
                }
                if (f.buttons()) {
                    const PixelRect left = CellPixels(row, c.column - 1);
                    const PixelRect right = CellPixels(row, c.column - 1 + c.width - 1);
                    canvas_.FillRect(left, back);
                    canvas_.FillRect(right, back);
                    const int x0 = left.left + m_.W / 2, x1 = right.right - m_.W / 2;
                    const int y0 = left.top + 1, y1 = left.bottom - 2;
                    canvas_.DrawLine({x0, y0}, {x1, y0}, unavailable ? frame : mark);
                    canvas_.DrawLine({x0, y0}, {x0, y1}, unavailable ? frame : mark);
                    canvas_.DrawLine({x1, y0}, {x1, y1}, frame);
                    canvas_.DrawLine({x0, y1}, {x1, y1}, frame);
                    ++textColumn;
                }
                if (!chosen || f.buttons()) continue;
                // The chosen choice's text in the background colour on the
                // highlight, as a selected item reads in any list.
                for (int i = 0; i < f.textWidth && textColumn + i < m_.C; ++i) {
                    const int column = textColumn + i;
                    const PixelRect rect = CellPixels(row, column);
                    canvas_.FillRect(rect, highlight);
                    const ScreenCell& cell = t_.screen.at(row * m_.C + column);
                    if (cell.character == ' ') continue;
                    canvas_.DrawCharOver(rect.left, rect.top, charset_.ToUnicode(cell.character),
                                         back, highlight);
                }
            }
        }
    }

    // The host's scroll bars: a shaft with an arrow at either end and the
    // slider where the host says its list stands.
    void ScrollBars() {
        const Color shaft = Ink(kColorBlue);
        const Color ink = Ink(kColorWhite);
        for (const HostScrollBar& b : t_.constructs.scrollBars()) {
            const int slider = b.SliderCell();
            for (int i = 0; i < b.size; ++i) {
                const int row = (b.horizontal ? b.row : b.row + i) - 1;
                const int column = (b.horizontal ? b.column + i : b.column) - 1;
                if (row < 0 || row >= m_.R || column < 0 || column >= m_.C) continue;
                const PixelRect r = CellPixels(row, column);
                const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
                const int dx = std::max(1, m_.W / 3), dy = std::max(1, m_.H / 4);
                canvas_.FillRect(r, paper_ ? kWhite : t_.colors[kColorBackground]);
                if (i == 0 || i == b.size - 1) {
                    // An arrow pointing out of the bar.
                    const bool first = i == 0;
                    std::array<PixelPoint, 4> arrow;
                    if (b.horizontal) {
                        const int tip = first ? cx - dx : cx + dx, base = first ? cx + dx : cx - dx;
                        arrow = {PixelPoint{base, cy - dy}, PixelPoint{tip, cy}, PixelPoint{base, cy + dy},
                                 PixelPoint{base, cy - dy}};
                    } else {
                        const int tip = first ? cy - dy : cy + dy, base = first ? cy + dy : cy - dy;
                        arrow = {PixelPoint{cx - dx, base}, PixelPoint{cx, tip}, PixelPoint{cx + dx, base},
                                 PixelPoint{cx - dx, base}};
                    }
                    canvas_.DrawPolyline(arrow, ink);
                } else if (i == slider) {
                    canvas_.FillRect({r.left + 2, r.top + 1, r.right - 2, r.bottom - 1}, ink);
                } else {
                    canvas_.FillRect({cx - 1, r.top, cx + 1, r.bottom}, shaft);
                }
            }
        }
    }

    void IndicatorRow() {
        const Color ink = Ink(kColorGreen);
        if (t_.state.messageWaiting) Polyline(MessageMarkPoints(m_), ink);
        if (s_.shiftDown || s_.capsLock) Polyline(ShiftMarkPoints(m_), ink);
        if (t_.state.insertMode) {
            // Two pixels wide, so the caret reads at any cell size.
            std::array<PixelPoint, 3> caret = InsertMarkPoints(m_);
            Polyline(caret, ink);
            for (PixelPoint& p : caret) ++p.x;
            Polyline(caret, ink);
        }
        Separator(m_.T, ink);
    }

    // Why the host ended the session, over the blank screen: the notice on
    // the middle row and how to go on below it, each centred, one character
    // to a cell.
    void ConnectionNotice() {
        const std::string& notice = t_.state.connectionNotice;
        const int row = std::max(0, m_.R / 2 - 1);
        NoticeLine(row, notice);
        NoticeLine(row + 2, kReconnectHint);
    }

    // Over the kept screen nothing is covered: the notice stands on the
    // system request line, and how to go on at its right end.
    void DimmedScreenNotice() {
        const Color ink = Ink(kColorWhite);
        Separator(m_.T - 2, ink);
        const std::string_view hint = kReconnectHintShort;
        const int hintColumn = std::max(0, m_.C - static_cast<int>(hint.size()));
        const std::string_view notice = t_.state.connectionNotice;
        const std::size_t room = static_cast<std::size_t>(std::max(0, hintColumn - 2));
        LineText(m_.R, 0, notice.substr(0, std::min(room, notice.size())), ink);
        LineText(m_.R, hintColumn, hint, Ink(kColorYellow));
    }

    // How to connect a loaded session, over the blank screen of no connection.
    void IdleHint() {
        std::string_view rest = s_.idleHint;
        int row = std::max(0, m_.R / 2 - 1);
        while (!rest.empty() && row < m_.R) {
            const std::size_t end = rest.find('\n');
            NoticeLine(row, rest.substr(0, end));
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
            row += 2;
        }
    }

    void InhibitText() { canvas_.DrawText(20 * m_.W + ox_, m_.T + 2, "X-System", Ink(kColorBlue)); }

    // Why the last key was refused, after "X-System" and short of the
    // row/column indicator.
    void RefusedReason() {
        const std::string& reason = t_.state.refusedReason;
        const int room = m_.C - 7 - kRefusedReasonColumn - 1;
        if (reason.empty() || room <= 0) return;
        const std::string_view shown =
            std::string_view(reason).substr(0, static_cast<std::size_t>(room));
        canvas_.DrawText(kRefusedReasonColumn * m_.W + ox_, m_.T + 2, shown, Ink(kColorYellow));
    }

    void SysReqLine() {
        const Color ink = Ink(kColorWhite);
        Separator(m_.T - 2, ink);
        // One character per cell of the line; the line has C cells.
        const std::size_t shown = std::min<std::size_t>(s_.sysReqText.size(), m_.C);
        for (std::size_t i = 0; i < shown; ++i) {
            const auto byte = static_cast<std::uint8_t>(s_.sysReqText[i]);
            canvas_.DrawChar(static_cast<int>(i) * m_.W + ox_, m_.R * m_.H,
                             charset_.ToUnicode(byte), ink);
        }
        // What the line is for, at its right end, while the typed request
        // leaves room for it.
        const int promptColumn = m_.C - static_cast<int>(kSysReqPrompt.size());
        if (promptColumn >= 0 && static_cast<int>(shown) + 2 <= promptColumn) {
            LineText(m_.R, promptColumn, kSysReqPrompt, Ink(kColorTurquoise));
        }
    }

    void Cursor() {
        const TerminalState& st = t_.state;
        const bool hidden = st.BlinkCursor && st.hostBlink && !s_.blinkPhaseOn &&
                            !st.inputInhibited && s_.honourBlink;
        if (hidden && !s_.alwaysDrawCursor) return;
        canvas_.InvertRect(ShiftedRight(CursorShapeRect(t_), ox_));
    }

    void Crosshair() {
        const Color ink = Ink(kColorCursor);
        const int x = t_.state.cursorX;
        const int y = t_.state.cursorY;
        if (x != -1) canvas_.DrawLine({x + ox_, 0}, {x + ox_, m_.R * m_.H}, ink);
        if (y != -1) {
            canvas_.DrawLine({ox_, y + m_.H - 1}, {m_.C * m_.W + ox_, y + m_.H - 1}, ink);
        }
    }

    void RowColumn() {
        char text[32];
        std::snprintf(text, sizeof text, "%.2d/%.3d", t_.state.cursorY / m_.H + 1,
                      t_.state.cursorX / m_.W + 1);
        canvas_.DrawText((m_.C - 7) * m_.W + ox_, m_.T + 2, text, Ink(kColorGreen));
    }

private:
    int CenterX(int column) const { return (column - 1) * m_.W + m_.W / 2 + ox_; }
    int CenterY(int row) const { return (row - 1) * m_.H + m_.H / 2; }
    // A horizontal edge, with a gap for the text on it.
    void Edge(int y, int left, int right, int textColumn, std::size_t length, Color ink) {
        if (length == 0) {
            canvas_.DrawLine({left, y}, {right, y}, ink);
            return;
        }
        const int gapLeft = (textColumn - 1) * m_.W + ox_;
        const int gapRight = gapLeft + static_cast<int>(length) * m_.W;
        canvas_.DrawLine({left, y}, {gapLeft, y}, ink);
        canvas_.DrawLine({gapRight, y}, {right, y}, ink);
    }

    Color Ink(int colorIndex) const { return paper_ ? kBlack : ColorAt(t_.colors, colorIndex); }

    // A radio button (a diamond, filled when chosen) or a check box (a
    // square with a tick) centred in the cells before a choice's text.
    void Indicator(const PixelRect& first, bool box, bool chosen, Color ink) {
        const int size = std::max(4, std::min(m_.W * 2, m_.H) - 4);
        const int cx = first.left + m_.W + m_.W / 2, cy = (first.top + first.bottom) / 2;
        const int h = size / 2;
        if (box) {
            const std::array<PixelPoint, 5> square = {PixelPoint{cx - h, cy - h}, PixelPoint{cx + h, cy - h},
                                                      PixelPoint{cx + h, cy + h}, PixelPoint{cx - h, cy + h},
                                                      PixelPoint{cx - h, cy - h}};
            canvas_.DrawPolyline(square, ink);
            if (chosen) {
                const std::array<PixelPoint, 3> tick = {PixelPoint{cx - h + 2, cy},
                                                        PixelPoint{cx - 1, cy + h - 2},
                                                        PixelPoint{cx + h - 1, cy - h + 1}};
                canvas_.DrawPolyline(tick, ink);
            }
            return;
        }
        const std::array<PixelPoint, 5> diamond = {PixelPoint{cx, cy - h}, PixelPoint{cx + h, cy},
                                                   PixelPoint{cx, cy + h}, PixelPoint{cx - h, cy},
                                                   PixelPoint{cx, cy - h}};
        canvas_.DrawPolyline(diamond, ink);
        if (chosen) {
            const int q = std::max(1, h / 2);
            canvas_.FillRect({cx - q, cy - q + 1, cx + q, cy + q}, ink);
        }
    }

    void NoticeLine(int row, std::string_view text) {
        if (row >= m_.R) return;
        const std::size_t shown = std::min<std::size_t>(text.size(), static_cast<std::size_t>(m_.C));
        const int column = (m_.C - static_cast<int>(shown)) / 2;
        LineText(row, column, text.substr(0, shown), Ink(kColorWhite));
    }

    // ASCII text one character to a cell from (row, column), cut at the
    // screen's right edge; blanks are not drawn.
    void LineText(int row, int column, std::string_view text, Color ink) {
        for (std::size_t i = 0; i < text.size() && column + static_cast<int>(i) < m_.C; ++i) {
            if (text[i] == ' ') continue;
            const PixelRect rect = CellPixels(row, column + static_cast<int>(i));
            canvas_.DrawChar(rect.left, rect.top, static_cast<unsigned char>(text[i]), ink);
        }
    }

    // Half way from the colour to the screen's background: a screen the
    // host no longer keeps is told apart at a glance.
    Color Dim(Color color) const {
        if (!dimmed_) return color;
        const Color back = t_.colors[kColorBackground];
        Color mixed = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const Color a = (color >> shift) & 0xFF;
            const Color b = (back >> shift) & 0xFF;
            mixed |= ((a + b) / 2) << shift;
        }
        return mixed;
    }

    Color TextColor(const ScreenCell& cell) const {
        if (cell.selected || cell.reverse) {
            return paper_ ? kWhite : ColorAt(t_.colors, cell.background);
        }
        return paper_ ? kBlack : Dim(ColorAt(t_.colors, cell.foreground));
    }

    // The window pixels of the operator's selection; empty when there is none.
    PixelRect SelectionPixels() const {
        return t_.selection.empty() ? PixelRect{} : ShiftedRight(CellsRect(t_, t_.selection), ox_);
    }

    // The one colour the background and CellFills left all over a cell, when
    // there is one: the selection's green, a reverse cell's fill, or the
    // solid background. Under a picture there is none.
    std::optional<Color> SolidUnder(const ScreenCell& cell, const PixelRect& rect,
                                    const PixelRect& selection) const {
        if (paper_) return std::nullopt;
        if (!IsEmpty(selection) && selection.left <= rect.left && selection.top <= rect.top &&
            rect.right <= selection.right && rect.bottom <= selection.bottom) {
            return Ink(kColorGreen);
        }
        if (Intersects(selection, rect)) return std::nullopt;
        if (cell.reverse) return ColorAt(t_.colors, cell.foreground);
        if (s_.backgroundActive && s_.picture != nullptr) return std::nullopt;
        return t_.colors[kColorBackground];
    }

    PixelRect CellPixels(int row, int col) const {
        const int x = col * m_.W + ox_;
        const int y = row * m_.H;
        return {x, y, x + m_.W, y + m_.H};
    }

    // Calls visit(cell, its window rectangle) in index order for the cells
    // meeting the region; rows outside it are passed over in one test.
    template <typename Visit>
    void ForEachCell(const PaintRegion* region, Visit visit) const {
        const auto cells = t_.screen.inUse();
        const std::size_t columns = static_cast<std::size_t>(m_.C);  // at least 1
        int row = 0;
        for (std::size_t start = 0; start < cells.size(); start += columns, ++row) {
            if (region != nullptr &&
                !region->Intersects({ox_, row * m_.H, ox_ + m_.C * m_.W, (row + 1) * m_.H})) {
                continue;
            }
            const std::size_t end = std::min(cells.size(), start + columns);
            for (std::size_t i = start; i < end; ++i) {
                const PixelRect rect = CellPixels(row, static_cast<int>(i - start));
                if (region != nullptr && !region->Intersects(rect)) continue;
                visit(cells[i], rect);
            }
        }
    }

    // A single line, doubled below when the weight is not the regular 400.
    void Separator(int y, Color ink) {
        canvas_.DrawLine({ox_, y}, {m_.C * m_.W + ox_, y}, ink);
        if (s_.fontWeight != 400) canvas_.DrawLine({ox_, y + 1}, {m_.C * m_.W + ox_, y + 1}, ink);
    }

    template <std::size_t N>
    void Polyline(std::array<PixelPoint, N> points, Color ink) {
        for (PixelPoint& p : points) p.x += ox_;
        canvas_.DrawPolyline(points, ink);
    }

    const Terminal& t_;
    const PaintState& s_;
    Canvas& canvas_;
    const ViewMetrics m_;
    const bool paper_;
    const int ox_;
    const PcCharset& charset_;
    const bool dimmed_;
};

void RunSteps(Pass& pass, const Terminal& terminal, const PaintState& state,
              const PaintRegion* region) {
    // A region that holds every cell needs no test per cell.
    if (region != nullptr) {
        const ViewMetrics m(terminal);
        if (region->Covers(ToWindow({0, 0, m.C * m.W, m.R * m.H}, state.horizontalOffset))) {
            region = nullptr;
        }
    }
    pass.CellFills(region);
    pass.Characters(region);
    pass.WindowFrames();
    pass.SelectionFields();
    pass.ScrollBars();
    if (!terminal.state.connected && !terminal.state.connectionNotice.empty()) {
        if (pass.dimmed()) {
            pass.DimmedScreenNotice();
        } else {
            pass.ConnectionNotice();
        }
    } else if (!terminal.state.connected && !state.idleHint.empty() &&
               state.target == PaintTarget::Screen && ScreenIsBlank(terminal)) {
        pass.IdleHint();
    }
    pass.IndicatorRow();
    if (terminal.state.inputInhibited) pass.InhibitText();
    pass.RefusedReason();
    if (terminal.state.sysReqMode) pass.SysReqLine();
    // The cursor is the operator's place on the glass, not part of the
    // screen's content: a printout leaves it out.
    if (state.target != PaintTarget::Paper) pass.Cursor();
    if (terminal.state.CheckRepere) pass.Crosshair();
    pass.RowColumn();
}

// Pixels to 0.01 mm, rounded to the nearest unit; 0 for a nonsensical size.
int PictureHimetric(int pixels, int dotsPerInch) {
    if (pixels <= 0 || dotsPerInch <= 0) return 0;
    const long long himetric =
        (static_cast<long long>(pixels) * 2540 + dotsPerInch / 2) / dotsPerInch;
    return static_cast<int>(std::min<long long>(himetric, 1 << 30));
}

}  // namespace

BackgroundPicture PictureOfPixels(const void* handle, int width, int height, int dotsPerInchX,
                                  int dotsPerInchY) {
    return {handle, PictureHimetric(width, dotsPerInchX), PictureHimetric(height, dotsPerInchY)};
}

void UsePaperRules(PaintState& state) {
    state.target = PaintTarget::Paper;
    state.honourBlink = false;
    state.alwaysDrawCursor = true;
    state.horizontalOffset = 0;
}

PaintRegion EffectivePaintRegion(const Terminal& terminal, const PaintState& state,
                                 const PaintRegion& damaged) {
    const ViewMetrics m(terminal);
    const int ox = state.horizontalOffset;
    PaintRegion region = damaged;
    region.Add(ToWindow(RowColumnRect(terminal), ox));
    if (terminal.state.CheckRepere) {
        const int x = terminal.state.cursorX;
        const int y = terminal.state.cursorY;
        const int lastX = state.lastCrosshairX;
        const int lastY = state.lastCrosshairY;
        if (lastX != x) region.Add(ToWindow({lastX, 0, lastX + 2, m.R * m.H}, ox));
        if (lastY != y) region.Add(ToWindow({0, lastY + m.H - 1, m.C * m.W, lastY + m.H}, ox));
        if (x >= 0) region.Add(ToWindow({x, 0, x + 1, m.R * m.H}, ox));
        if (y >= 0) region.Add(ToWindow({0, y + m.H - 1, m.C * m.W, y + m.H}, ox));
    }
    return region;
}

void PaintScreen(const Terminal& terminal, PaintState& state, const PaintRegion& damaged,
                 Canvas& canvas) {
    Pass pass(terminal, state, canvas);
    if (state.target == PaintTarget::Paper) {
        RunSteps(pass, terminal, state, nullptr);
        return;
    }
    const PaintRegion region = EffectivePaintRegion(terminal, state, damaged);
    canvas.SetClip(region.rects());
    PaintBackground(canvas, state, terminal.colors, state.clientArea, region.rects());
    RunSteps(pass, terminal, state, &region);
    canvas.ClearClip();
    if (terminal.state.CheckRepere) {
        state.lastCrosshairX = terminal.state.cursorX;
        state.lastCrosshairY = terminal.state.cursorY;
    }
}

BlinkRepaint BlinkStep(const Terminal& terminal, PaintState& state, bool hasFocus) {
    if (hasFocus) {
        state.blinkPhaseOn = !state.blinkPhaseOn;
    } else if (state.blinkPhaseOn) {
        return {};
    } else {
        state.blinkPhaseOn = true;
    }
    BlinkRepaint repaint;
    const ViewMetrics m(terminal);
    const int ox = state.horizontalOffset;
    // Neighbouring blinking cells of a row go in as one rectangle.
    int runRow = -1, runStart = 0, runEnd = 0;
    auto flush = [&] {
        if (runRow >= 0) {
            repaint.cells.Add(
                {runStart * m.W + ox, runRow * m.H, runEnd * m.W + ox, (runRow + 1) * m.H});
        }
    };
    int row = 0, col = 0;
    for (const ScreenCell& cell : terminal.screen.inUse()) {
        if (cell.blink && cell.character != ' ') {
            if (row == runRow && col == runEnd) {
                ++runEnd;
            } else {
                flush();
                runRow = row;
                runStart = col;
                runEnd = col + 1;
            }
        }
        if (++col == terminal.columns()) {
            col = 0;
            ++row;
        }
    }
    flush();
    repaint.cursor = terminal.state.BlinkCursor && terminal.state.hostBlink;
    return repaint;
}

}  // namespace quenlix
