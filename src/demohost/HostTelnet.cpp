// Telnet reading for the demo host.
#include "demohost/HostTelnet.h"

#include <random>
#include <string_view>

#include "telnet/EnvironNames.h"

namespace quenlix::demohost {

using ::quenlix::telnet::kEnvCurrentLibrary;
using ::quenlix::telnet::kEnvDeviceName;
using ::quenlix::telnet::kEnvInitialMenu;
using ::quenlix::telnet::kEnvPasswordSubstitute;
using ::quenlix::telnet::kEnvProgram;
using ::quenlix::telnet::kEnvSeed;

using namespace telnet;

void TelnetReader::Feed(const std::uint8_t* data, std::size_t count,
                        std::vector<TelnetEvent>& out) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = data[i];
        switch (state_) {
            case State::kData:
                if (b == kIac) {
                    state_ = State::kIac;
                } else if (record_.size() < kMaxRecord) {
                    record_.push_back(b);
                } else {
                    recordTruncated_ = true;
                }
                break;
            case State::kIac:
                state_ = State::kData;
                if (b == kIac) {  // a doubled data byte 0xFF
                    if (record_.size() < kMaxRecord) {
                        record_.push_back(b);
                    } else {
                        recordTruncated_ = true;
                    }
                } else if (b == kEor) {
                    TelnetEvent e;
                    e.kind = TelnetEvent::kRecord;
                    e.payload.swap(record_);
                    e.truncated = recordTruncated_;
                    record_.clear();
                    recordTruncated_ = false;
                    out.push_back(std::move(e));
                } else if (b == kDo || b == kDont || b == kWill || b == kWont) {
                    verb_ = b;
                    state_ = State::kOption;
                } else if (b == kSb) {
                    state_ = State::kSbOption;
                } else {
                    // NOP, GA, AYT and the like: reported, never answered.
                    TelnetEvent e;
                    e.verb = b;
                    out.push_back(std::move(e));
                }
                break;
            case State::kOption: {
                TelnetEvent e;
                e.verb = verb_;
                e.option = b;
                out.push_back(std::move(e));
                state_ = State::kData;
                break;
            }
            case State::kSbOption:
                sbOption_ = b;
                sb_.clear();
                sbTruncated_ = false;
                state_ = State::kSbData;
                break;
            case State::kSbData:
                if (b == kIac) {
                    state_ = State::kSbIac;
                } else if (sb_.size() < kMaxSubnegotiation) {
                    sb_.push_back(b);
                } else {
                    sbTruncated_ = true;
                }
                break;
            case State::kSbIac:
                if (b == kSe) {
                    TelnetEvent e;
                    e.kind = TelnetEvent::kSubnegotiation;
                    e.option = sbOption_;
                    e.payload.swap(sb_);
                    e.truncated = sbTruncated_;
                    sb_.clear();
                    out.push_back(std::move(e));
                    state_ = State::kData;
                } else {
                    // IAC IAC is a data byte; any other pair keeps the byte.
                    if (sb_.size() < kMaxSubnegotiation) {
                        sb_.push_back(b);
                    } else {
                        sbTruncated_ = true;
                    }
                    state_ = State::kSbData;
                }
                break;
        }
    }
}

Environment ParseEnvironment(const Bytes& payload) {
    Environment env;
    if (payload.empty() || (payload[0] != kIs && payload[0] != kInfo)) return env;
    std::size_t i = 1;
    // Reads one name or value up to the next type byte; ESC takes the next
    // byte literally.
    auto readText = [&](std::string& text) {
        while (i < payload.size()) {
            std::uint8_t b = payload[i];
            if (b == kVar || b == kValue || b == kUserVar) break;
            if (b == kEsc) {
                if (++i >= payload.size()) break;
                b = payload[i];
            }
            if (text.size() < Environment::kMaxValue) text.push_back(static_cast<char>(b));
            ++i;
        }
    };
    while (i < payload.size()) {
        const std::uint8_t type = payload[i++];
        if (type != kVar && type != kUserVar) continue;  // stray byte: skip it
        std::string name, value;
        readText(name);
        if (i < payload.size() && payload[i] == kValue) {
            ++i;
            readText(value);
        }
        if (name.empty()) continue;
        if (env.values.size() < Environment::kMaxVariables || env.has(name)) {
            env.values[name] = value;
        }
    }
    return env;
}

std::string ParseTerminalType(const Bytes& payload) {
    if (payload.empty() || payload[0] != kIs) return {};
    std::string name;
    for (std::size_t i = 1; i < payload.size() && name.size() < 40; ++i) {
        name.push_back(static_cast<char>(payload[i]));
    }
    return name;
}

Seed NewSeed() {
    std::random_device source;
    Seed seed{};
    // No byte of the type codes 0x00 to 0x03: such a byte goes out escaped,
    // and an escaped seed may read two ways (the ESC as a seed byte, or as
    // an escape); a careful terminal then sends no password rather than a
    // wrong one, and the demo's automatic sign-on would fail now and then.
    for (std::uint8_t& b : seed) {
        do {
            b = static_cast<std::uint8_t>(source() & 0xFF);
        } while (b <= kUserVar);
    }
    return seed;
}

Bytes EnvironmentRequest(const Seed& seed) {
    Bytes out = {kIac, kSb, kOptNewEnviron, kSend, kVar, 'U', 'S', 'E', 'R'};
    for (const char* name :
         {kEnvDeviceName, kEnvSeed, kEnvPasswordSubstitute, kEnvProgram, kEnvInitialMenu,
          kEnvCurrentLibrary}) {
        out.push_back(kUserVar);
        const std::string_view text(name);
        out.insert(out.end(), text.begin(), text.end());
        if (text != kEnvSeed) continue;
        for (const std::uint8_t b : seed) {
            // A seed byte must not read as a type code or end the subnegotiation.
            if (b <= kUserVar) out.push_back(kEsc);
            if (b == kIac) out.push_back(kIac);
            out.push_back(b);
        }
    }
    out.insert(out.end(), {kIac, kSe});
    return out;
}

}  // namespace quenlix::demohost
