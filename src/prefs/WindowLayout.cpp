// "WindowPos" and the tool-bar records: strict number-list texts, so that a
// damaged value is recognised and ignored instead of half applied.
#include "prefs/WindowLayout.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace quenlix {

namespace {

// Parses exactly N comma-separated numbers: unsigned 32-bit for the first
// `unsignedCount`, signed 32-bit for the rest.
template <std::size_t N>
std::optional<std::array<std::int64_t, N>> ParseNumbers(std::string_view text,
                                                        std::size_t unsignedCount) {
    std::array<std::int64_t, N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        std::size_t comma = text.find(',');
        std::string_view field = text.substr(0, comma);
        if ((comma == std::string_view::npos) != (i == N - 1)) return std::nullopt;
        bool negative = false;
        if (i >= unsignedCount && !field.empty() && field.front() == '-') {
            negative = true;
            field.remove_prefix(1);
        }
        if (field.empty() || field.size() > 10) return std::nullopt;
        std::int64_t value = 0;
        for (char c : field) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
        }
        if (negative) value = -value;
        const bool fits = i < unsignedCount ? value <= 0xFFFFFFFFll
                                            : value >= -0x80000000ll && value <= 0x7FFFFFFFll;
        if (!fits) return std::nullopt;
        out[i] = value;
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    }
    return out;
}

}  // namespace

std::string FormatWindowPos(const WindowPlacement& p) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d",
                  static_cast<unsigned>(p.flags), static_cast<unsigned>(p.showCmd), p.minX, p.minY,
                  p.maxX, p.maxY, p.left, p.top, p.right, p.bottom);
    return buffer;
}

std::optional<WindowPlacement> ParseWindowPos(std::string_view text) {
    auto n = ParseNumbers<10>(text, 2);
    if (!n) return std::nullopt;
    const auto& v = *n;
    WindowPlacement p;
    p.flags = static_cast<std::uint32_t>(v[0]);
    p.showCmd = static_cast<std::uint32_t>(v[1]);
    p.minX = static_cast<int>(v[2]);
    p.minY = static_cast<int>(v[3]);
    p.maxX = static_cast<int>(v[4]);
    p.maxY = static_cast<int>(v[5]);
    p.left = static_cast<int>(v[6]);
    p.top = static_cast<int>(v[7]);
    p.right = static_cast<int>(v[8]);
    p.bottom = static_cast<int>(v[9]);
    if (p.right < p.left || p.bottom < p.top) return std::nullopt;
    return p;
}

std::optional<WindowPlacement> LoadWindowPlacement(const SettingsStore& store) {
    return ParseWindowPos(store.ReadString("", kWindowPosName, ""));
}

void SaveWindowPlacement(SettingsStore& store, const WindowPlacement& placement) {
    store.WriteString("", kWindowPosName, FormatWindowPos(placement));
}

std::optional<ScreenArea> FitNormalRectangle(const WindowPlacement& p,
                                             const std::vector<ScreenArea>& screens) {
    const std::int64_t width = std::int64_t{p.right} - p.left;
    const std::int64_t height = std::int64_t{p.bottom} - p.top;
    if (width <= 0 || height <= 0 || screens.empty()) return std::nullopt;
    std::int64_t deskLeft = screens[0].left, deskTop = screens[0].top;
    std::int64_t deskRight = screens[0].right, deskBottom = screens[0].bottom;
    for (const ScreenArea& s : screens) {
        deskLeft = std::min<std::int64_t>(deskLeft, s.left);
        deskTop = std::min<std::int64_t>(deskTop, s.top);
        deskRight = std::max<std::int64_t>(deskRight, s.right);
        deskBottom = std::max<std::int64_t>(deskBottom, s.bottom);
    }
    const std::int64_t w = std::min(width, deskRight - deskLeft);
    const std::int64_t h = std::min(height, deskBottom - deskTop);
    if (w <= 0 || h <= 0) return std::nullopt;
    const std::int64_t right = std::int64_t{p.left} + w;
    const std::int64_t bottom = std::int64_t{p.top} + h;
    for (const ScreenArea& s : screens) {
        if (p.left < s.right && right > s.left && p.top < s.bottom && bottom > s.top) {
            // Meets a screen, so left + w stays within the screens' range.
            return ScreenArea{p.left, p.top, static_cast<int>(right), static_cast<int>(bottom)};
        }
    }
    const ScreenArea& primary = screens[0];
    const std::int64_t pw = std::min<std::int64_t>(w, std::int64_t{primary.right} - primary.left);
    const std::int64_t ph = std::min<std::int64_t>(h, std::int64_t{primary.bottom} - primary.top);
    if (pw <= 0 || ph <= 0) return std::nullopt;
    return ScreenArea{primary.left, primary.top, static_cast<int>(primary.left + pw),
                      static_cast<int>(primary.top + ph)};
}

