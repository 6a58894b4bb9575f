// RecordingCanvas: drawing calls as text lines.
#include "display/RecordingCanvas.h"

#include <cstdio>

namespace quenlix {

namespace {

std::string Point(PixelPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

}  // namespace

std::string RecordingCanvas::Format(const PixelRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

std::string RecordingCanvas::Format(Color color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", RedOf(color), GreenOf(color), BlueOf(color));
    return text;
}

void RecordingCanvas::FillRect(const PixelRect& rect, Color color) {
    lines.push_back("fill " + Format(rect) + " " + Format(color));
}

void RecordingCanvas::DrawChar(int x, int y, char32_t ch, Color color) {
    std::string glyph;
    if (ch >= 0x21 && ch < 0x7F) {
        glyph = std::string("'") + static_cast<char>(ch) + "'";
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(ch));
        glyph = text;
    }
    lines.push_back("char " + Point({x, y}) + " " + glyph + " " + Format(color));
}

void RecordingCanvas::DrawText(int x, int y, std::string_view ascii, Color color) {
    lines.push_back("text " + Point({x, y}) + " \"" + std::string(ascii) + "\" " + Format(color));
}

void RecordingCanvas::DrawLine(PixelPoint from, PixelPoint to, Color color) {
    lines.push_back("line " + Point(from) + "-" + Point(to) + " " + Format(color));
}

void RecordingCanvas::DrawPolyline(std::span<const PixelPoint> points, Color color) {
    std::string line = "polyline";
    for (PixelPoint p : points) line += " " + Point(p);
    lines.push_back(line + " " + Format(color));
}

void RecordingCanvas::InvertRect(const PixelRect& rect) {
    lines.push_back("invert " + Format(rect));
}

void RecordingCanvas::DrawPicture(const BackgroundPicture&, const PixelRect& target) {
    lines.push_back("picture " + Format(target));
}

void RecordingCanvas::SetClip(std::span<const PixelRect> rects) {
    if (rects.empty()) {
        lines.push_back("clip empty");
        return;
    }
    std::string line = "clip";
    for (const PixelRect& r : rects) line += " " + Format(r);
    lines.push_back(line);
}

void RecordingCanvas::ClearClip() { lines.push_back("clip none"); }

std::vector<std::string> RecordingCanvas::With(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.starts_with(prefix)) found.push_back(line);
    }
    return found;
}

bool RecordingCanvas::Has(std::string_view line) const { return IndexOf(line) >= 0; }

int RecordingCanvas::IndexOf(std::string_view line) const {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == line) return static_cast<int>(i);
    }
    return -1;
}

std::string RecordingCanvas::Dump() const {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

}  // namespace quenlix
