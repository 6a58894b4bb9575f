// SCS data, control by control.
#include "scs/ScsBuilder.h"

#include "scs/ScsCodes.h"

namespace quenlix::scs {

ScsBuilder& ScsBuilder::text(std::string_view pcText) {
    for (const char ch : pcText) data_.push_back(tables_->ATOE[static_cast<std::uint8_t>(ch)]);
    return *this;
}

ScsBuilder& ScsBuilder::newLine() { return bytes({kNewLine}); }
ScsBuilder& ScsBuilder::carriageReturn() { return bytes({kCarriageReturn}); }
ScsBuilder& ScsBuilder::lineFeed() { return bytes({kLineFeed}); }
ScsBuilder& ScsBuilder::formFeed() { return bytes({kFormFeed}); }
ScsBuilder& ScsBuilder::tab() { return bytes({kHorizontalTab}); }
ScsBuilder& ScsBuilder::bell() { return bytes({kBell}); }

ScsBuilder& ScsBuilder::absoluteHorizontal(std::uint8_t column) {
    return bytes({kPresentationPosition, kAbsoluteHorizontal, column});
}
ScsBuilder& ScsBuilder::relativeHorizontal(std::uint8_t columns) {
    return bytes({kPresentationPosition, kRelativeHorizontal, columns});
}
ScsBuilder& ScsBuilder::absoluteVertical(std::uint8_t line) {
    return bytes({kPresentationPosition, kAbsoluteVertical, line});
}
ScsBuilder& ScsBuilder::relativeVertical(std::uint8_t lines) {
    return bytes({kPresentationPosition, kRelativeVertical, lines});
}

ScsBuilder& ScsBuilder::horizontalFormat(std::uint8_t columns, std::uint8_t left,
                                         std::uint8_t right,
                                         std::initializer_list<std::uint8_t> tabStops) {
    return classControl(kSetHorizontalFormat, {columns, left, right}, tabStops);
}

ScsBuilder& ScsBuilder::verticalFormat(std::uint8_t lines, std::uint8_t top, std::uint8_t bottom,
                                       std::initializer_list<std::uint8_t> tabStops) {
    return classControl(kSetVerticalFormat, {lines, top, bottom}, tabStops);
}

ScsBuilder& ScsBuilder::lineDensity(std::uint8_t distance) {
    return classControl(kSetLineDensity, {distance});
}

ScsBuilder& ScsBuilder::characterDistance(std::uint16_t distance) {
    return classControl(kSetCharacterDistance,
                        {kCharacterDistanceFunction, static_cast<std::uint8_t>(distance >> 8),
                         static_cast<std::uint8_t>(distance)});
}

ScsBuilder& ScsBuilder::graphicErrorAction(std::uint8_t action) {
    return classControl(kSetGraphicErrorAction, {action});
}

ScsBuilder& ScsBuilder::codePage(std::uint16_t codePage, std::uint16_t characterSet) {
    return classControl(
        kSetCodePage,
        {kCodePageFunction, static_cast<std::uint8_t>(characterSet >> 8),
         static_cast<std::uint8_t>(characterSet), static_cast<std::uint8_t>(codePage >> 8),
         static_cast<std::uint8_t>(codePage)});
}

ScsBuilder& ScsBuilder::transparent(const std::vector<std::uint8_t>& raw) {
    data_.push_back(kTransparent);
    data_.push_back(static_cast<std::uint8_t>(raw.size()));
    data_.insert(data_.end(), raw.begin(), raw.end());
    return *this;
}

ScsBuilder& ScsBuilder::bytes(std::initializer_list<std::uint8_t> raw) {
    data_.insert(data_.end(), raw);
    return *this;
}

ScsBuilder& ScsBuilder::classControl(std::uint8_t cls,
                                     std::initializer_list<std::uint8_t> parameters,
                                     std::initializer_list<std::uint8_t> more) {
    data_.push_back(kClassPrefix);
    data_.push_back(cls);
    data_.push_back(static_cast<std::uint8_t>(1 + parameters.size() + more.size()));
    data_.insert(data_.end(), parameters);
    data_.insert(data_.end(), more);
    return *this;
}

}  // namespace quenlix::scs
