// Host record construction.
#include "ds5250/RecordBuilder.h"

#include "ds5250/RecordFramer.h"

namespace quenlix {

using namespace ds;

namespace {
void PushLength(Bytes& out, int length) {
    out.push_back(static_cast<std::uint8_t>((length >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(length & 0xFF));
}
}  // namespace

RecordBuilder& RecordBuilder::command(std::uint8_t code) {
    data_.push_back(kEscape);
    data_.push_back(code);
    return *this;
}

RecordBuilder& RecordBuilder::clearUnit() { return command(kCmdClearUnit); }
RecordBuilder& RecordBuilder::clearUnitAlternate() {
    command(kCmdClearUnitAlternate);
    data_.push_back(0x00);
    return *this;
}
RecordBuilder& RecordBuilder::clearFormatTable() { return command(kCmdClearFormatTable); }
RecordBuilder& RecordBuilder::restoreScreen() { return command(kCmdRestoreScreen); }
RecordBuilder& RecordBuilder::writeErrorCode() { return command(kCmdWriteErrorCode); }

RecordBuilder& RecordBuilder::writeToDisplay(std::uint8_t cc1, std::uint8_t cc2) {
    command(kCmdWriteToDisplay);
    data_.insert(data_.end(), {cc1, cc2});
    return *this;
}
RecordBuilder& RecordBuilder::readInputFields(std::uint8_t cc1, std::uint8_t cc2) {
    command(kCmdReadInputFields);
    data_.insert(data_.end(), {cc1, cc2});
    return *this;
}
RecordBuilder& RecordBuilder::readMdtFields(std::uint8_t cc1, std::uint8_t cc2) {
    command(kCmdReadMdtFields);
    data_.insert(data_.end(), {cc1, cc2});
    return *this;
}
RecordBuilder& RecordBuilder::roll(std::uint8_t control, std::uint8_t top, std::uint8_t bottom) {
    command(kCmdRoll);
    data_.insert(data_.end(), {control, top, bottom});
    return *this;
}
RecordBuilder& RecordBuilder::queryStructuredField(std::uint8_t queryClass) {
    command(kCmdWriteStructuredField);
    data_.insert(data_.end(), {0x00, 0x05, queryClass, kQueryType, 0x00});
    return *this;
}

RecordBuilder& RecordBuilder::writeErrorCodeToWindow(int firstColumn, int lastColumn) {
    command(kCmdWriteErrorCodeToWindow);
    data_.insert(data_.end(),
                 {static_cast<std::uint8_t>(firstColumn), static_cast<std::uint8_t>(lastColumn)});
    return *this;
}
RecordBuilder& RecordBuilder::savePartialScreen(int row, int column, int depth, int width) {
    command(kCmdSavePartialScreen);
    data_.insert(data_.end(), {0x00, static_cast<std::uint8_t>(row),
                               static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(depth),
                               static_cast<std::uint8_t>(width)});
    return *this;
}
RecordBuilder& RecordBuilder::restorePartialScreen(int row, int column, int depth, int width) {
    command(kCmdRestorePartialScreen);
    data_.insert(data_.end(), {0x00, static_cast<std::uint8_t>(row),
                               static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(depth),
                               static_cast<std::uint8_t>(width)});
    return *this;
}

RecordBuilder& RecordBuilder::eraseToAddress(int row, int column,
                                             std::initializer_list<std::uint8_t> types) {
    data_.insert(data_.end(), {kOrderEraseToAddress, static_cast<std::uint8_t>(row),
                               static_cast<std::uint8_t>(column),
                               static_cast<std::uint8_t>(types.size() + 1)});
    data_.insert(data_.end(), types);
    return *this;
}
RecordBuilder& RecordBuilder::moveCursor(int row, int column) {
    data_.insert(data_.end(), {kOrderMoveCursor, static_cast<std::uint8_t>(row),
                               static_cast<std::uint8_t>(column)});
    return *this;
}
RecordBuilder& RecordBuilder::transparentData(const Bytes& bytes) {
    data_.push_back(kOrderTransparentData);
    PushLength(data_, static_cast<int>(bytes.size()));
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return *this;
}
RecordBuilder& RecordBuilder::writeExtendedAttribute(std::uint8_t type, std::uint8_t value) {
    data_.insert(data_.end(), {kOrderWriteExtendedAttribute, type, value});
    return *this;
}
RecordBuilder& RecordBuilder::displayStructuredField(std::uint8_t type, const Bytes& data) {
    data_.push_back(kOrderDisplayStructuredField);
    PushLength(data_, static_cast<int>(data.size()) + kDisplayFieldHeader);
    data_.insert(data_.end(), {kDisplayFieldClass, type});
    data_.insert(data_.end(), data.begin(), data.end());
    return *this;
}

RecordBuilder& RecordBuilder::startOfHeader(std::uint8_t resequenceField, std::uint8_t errorRow) {
    data_.insert(data_.end(),
                 {kOrderStartOfHeader, 0x07, 0x00, 0x00, resequenceField, errorRow, 0, 0, 0});
    return *this;
}
RecordBuilder& RecordBuilder::sba(int row, int column) {
    data_.insert(data_.end(), {kOrderSetBufferAddress, static_cast<std::uint8_t>(row),
                               static_cast<std::uint8_t>(column)});
    return *this;
}
RecordBuilder& RecordBuilder::insertCursor(int row, int column) {
    data_.insert(data_.end(), {kOrderInsertCursor, static_cast<std::uint8_t>(row),
                               static_cast<std::uint8_t>(column)});
    return *this;
}
RecordBuilder& RecordBuilder::repeatToAddress(int row, int column, std::uint8_t ebcdic) {
    data_.insert(data_.end(), {kOrderRepeatToAddress, static_cast<std::uint8_t>(row),
                               static_cast<std::uint8_t>(column), ebcdic});
    return *this;
}
RecordBuilder& RecordBuilder::startOfField(std::uint8_t ffw1, std::uint8_t ffw2,
                                           std::uint8_t attribute, int length) {
    data_.insert(data_.end(), {kOrderStartOfField, ffw1, ffw2, attribute});
    PushLength(data_, length);
    return *this;
}
RecordBuilder& RecordBuilder::startOfFieldResequenced(std::uint8_t ffw1, std::uint8_t ffw2,
                                                      std::uint8_t nextField,
                                                      std::uint8_t attribute, int length) {
    data_.insert(data_.end(), {kOrderStartOfField, ffw1, ffw2, 0x80, nextField, attribute});
    PushLength(data_, length);
    return *this;
}
RecordBuilder& RecordBuilder::startOfOutputField(std::uint8_t attribute, int length) {
    data_.insert(data_.end(), {kOrderStartOfField, attribute});
    PushLength(data_, length);
    return *this;
}
RecordBuilder& RecordBuilder::text(std::string_view pcText) {
    for (char c : pcText) data_.push_back(tables_->ATOE[static_cast<std::uint8_t>(c)]);
    return *this;
}
RecordBuilder& RecordBuilder::attribute(std::uint8_t attribute) {
    data_.push_back(attribute);
    return *this;
}
RecordBuilder& RecordBuilder::raw(std::initializer_list<std::uint8_t> bytes) {
    data_.insert(data_.end(), bytes);
    return *this;
}
RecordBuilder& RecordBuilder::raw(const Bytes& bytes) {
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes RecordBuilder::record() const { return FrameRecord(opcode_, data_); }

Bytes FrameRecord(std::uint8_t opcode, const Bytes& data, std::uint8_t flag1) {
    return ds::FramedRecord(opcode, data.data(), data.size(), flag1);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace quenlix
