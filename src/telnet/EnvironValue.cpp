// The escaping of NEW-ENVIRON values.
#include "telnet/EnvironValue.h"

#include "telnet/TelnetCodes.h"

namespace quenlix::telnet {

void AppendEnvironValue(std::vector<std::uint8_t>& out, const std::uint8_t* bytes,
                        std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        if (b <= Byte(EnvironCode::USERVAR)) out.push_back(Byte(EnvironCode::ESC));
        if (b == kIAC) out.push_back(kIAC);
        out.push_back(b);
    }
}

}  // namespace quenlix::telnet
