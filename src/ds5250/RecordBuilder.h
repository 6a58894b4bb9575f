// Builds host records (what a TN5250 host sends) for tests, the fuzzer seeds
// and the demo host, so that a record reads like the screen it draws.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "ds5250/DataStreamCodes.h"
#include "terminal/TranslationCache.h"

namespace quenlix {

using Bytes = std::vector<std::uint8_t>;

/// One record: the commands are appended in order; record() frames them with
/// the GDS header, doubles every 0xFF and appends IAC EOR.
class RecordBuilder {
public:
    explicit RecordBuilder(std::uint8_t opcode = ds::kOpPutGet,
                           const TablePair& tables = BuiltinTablePair())
        : opcode_(opcode), tables_(&tables) {}

    // Commands.
    RecordBuilder& clearUnit();
    RecordBuilder& clearUnitAlternate();
    RecordBuilder& clearFormatTable();
    RecordBuilder& restoreScreen();
    RecordBuilder& writeToDisplay(std::uint8_t cc1 = 0x00, std::uint8_t cc2 = 0x00);
    RecordBuilder& writeErrorCode();
    RecordBuilder& readInputFields(std::uint8_t cc1 = 0x00, std::uint8_t cc2 = 0x00);
    RecordBuilder& readMdtFields(std::uint8_t cc1 = 0x00, std::uint8_t cc2 = 0x00);
    RecordBuilder& roll(std::uint8_t control, std::uint8_t top, std::uint8_t bottom);
    RecordBuilder& queryStructuredField(std::uint8_t queryClass = ds::kQueryClass);
    /// The escape byte and a command code, for codes without a helper.
    RecordBuilder& command(std::uint8_t code);
    RecordBuilder& writeErrorCodeToWindow(int firstColumn, int lastColumn);
    RecordBuilder& savePartialScreen(int row, int column, int depth, int width);
    RecordBuilder& restorePartialScreen(int row, int column, int depth, int width);

    // Orders and data inside Write To Display.
    RecordBuilder& startOfHeader(std::uint8_t resequenceField = 0, std::uint8_t errorRow = 0);
    RecordBuilder& sba(int row, int column);
    RecordBuilder& insertCursor(int row, int column);
    RecordBuilder& repeatToAddress(int row, int column, std::uint8_t ebcdic);
    /// Erase to Address with the attribute types it names (0xFF: all).
    RecordBuilder& eraseToAddress(int row, int column, std::initializer_list<std::uint8_t> types);
    RecordBuilder& moveCursor(int row, int column);
    /// Transparent Data: the bytes as they are, after their length.
    RecordBuilder& transparentData(const Bytes& bytes);
    RecordBuilder& writeExtendedAttribute(std::uint8_t type, std::uint8_t value);
    /// A Write To Display structured field of class 0xD9 with its data.
    RecordBuilder& displayStructuredField(std::uint8_t type, const Bytes& data);
    /// An input field with a field format word.
    RecordBuilder& startOfField(std::uint8_t ffw1, std::uint8_t ffw2, std::uint8_t attribute,
                                int length);
    /// A field with a resequencing control word (0x80, next field).
    RecordBuilder& startOfFieldResequenced(std::uint8_t ffw1, std::uint8_t ffw2,
                                           std::uint8_t nextField, std::uint8_t attribute,
                                           int length);
    /// An output-only field: no field format word.
    RecordBuilder& startOfOutputField(std::uint8_t attribute, int length);
    /// Display data: the text through the tables' ATOE.
    RecordBuilder& text(std::string_view pcText);
    /// A screen attribute byte written as data.
    RecordBuilder& attribute(std::uint8_t attribute);
    /// Bytes as they are (before 0xFF doubling).
    RecordBuilder& raw(std::initializer_list<std::uint8_t> bytes);
    RecordBuilder& raw(const Bytes& bytes);

    /// The framed record: header, data with 0xFF doubled, IAC EOR.
    Bytes record() const;
    /// The unframed data (after the header), as built.
    const Bytes& data() const { return data_; }

private:
    std::uint8_t opcode_;
    const TablePair* tables_;
    Bytes data_;
};

/// Frames one record: GDS header with the opcode and flag byte, the data,
/// every 0xFF doubled (also in the length), then IAC EOR.
Bytes FrameRecord(std::uint8_t opcode, const Bytes& data, std::uint8_t flag1 = 0);

/// Concatenates records into one block.
Bytes Concat(std::initializer_list<Bytes> parts);

}  // namespace quenlix