std::uint32_t StartupShowCommand(const std::optional<WindowPlacement>& stored, bool fullScreen) {
    if (!stored || fullScreen) return kShowNormal;
    switch (stored->showCmd) {
        case kShowMaximized:
            return kShowMaximized;
        case kShowMinimized:
        case 6:   // minimise
        case 7:   // show minimised without activating
        case 11:  // force minimise
            return kShowMinimized;
        default:
            return kShowNormal;
    }
}

std::string FormatToolBarRecord(const ToolBarRecord& bar) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%d,%d,%d,%d,%d,%d,%d", bar.id, static_cast<int>(bar.area),
                  bar.visible ? 1 : 0, bar.floating ? 1 : 0, bar.row, bar.x, bar.y);
    return buffer;
}

std::optional<ToolBarRecord> ParseToolBarRecord(std::string_view text) {
    auto n = ParseNumbers<7>(text, 0);
    if (!n) return std::nullopt;
    const auto& v = *n;
    auto isFlag = [](std::int64_t f) { return f == 0 || f == 1; };
    if (v[0] <= 0 || v[1] < 0 || v[1] > 3 || !isFlag(v[2]) || !isFlag(v[3]) || v[4] < 0 ||
        v[4] >= static_cast<std::int64_t>(kMaxToolBars)) {
        return std::nullopt;
    }
    ToolBarRecord bar;
    bar.id = static_cast<int>(v[0]);
    bar.area = static_cast<DockArea>(v[1]);
    bar.visible = v[2] == 1;
    bar.floating = v[3] == 1;
    bar.row = static_cast<int>(v[4]);
    bar.x = static_cast<int>(v[5]);
    bar.y = static_cast<int>(v[6]);
    return bar;
}

std::vector<ToolBarRecord> LoadToolBarLayout(const SettingsStore& store) {
    std::vector<ToolBarRecord> bars;
    const std::uint32_t count = store.ReadInt(kToolBarSection, "Bars", 0);
    if (count == 0 || count > kMaxToolBars) return bars;
    for (std::uint32_t i = 1; i <= count; ++i) {
        auto bar =
            ParseToolBarRecord(store.ReadString(kToolBarSection, "Bar" + std::to_string(i), ""));
        if (!bar) continue;
        bool repeated = false;
        for (const ToolBarRecord& seen : bars) repeated = repeated || seen.id == bar->id;
        if (!repeated) bars.push_back(*bar);
    }
    return bars;
}

void SaveToolBarLayout(SettingsStore& store, const std::vector<ToolBarRecord>& bars) {
    for (const std::string& key : store.Keys(kToolBarSection)) store.Remove(kToolBarSection, key);
    const std::size_t count = bars.size() < kMaxToolBars ? bars.size() : kMaxToolBars;
    store.WriteInt(kToolBarSection, "Bars", static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        store.WriteString(kToolBarSection, "Bar" + std::to_string(i + 1),
                          FormatToolBarRecord(bars[i]));
    }
}

void SaveWindowLayout(SettingsStore& store, const WindowLayout& layout) {
    if (layout.placement) SaveWindowPlacement(store, *layout.placement);
    SaveToolBarLayout(store, layout.toolBars);
}

}  // namespace quenlix
