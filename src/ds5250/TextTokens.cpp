// Words of a trace line for EBCDIC data.
#include "ds5250/TextTokens.h"

#include <cstdio>

#include "ds5250/DataStreamCodes.h"

namespace quenlix {

namespace {

bool Printable(char32_t u) {
    return u >= 0x20 && u != 0x7F && !(u >= 0x80 && u <= 0x9F) && !(u >= 0xD800 && u <= 0xDFFF);
}

}  // namespace

std::string TextTokens::Hex(std::uint8_t byte) {
    char two[4];
    std::snprintf(two, sizeof two, "%02X", byte);
    return two;
}

std::string TextTokens::Address(int row, int column) {
    return std::to_string(row) + "," + std::to_string(column);
}

std::string TextTokens::Secret(std::size_t count) {
    return "*** (" + std::to_string(count) + (count == 1 ? " byte)" : " bytes)");
}

void TextTokens::Add(std::uint8_t ebcdic, bool secret, bool attributes) {
    if (secret && mask_) {
        FlushRun();
        FlushRepeat();
        ++secret_;
        return;
    }
    FlushSecret();
    if (attributes && ds::IsAttribute(ebcdic)) {
        FlushRun();
        FlushRepeat();
        Word("attr " + Hex(ebcdic));
        return;
    }
    const std::uint8_t pc = etoa_[ebcdic];
    const char32_t u = charset_ ? charset_->ToUnicode(pc) : pc;
    if (Printable(u)) {
        FlushRepeat();
        if (run_.size() + 8 >= kMaxBytes) {  // room for the quotes and one character
            cut_ = true;
            return;
        }
        if (u == U'"' || u == U'\\') run_ += '\\';
        AppendUtf8(run_, u);
        return;
    }
    FlushRun();
    if (repeat_ > 0 && repeated_ != ebcdic) FlushRepeat();
    repeated_ = ebcdic;
    ++repeat_;
}

void TextTokens::AddWord(const std::string& word) {
    FlushRun();
    FlushRepeat();
    FlushSecret();
    Word(word);
}

std::string TextTokens::Take() {
    FlushRun();
    FlushRepeat();
    FlushSecret();
    if (cut_) Word("...");
    std::string out;
    out.swap(words_);
    cut_ = false;
    return out;
}

void TextTokens::FlushRun() {
    if (run_.empty()) return;
    Word("\"" + run_ + "\"");
    run_.clear();
}

void TextTokens::FlushRepeat() {
    if (repeat_ == 0) return;
    const std::string hex = Hex(repeated_);
    if (repeat_ >= 4) {
        Word(hex + "*" + std::to_string(repeat_));
    } else {
        for (std::size_t k = 0; k < repeat_; ++k) Word(hex);
    }
    repeat_ = 0;
}

void TextTokens::FlushSecret() {
    if (secret_ == 0) return;
    Word(Secret(secret_));
    secret_ = 0;
}

void TextTokens::Word(const std::string& word) {
    if (words_.size() + word.size() >= kMaxBytes && word != "...") {
        cut_ = true;
        return;
    }
    if (!words_.empty()) words_ += ' ';
    words_ += word;
}

}  // namespace quenlix
