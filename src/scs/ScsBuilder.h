// Builds SCS print data control by control, so that tests, fuzz seeds, the
// benchmark and the demo host's reports read like the page they print.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "terminal/TranslationCache.h"

namespace quenlix::scs {

class ScsBuilder {
public:
    explicit ScsBuilder(const TablePair& tables = BuiltinTablePair()) : tables_(&tables) {}

    /// PC text (ISO 8859-1 bytes for the built-in pair) as EBCDIC graphics.
    ScsBuilder& text(std::string_view pcText);
    ScsBuilder& newLine();
    ScsBuilder& carriageReturn();
    ScsBuilder& lineFeed();
    ScsBuilder& formFeed();
    ScsBuilder& tab();
    ScsBuilder& bell();
    /// Presentation position: to column / line n, or n columns / lines on.
    ScsBuilder& absoluteHorizontal(std::uint8_t column);
    ScsBuilder& relativeHorizontal(std::uint8_t columns);
    ScsBuilder& absoluteVertical(std::uint8_t line);
    ScsBuilder& relativeVertical(std::uint8_t lines);
    /// Page width, margins (0: none) and tab stops.
    ScsBuilder& horizontalFormat(std::uint8_t columns, std::uint8_t left = 0,
                                 std::uint8_t right = 0,
                                 std::initializer_list<std::uint8_t> tabStops = {});
    /// Page length, margins (0: none) and vertical tab stops.
    ScsBuilder& verticalFormat(std::uint8_t lines, std::uint8_t top = 0, std::uint8_t bottom = 0,
                               std::initializer_list<std::uint8_t> tabStops = {});
    /// Line distance in 1/72 inch (12: six lines to the inch).
    ScsBuilder& lineDensity(std::uint8_t distance);
    /// Character distance: a density up to 30, else 1/1440 inch.
    ScsBuilder& characterDistance(std::uint16_t distance);
    ScsBuilder& graphicErrorAction(std::uint8_t action);
    ScsBuilder& codePage(std::uint16_t codePage, std::uint16_t characterSet = 0xFFFF);
    /// Transparent data: `bytes` print as they are, controls or not.
    ScsBuilder& transparent(const std::vector<std::uint8_t>& bytes);
    ScsBuilder& bytes(std::initializer_list<std::uint8_t> raw);

    const std::vector<std::uint8_t>& data() const { return data_; }
    std::vector<std::uint8_t> take() { return std::move(data_); }

private:
    ScsBuilder& classControl(std::uint8_t cls, std::initializer_list<std::uint8_t> parameters,
                             std::initializer_list<std::uint8_t> more = {});

    const TablePair* tables_;
    std::vector<std::uint8_t> data_;
};

}  // namespace quenlix::scs
