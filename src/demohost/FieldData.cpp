// Field data of terminal answers, as the host program sees it.
#include "demohost/FieldData.h"

#include "demohost/HostText.h"

namespace quenlix::demohost {

std::string ReadSignedField(const Bytes& ebcdic, std::string text, std::size_t length) {
    if (length < 2 || ebcdic.size() != length || text.size() != length) return text;
    const std::uint8_t digit = ebcdic[length - 2];
    const std::uint8_t sign = ebcdic[length - 1];
    if ((digit & 0xF0) == 0xD0 && (digit & 0x0F) <= 9 && (sign == 0x40 || sign == 0x00)) {
        text[length - 2] = static_cast<char>('0' + (digit & 0x0F));
        text[length - 1] = '-';
    }
    return text;
}

std::string SignedNumber(const std::string& value) {
    if (value.empty()) return value;
    const std::string digits = Trim(value.substr(0, value.size() - 1));
    return (value.back() == '-' && !digits.empty() ? "-" : "") + digits;
}

}  // namespace quenlix::demohost
