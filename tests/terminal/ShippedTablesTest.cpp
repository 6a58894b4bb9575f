// The shipped table files checked against the system's own code page
// definitions (glibc iconv), independently of the script that made them.
#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "terminal/Languages.h"
#include "terminal/TranslationCache.h"

namespace quenlix {
namespace {

constexpr std::uint8_t kEbcdicQuestionMark = 0x6F;

// The character of every byte of an EBCDIC code page, or nothing where the
// page leaves the byte undefined.
class HostPage {
public:
    explicit HostPage(int codePage) {
        char name[16];
        std::snprintf(name, sizeof name, "IBM%03d", codePage);  // the generator's names
        name_ = name;
        for (int b = 0; b < 256; ++b) {
            chars_[static_cast<size_t>(b)] = Decode(static_cast<std::uint8_t>(b));
            if (chars_[static_cast<size_t>(b)]) byteOf_.emplace(*chars_[static_cast<size_t>(b)], b);
        }
    }
    bool known() const { return known_; }
    const std::string& name() const { return name_; }
    std::optional<char32_t> at(int byte) const { return chars_[static_cast<size_t>(byte)]; }
    std::optional<int> byteOf(char32_t ch) const {
        const auto it = byteOf_.find(ch);
        return it == byteOf_.end() ? std::nullopt : std::optional<int>(it->second);
    }

private:
    std::optional<char32_t> Decode(std::uint8_t byte) {
        iconv_t cd = iconv_open("UTF-32LE", name_.c_str());
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            known_ = false;
            return std::nullopt;
        }
        char in = static_cast<char>(byte);
        unsigned char out[16] = {};
        char* inp = &in;
        char* outp = reinterpret_cast<char*>(out);
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        const bool converted = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) &&
                               iconv(cd, nullptr, nullptr, &outp, &outLeft) != static_cast<size_t>(-1);
        iconv_close(cd);
        if (!converted || sizeof out - outLeft != 4) return std::nullopt;
        return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
    }

    std::string name_;
    bool known_ = true;
    std::array<std::optional<char32_t>, 256> chars_{};
    std::map<char32_t, int> byteOf_;
};

bool IsPcPrintable(int pc) { return pc >= 0x20 && pc != 0x7F; }
bool IsHostGraphic(int ebcdic) { return ebcdic >= 0x40 && ebcdic != 0xFF; }
bool IsControlCharacter(char16_t ch) { return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F); }

std::set<int> ShippedCodePages() {
    std::set<int> codePages;
    for (const Language& lang : kLanguages) codePages.insert(lang.codePage);
    return codePages;
}

class ShippedTables : public testing::Test {
protected:
    void SetUp() override { cache.InitTranslation(QUENLIX_TABLE_DIR); }
    const TablePair& Load(int codePage) {
        EXPECT_EQ(cache.SelectTables(codePage), kTablesSelected);
        return cache.current();
    }
    TranslationCache cache;
};

TEST_F(ShippedTables, EveryHostGraphicShowsAsItsOwnCharacterOrAVisibleSubstitute) {
    for (int cp : ShippedCodePages()) {
        const HostPage page(cp);
        ASSERT_TRUE(page.known()) << page.name();
        const PcCharset& pc = PcCharset::ForCodePage(cp);
        const TablePair& pair = Load(cp);
        for (int e = 0x41; e <= 0xFE; ++e) {
            SCOPED_TRACE(testing::Message() << cp << " EBCDIC 0x" << std::hex << e);
            const char16_t shown = pc.ToUnicode(pair.ETOA[static_cast<size_t>(e)]);
            const std::optional<char32_t> ch = page.at(e);
            if (ch && pc.FromUnicode(*ch)) {
                EXPECT_EQ(shown, *ch);
            } else {
                EXPECT_FALSE(IsControlCharacter(shown)) << "a graphic must show as something";
            }
        }
    }
}

TEST_F(ShippedTables, CharactersOnlyOneSideHasUseTheirDocumentedSubstitutes) {
    // Hebrew letters (the 1255 decoder holds them back until it is flushed).
    EXPECT_EQ(cache.ToPc(424, 0x41), 0xE0);
    EXPECT_EQ(PcCharset::ForCodePage(424).ToUnicode(0xE0), u'\u05D0');
    EXPECT_EQ(cache.ToEbcdic(424, 0xE0), 0x41);

    const PcCharset& arabic = PcCharset::ForCodePage(420);
    EXPECT_EQ(arabic.ToUnicode(cache.ToPc(420, 0x48)), u'\u0622') << "final alef madda: the letter";
    EXPECT_EQ(arabic.ToUnicode(cache.ToPc(420, 0x43)), u'\u0651') << "medial shadda: the shadda";
    EXPECT_EQ(arabic.ToUnicode(cache.ToPc(420, 0xB8)), u'\u0644') << "lam-alef: its first letter";
    EXPECT_EQ(cache.ToPc(420, 0xDF), '0') << "Arabic-Indic zero";
    EXPECT_EQ(cache.ToPc(420, 0xFE), '9');
    EXPECT_EQ(PcCharset::ForCodePage(875).ToUnicode(cache.ToPc(875, 0xA0)), u'\u0384')
        << "spacing acute: the tonos of the same form";
    EXPECT_EQ(cache.ToPc(875, 0x74), '?') << "nabla has no look-alike";
    EXPECT_EQ(cache.ToPc(285, 0xA1), '?');

    // Typing what the host page lacks sends its "?".
    EXPECT_EQ(cache.ToEbcdic(37, 0x93), kEbcdicQuestionMark);  // left double quote
    EXPECT_EQ(cache.ToEbcdic(37, 0x9F), kEbcdicQuestionMark);  // Y diaeresis
    EXPECT_EQ(cache.ToEbcdic(420, '['), kEbcdicQuestionMark);
    EXPECT_EQ(cache.ToEbcdic(420, '~'), kEbcdicQuestionMark);
}

