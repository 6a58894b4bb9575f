// The SEND is read byte by byte, so pieces of any size give the same result:
// names of the items up to USERVAR "IBMRSEED", then a bounded window of what
// follows the name, judged once the payload has ended.
#include "telnet/EnvironSeedReader.h"

#include <string_view>

#include "telnet/EnvironNames.h"
#include "telnet/TelnetCodes.h"

namespace quenlix::telnet {
namespace {

constexpr std::string_view kSeedName = kEnvSeed;

bool IsTypeCode(std::uint8_t b) { return b <= Byte(EnvironCode::USERVAR); }
bool StartsItem(std::uint8_t b) {
    return b == Byte(EnvironCode::VAR) || b == Byte(EnvironCode::USERVAR);
}

}  // namespace

void EnvironSeedReader::Feed(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        switch (state_) {
            case State::Verb:
                state_ = b == Byte(Subnegotiation::SEND) ? State::Items : State::NotSend;
                break;
            case State::Items:
                ItemByte(b);
                break;
            case State::AfterSeedName:
                if (keptCount_ < kKept) {
                    kept_[keptCount_++] = b;
                } else {
                    moreFollowed_ = true;
                }
                break;
            case State::NotSend:
            case State::Finished:
                break;
        }
    }
}

void EnvironSeedReader::ItemByte(std::uint8_t b) {
    if (escapePending_) {
        escapePending_ = false;
        NameByte(b);
    } else if (b == Byte(EnvironCode::ESC)) {
        escapePending_ = true;
    } else if (StartsItem(b)) {
        inUserVar_ = b == Byte(EnvironCode::USERVAR);
        nameMatched_ = 0;
        nameMismatch_ = false;
    } else if (b == Byte(EnvironCode::VALUE)) {
        inUserVar_ = false;  // no values in a SEND: what follows names nothing
    } else {
        NameByte(b);
    }
}

void EnvironSeedReader::NameByte(std::uint8_t b) {
    if (!inUserVar_ || nameMismatch_) return;
    if (nameMatched_ < kSeedName.size() &&
        b == static_cast<std::uint8_t>(kSeedName[nameMatched_])) {
        if (++nameMatched_ == kSeedName.size()) {
            state_ = State::AfterSeedName;
            asksForSeed_ = true;
        }
    } else {
        nameMismatch_ = true;
    }
}

std::optional<EnvironSeedReader::Seed> EnvironSeedReader::Reading(std::size_t start,
                                                                  bool escapes) const {
    Seed seed{};
    std::size_t at = start;
    for (std::size_t n = 0; n < kSeedLength; ++n) {
        if (at >= keptCount_) return std::nullopt;
        if (escapes && kept_[at] == Byte(EnvironCode::ESC) && at + 1 < keptCount_ &&
            IsTypeCode(kept_[at + 1])) {
            ++at;
        }
        seed[n] = kept_[at++];
    }
    const bool endsPayload = at == keptCount_ && !moreFollowed_;
    const bool newItemFollows = at < keptCount_ && StartsItem(kept_[at]);
    if (!endsPayload && !newItemFollows) return std::nullopt;
    return seed;
}

bool EnvironSeedReader::NameItemFollows() const {
    if (keptCount_ == 0) return true;
    if (!IsTypeCode(kept_[0]) || kept_[0] == Byte(EnvironCode::ESC)) return false;
    // Names are printable; eight random bytes rarely are.
    for (std::size_t i = 1; i < keptCount_; ++i) {
        if (IsTypeCode(kept_[i])) return true;
        if (kept_[i] < 0x20 || kept_[i] > 0x7E) return false;
    }
    return true;
}

void EnvironSeedReader::Finish() {
    if (state_ != State::AfterSeedName) {
        if (state_ == State::Items) state_ = State::Finished;
        return;
    }
    state_ = State::Finished;
    // A new item right after the name: the host sent the name alone.
    if (NameItemFollows()) return;
    std::optional<Seed> agreed;
    bool conflict = false;
    const bool afterValue = keptCount_ > 0 && kept_[0] == Byte(EnvironCode::VALUE);
    for (const std::size_t start : {std::size_t{0}, std::size_t{1}}) {
        if (start == 1 && !afterValue) break;
        for (const bool escapes : {false, true}) {
            const std::optional<Seed> reading = Reading(start, escapes);
            if (!reading) continue;
            if (agreed && *agreed != *reading) conflict = true;
            agreed = reading;
        }
    }
    if (!conflict) seed_ = agreed;
}

}  // namespace quenlix::telnet
