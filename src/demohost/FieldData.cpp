// Field data of terminal answers, as the host program sees it.
#include "demohost/FieldData.h"

#include <algorithm>

#include "demohost/HostText.h"

namespace quenlix::demohost {

namespace {

constexpr std::uint8_t kNull = 0x00;
constexpr std::uint8_t kBlank = 0x40;
constexpr std::uint8_t kZoneMask = 0xF0;
constexpr std::uint8_t kNegativeZone = 0xD0;

bool Empty(std::uint8_t b) { return b == kNull || b == kBlank; }

bool Numeric(const FieldDef& f) {
    return f.shiftEdit() == ds::kShiftNumericOnly || f.shiftEdit() == ds::kShiftSignedNumeric;
}

bool Signed(const FieldDef& f) { return f.shiftEdit() == ds::kShiftSignedNumeric && f.length >= 2; }

char Character(std::uint8_t ebcdic, const TablePair& tables) {
    return ebcdic == kNull ? ' ' : static_cast<char>(tables.ETOA[ebcdic]);
}

}  // namespace

FieldValue ReadFieldData(const FieldDef& f, const Bytes& ebcdic, const TablePair& tables) {
    const std::size_t length = static_cast<std::size_t>(std::max(0, f.length));
    const bool isSigned = Signed(f);
    const std::size_t dataPositions = isSigned ? length - 1 : length;
    const std::size_t count = std::min(ebcdic.size(), length);
    // Only the form with every position fills a signed field to its length.
    const bool withSign = isSigned && count == length;
    const std::size_t received = std::min(count, dataPositions);
    const std::uint8_t sign = withSign ? ebcdic[length - 1] : kBlank;

    FieldValue v;
    v.text.reserve(length);
    for (std::size_t k = 0; k < received; ++k) v.text.push_back(Character(ebcdic[k], tables));
    v.text.resize(dataPositions, ' ');
    if (Numeric(f)) {
        // The last digit carries the sign; Field- right-adjusts, so it is
        // the last one sent. A sign position holding anything but a blank
        // next to it leaves the digit as it came (the checks refuse it).
        std::size_t last = received;
        while (last > 0 && Empty(ebcdic[last - 1])) --last;
        if (last > 0 && Empty(sign)) {
            const std::uint8_t digit = ebcdic[last - 1];
            if ((digit & kZoneMask) == kNegativeZone && (digit & 0x0F) <= 9) {
                v.text[last - 1] = static_cast<char>('0' + (digit & 0x0F));
                v.negative = true;
            }
        }
    }
    if (isSigned) {
        char signCharacter = Character(sign, tables);
        if (v.negative) signCharacter = '-';
        v.negative = signCharacter == '-';
        v.text.push_back(signCharacter);
    }
    return v;
}

std::optional<std::vector<Bytes>> SplitFieldData(const std::vector<FieldDef>& fields,
                                                 const std::uint8_t* data, std::size_t count) {
    std::size_t every = 0, signedFields = 0;
    for (const FieldDef& f : fields) {
        every += static_cast<std::size_t>(std::max(0, f.length));
        if (Signed(f)) ++signedFields;
    }
    bool withSign;
    if (count == every) {
        withSign = true;
    } else if (count == every - signedFields) {
        withSign = false;
    } else {
        return std::nullopt;
    }
    std::vector<Bytes> out;
    std::size_t at = 0;
    for (const FieldDef& f : fields) {
        std::size_t n = static_cast<std::size_t>(std::max(0, f.length));
        if (Signed(f) && !withSign) --n;
        out.emplace_back(data + at, data + at + n);
        at += n;
    }
    return out;
}

std::string EchoText(const FieldDef& f, const FieldValue& v) {
    std::string text = v.text;
    if (Signed(f) && !text.empty()) text.pop_back();
    if (Numeric(f)) {
        const std::string digits = Trim(text);
        if (f.shiftEdit() == ds::kShiftSignedNumeric || v.negative) {
            return (v.negative && !digits.empty() ? "-" : "") + digits;
        }
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace quenlix::demohost