TEST_F(ShippedTables, NoPrintablePcByteReachesTheHostAsAControlOrFF) {
    for (int cp : ShippedCodePages()) {
        const TablePair& pair = Load(cp);
        for (int p = 0x20; p <= 0xFF; ++p) {
            if (p == 0x7F) continue;
            SCOPED_TRACE(testing::Message() << cp << " PC 0x" << std::hex << p);
            const int e = pair.ATOE[static_cast<size_t>(p)];
            EXPECT_TRUE(IsHostGraphic(e)) << "sent as 0x" << std::hex << e;
        }
    }
}

// Every byte whose character both sides hold, in the same class (control or
// graphic), translates there and back. Exempt, one way each: PC bytes whose
// character the host page lacks (they go to the host as its "?"), and EBCDIC
// bytes whose character the PC set lacks (shown through a substitute).
TEST_F(ShippedTables, EveryCharacterBothSidesHoldRoundTrips) {
    for (int cp : ShippedCodePages()) {
        const HostPage page(cp);
        const PcCharset& pc = PcCharset::ForCodePage(cp);
        const TablePair& pair = Load(cp);
        int roundTrips = 0;
        for (int p = 0; p < 256; ++p) {
            SCOPED_TRACE(testing::Message() << cp << " PC 0x" << std::hex << p);
            const auto pcByte = static_cast<size_t>(p);
            const std::optional<int> e = page.byteOf(pc.ToUnicode(static_cast<std::uint8_t>(p)));
            if (e && IsPcPrintable(p) == IsHostGraphic(*e)) {
                EXPECT_EQ(pair.ATOE[pcByte], *e);
                EXPECT_EQ(pair.ETOA[pair.ATOE[pcByte]], p);
                ++roundTrips;
            } else {
                ASSERT_TRUE(IsPcPrintable(p)) << "every PC control has a host counterpart";
                EXPECT_EQ(pair.ATOE[pcByte], kEbcdicQuestionMark);
            }
        }
        for (int e = 0; e < 256; ++e) {
            SCOPED_TRACE(testing::Message() << cp << " EBCDIC 0x" << std::hex << e);
            const std::optional<char32_t> ch = page.at(e);
            const std::optional<std::uint8_t> p = ch ? pc.FromUnicode(*ch) : std::nullopt;
            if (p && IsPcPrintable(*p) == IsHostGraphic(e)) {
                EXPECT_EQ(pair.ETOA[static_cast<size_t>(e)], *p);
                EXPECT_EQ(pair.ATOE[pair.ETOA[static_cast<size_t>(e)]], e);
            }
        }
        // Even Arabic, the poorest match, shares most of its bytes.
        EXPECT_GE(roundTrips, 160) << cp;
    }
}

TEST_F(ShippedTables, LettersDigitsAndNationalCharactersLandOnTheirPcBytes) {
    for (int cp : ShippedCodePages()) {
        SCOPED_TRACE(cp);
        // Letters sit where every EBCDIC Latin page has them.
        if (cp != 420 && cp != 424 && cp != 875 && cp != 1025) {
            EXPECT_EQ(cache.ToPc(cp, 0xC1), 'A');
            EXPECT_EQ(cache.ToPc(cp, 0x81), 'a');
        }
        EXPECT_EQ(cache.ToPc(cp, 0xF0), '0');
        EXPECT_EQ(cache.ToPc(cp, 0x40), ' ');
    }
    EXPECT_EQ(cache.ToPc(37, 0x4A), 0xA2);    // cent sign
    EXPECT_EQ(cache.ToPc(297, 0x7C), 0xE0);   // a grave, French
    EXPECT_EQ(cache.ToPc(273, 0x4A), 0xC4);   // A diaeresis, German
    EXPECT_EQ(cache.ToPc(1140, 0x9F), 0x80);  // euro sign in Windows 1252
    EXPECT_EQ(cache.ToPc(870, 0x8E), 0xF8) << "Czech small r caron, 1250 byte";
}

}  // namespace
}  // namespace quenlix
