// Small text helpers the host's screens and checks share: trimming, case,
// padding and hex digits of the PC-side text the host works with.
#pragma once

#include <cctype>
#include <cstdio>
#include <string>

namespace quenlix::demohost {

/// Without leading and trailing blanks and nulls.
inline std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\0')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\0')) --e;
    return s.substr(b, e - b);
}

inline std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

/// Blanks appended up to `width`; a longer text stays as it is.
inline std::string Pad(std::string s, std::size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s;
}

/// Two upper-case hex digits of the low byte.
inline std::string Hex2(int v) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
    return buf;
}

}  // namespace quenlix::demohost
