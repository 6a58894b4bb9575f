// The Write To Display structured fields of the enhanced interface: windows
// and the structures a display takes without drawing them. Offered to the
// host only when the session asks for it; otherwise each is read and left.
#include <algorithm>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/TN5250.h"

namespace quenlix {

using namespace ds;

namespace {

// Create Window: flag, two reserved bytes, depth and width, then the
// minor structures.
constexpr std::size_t kWindowFixedBytes = 5;
// A border minor structure: length, type, flag, two attributes, then up to
// eight border characters (corners and sides, clockwise from the top left).
constexpr std::size_t kBorderFirstCharacter = 5;
// A title or footer: length, type, flag, two attributes, reserved, text.
constexpr std::size_t kTitleFirstCharacter = 6;

// The borders a window has when the host gives none: '.' across, ':' down
// (EBCDIC, the same in every code page the terminal offers).
constexpr std::uint8_t kEbcdicPeriod = 0x4B;
constexpr std::uint8_t kEbcdicColon = 0x7A;
constexpr std::array<std::uint8_t, 8> kDefaultBorder = {kEbcdicPeriod, kEbcdicPeriod, kEbcdicPeriod,
                                                        kEbcdicColon,  kEbcdicColon,  kEbcdicColon,
                                                        kEbcdicPeriod, kEbcdicColon};

}  // namespace

void CTN5250::DisplayStructuredFieldOrder(const DisplayStructuredField& field) {
    if (!links_.settings.Enhanced) return;  // never offered: read and left
    if ((walker_ && walker_->cut()) || field.length < kDisplayFieldHeader ||
        field.count > DisplayStructuredField::kMaxBytes) {
        StopWithNegativeResponse(kSenseStructuredFieldLength);
        return;
    }
    if (field.fieldClass != kDisplayFieldClass) {
        StopWithNegativeResponse(kSenseStructuredFieldType);
        return;
    }
    switch (field.type) {
        case kWdsfCreateWindow:
            CreateWindow(field);
            return;
        case kWdsfUnrestrictedCursor:
            t_.constructs.RestrictCursor(false);
            return;
        case kWdsfRemoveWindow:
        case kWdsfRemoveAllConstructs:
            // The border's characters show again where the frame was drawn.
            r_.changed = true;
            if (!t_.constructs.windows().empty() || !t_.constructs.selectionFields().empty() ||
                !t_.constructs.scrollBars().empty()) {
                t_.damage.All();
            }
            if (field.type == kWdsfRemoveWindow) {
                t_.constructs.RemoveLastWindow();
            } else {
                t_.constructs.Clear();
            }
            return;
        case kWdsfDefineSelectionField:
            DefineSelectionField(field);
            return;
        case kWdsfDefineScrollBar:
            DefineScrollBar(field);
            return;
        case kWdsfRemoveSelectionField:
        case kWdsfRemoveScrollBar:
            RemoveSelectionConstruct(field.type);
            return;
        case kWdsfWriteData:
        case kWdsfProgrammableMouseButtons:
        case kWdsfDrawGridLines:
        case kWdsfClearGridLines:
            return;  // taken; the screen shows the host's own text for them
        default:
            StopWithNegativeResponse(kSenseStructuredFieldType);
            return;
    }
}

void CTN5250::CreateWindow(const DisplayStructuredField& field) {
    const std::size_t count = field.kept();
    const std::uint8_t* d = field.bytes.data();
    if (count < kWindowFixedBytes) {
        StopWithNegativeResponse(kSenseStructuredFieldLength);
        return;
    }
    HostWindow window;
    if (r_.writeColumn > t_.columns()) {
        ++r_.writeRow;
        r_.writeColumn = 1;
    }
    window.row = r_.writeRow;
    window.column = r_.writeColumn;
    window.depth = d[3];
    window.width = d[4];
    window.pullDown = (d[0] & kWindowPullDown) != 0;
    if (window.depth < 1 || window.width < 1 || window.row < 1 || window.column < 1 ||
        window.lastRow() > t_.rows() || window.lastColumn() > t_.columns()) {
        StopWithNegativeResponse(kSenseStructuredFieldParameter);
        return;
    }
    std::array<std::uint8_t, 8> border = kDefaultBorder;
    // Each minor structure counts its own length byte; one that claims less
    // than its length and type, or runs past the field, ends the field.
    for (std::size_t at = kWindowFixedBytes; at < count;) {
        const std::size_t length = d[at];
        if (length < 2 || at + length > count) {
            StopWithNegativeResponse(kSenseMinorStructureLength);
            return;
        }
        const std::uint8_t type = d[at + 1];
        if (type == kMinorBorder) {
            for (std::size_t k = 0; k < border.size() && kBorderFirstCharacter + k < length; ++k) {
                border[k] = d[at + kBorderFirstCharacter + k];
            }
        } else if (type == kMinorTitleFooter) {
            const bool footer = length > 2 && (d[at + 2] & kTitleIsFooter);
            std::string text;
            for (std::size_t k = kTitleFirstCharacter; k < length; ++k) {
                if (text.size() >= static_cast<std::size_t>(window.width)) break;
                text += static_cast<char>(ToPc(d[at + k]));
            }
            (footer ? window.footer : window.title) = text;
        }
        at += length;
    }
    window.titleColumn =
        window.column + 1 + (window.width - static_cast<int>(window.title.size())) / 2;
    window.footerColumn =
        window.column + 1 + (window.width - static_cast<int>(window.footer.size())) / 2;
    if (!t_.constructs.AddWindow(window)) {
        StopWithNegativeResponse(kSenseTooManyWindows);
        return;
    }
    r_.changed = true;
    t_.constructs.RestrictCursor((d[0] & kWindowCursorRestricted) != 0);
    DrawWindow(window, border);
}

void CTN5250::DrawWindow(const HostWindow& w, const std::array<std::uint8_t, 8>& border) {
    const int columns = t_.columns();
    auto put = [&](int row, int column, std::uint8_t ebcdic) {
        t_.SetCell(HostPosition(row, column, columns), ebcdic, ToPc(ebcdic));
    };
    // Corners and sides: top left, top, top right, left, right, bottom
    // left, bottom, bottom right.
    put(w.row, w.column, border[0]);
    put(w.row, w.lastColumn(), border[2]);
    put(w.lastRow(), w.column, border[5]);
    put(w.lastRow(), w.lastColumn(), border[7]);
    for (int c = w.column + 1; c < w.lastColumn(); ++c) {
        put(w.row, c, border[1]);
        put(w.lastRow(), c, border[6]);
    }
    for (int r = w.row + 1; r < w.lastRow(); ++r) {
        put(r, w.column, border[3]);
        put(r, w.lastColumn(), border[4]);
        // The inside starts empty.
        const int first = HostPosition(r, w.column + 1, columns);
        t_.FillCells(first, first + w.width, kEbcdicNull, ' ');
    }
    // The title in the middle of the top border, the footer of the bottom.
    auto words = [&](int row, int start, const std::string& text) {
        for (std::size_t k = 0; k < text.size(); ++k) {
            const int p = HostPosition(row, start + static_cast<int>(k), columns);
            const auto pc = static_cast<std::uint8_t>(text[k]);
            t_.SetCell(p, links_.tables.ToEbcdic(CodePage(), pc), pc);
        }
    };
    words(w.row, w.titleColumn, w.title);
    words(w.lastRow(), w.footerColumn, w.footer);
}

}  // namespace quenlix
