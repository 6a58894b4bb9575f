// Language list and PC character sets.
#include "terminal/Languages.h"

#include "terminal/Utf8.h"

namespace quenlix {

namespace {
#include "terminal/PcCharsetData.inc"

int PcSetIdForCodePage(int codePage) {
    switch (codePage) {
        case 870: return 1250;   // Czech
        case 1025: return 1251;  // Cyrillic
        case 875: return 1253;   // Greek
        case 1026: return 1254;  // Turkish
        case 424: return 1255;   // Hebrew
        case 420: return 1256;   // Arabic
        case 37: case 273: case 277: case 278: case 280: case 284: case 285: case 297:
        case 500: case 871: case 1140: case 1141: case 1142: case 1143: case 1144: case 1145:
        case 1146: case 1147:
            return 1252;
        default: return 28591;  // the built-in pair and anything unknown
    }
}

}  // namespace

const std::array<Language, 31> kLanguages = {{
    {"Arabic (420)", 420},         {"Austrian (273)", 273},      {"Austrian Euro (1141)", 1141},
    {"Belgian (500)", 500},        {"Canadian Bilingual (37)", 37}, {"Cyrillic (1025)", 1025},
    {"Czech (870)", 870},          {"Danish (277)", 277},        {"Dutch (37)", 37},
    {"Finnish (278)", 278},        {"Finnish Euro (1143)", 1143}, {"French (297)", 297},
    {"French Euro (1147)", 1147},  {"German (273)", 273},        {"German Euro (1141)", 1141},
    {"Greek (875)", 875},          {"Hebrew (424)", 424},        {"Icelandic (871)", 871},
    {"Italian (280)", 280},        {"Norwegian (277)", 277},     {"Portuguese (37)", 37},
    {"Spanish (284)", 284},        {"Spanish Euro (1145)", 1145}, {"Swedish (278)", 278},
    {"Swedish Euro (1143)", 1143}, {"Swiss (500)", 500},         {"Turkish (1026)", 1026},
    {"U.K. (285)", 285},           {"U.K. Euro (1146)", 1146},   {"U.S. (37)", 37},
    {"U.S. Euro (1140)", 1140},
}};

const PcCharset& PcCharset::ForCodePage(int codePage) {
    static const std::array<PcCharset, kPcCharsetData.size()> sets = [] {
        std::array<PcCharset, kPcCharsetData.size()> all{
            PcCharset(0, nullptr), PcCharset(0, nullptr), PcCharset(0, nullptr),
            PcCharset(0, nullptr), PcCharset(0, nullptr), PcCharset(0, nullptr),
            PcCharset(0, nullptr), PcCharset(0, nullptr)};
        for (size_t i = 0; i < kPcCharsetData.size(); ++i) {
            all[i] = PcCharset(kPcCharsetData[i].id, &kPcCharsetData[i].toUnicode);
        }
        return all;
    }();
    const int id = PcSetIdForCodePage(codePage);
    for (const PcCharset& set : sets) {
        if (set.id() == id) return set;
    }
    return sets.back();
}

std::optional<std::uint8_t> PcCharset::FromUnicode(char32_t ch) const {
    for (int b = 0; b < 256; ++b) {
        if ((*toUnicode_)[static_cast<size_t>(b)] == ch) return static_cast<std::uint8_t>(b);
    }
    return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

std::string PcCharset::ToUtf8(std::string_view pcBytes) const {
    std::string out;
    out.reserve(pcBytes.size());
    for (char c : pcBytes) AppendUtf8(out, ToUnicode(static_cast<std::uint8_t>(c)));
    return out;
}

std::string PcCharset::FromUtf8(std::string_view utf8, char missing) const {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const Utf8Piece piece = NextUtf8Piece(utf8, i);
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        if (!piece.wellFormed) {
            out += missing;  // one substitute per ill-formed piece
            i += piece.length;
            continue;
        }
        char32_t ch = piece.length == 1 ? lead : lead & (0x7F >> piece.length);
        for (size_t k = 1; k < piece.length; ++k) {
            ch = (ch << 6) | (static_cast<std::uint8_t>(utf8[i + k]) & 0x3F);
        }
        i += piece.length;
        const auto byte = FromUnicode(ch);
        out += byte ? static_cast<char>(*byte) : missing;
    }
    return out;
}

}  // namespace quenlix
