// Shared by the trace tests: the recorded sign-on, byte helpers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ds5250/RecordBuilder.h"
#include "telnet/TelnetCodes.h"

namespace quenlix::testing {

using Lines = std::vector<std::string>;

inline const std::string kRecording = QUENLIX_SOURCE_DIR "/../shared/refdata/signon-recording/";

/// The host's blocks of the recorded sign-on, in order; empty when the
/// folder is absent.
inline std::vector<Bytes> RecordedHostBlocks() {
    std::vector<Bytes> blocks;
    for (const char* name : {"h2c-01-neg", "h2c-02-neg", "h2c-03-neg", "h2c-04-rec", "h2c-05-rec",
                             "h2c-06-rec", "h2c-07-rec", "h2c-08-rec"}) {
        std::ifstream in(kRecording + "testsys-login-" + name + ".bin", std::ios::binary);
        if (!in) return {};
        blocks.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return blocks;
}

inline std::string Joined(const Lines& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

inline Bytes Ebcdic(std::string_view text) {
    Bytes out;
    for (char c : text) out.push_back(BuiltinTablePair().ATOE[static_cast<std::uint8_t>(c)]);
    return out;
}

/// Lower-case hex, as the trace lines write bytes.
inline std::string LowerHex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

/// A NEW-ENVIRON answer as the terminal sends it for an automatic sign-on.
inline Bytes EnvironAnswer(const Bytes& passwordValue) {
    using telnet::Byte;
    const std::uint8_t iac = telnet::kIAC, sb = Byte(telnet::Command::SB),
                       se = Byte(telnet::Command::SE), env = Byte(telnet::Option::NEW_ENVIRON),
                       var = Byte(telnet::EnvironCode::VAR),
                       value = Byte(telnet::EnvironCode::VALUE),
                       uservar = Byte(telnet::EnvironCode::USERVAR);
    Bytes out = {iac, sb, env, 0x00, var};
    auto text = [&](std::string_view t) { out.insert(out.end(), t.begin(), t.end()); };
    text("USER");
    out.push_back(value);
    text("QUSER");
    out.push_back(uservar);
    text("IBMSUBSPW");
    out.push_back(value);
    out.insert(out.end(), passwordValue.begin(), passwordValue.end());
    out.push_back(uservar);
    text("IBMPROGRAM");
    out.push_back(value);
    text("X");
    out.insert(out.end(), {iac, se});
    return out;
}

}  // namespace quenlix::testing
