// Telnet reading for the demo host.
#include "demohost/HostTelnet.h"

#include <random>
#include <string_view>

#include "telnet/EnvironNames.h"
#include "telnet/EnvironValue.h"

namespace quenlix::demohost {

using ::quenlix::telnet::kEnvCurrentLibrary;
using ::quenlix::telnet::kEnvDeviceName;
using ::quenlix::telnet::kEnvInitialMenu;
using ::quenlix::telnet::kEnvPasswordSubstitute;
using ::quenlix::telnet::kEnvProgram;
using ::quenlix::telnet::kEnvSeed;

using namespace telnet;

namespace {

/// Appends up to `limit` bytes in all; `truncated` tells of any left out.
void AppendBounded(Bytes& to, const std::uint8_t* bytes, std::size_t count, std::size_t limit,
                   bool& truncated) {
    const std::size_t room = to.size() < limit ? limit - to.size() : 0;
    const std::size_t taken = count < room ? count : room;
    to.insert(to.end(), bytes, bytes + taken);
    if (taken < count) truncated = true;
}

}  // namespace

void TelnetReader::Feed(const std::uint8_t* data, std::size_t count,
                        std::vector<TelnetEvent>& out) {
    out_ = &out;
    reader_.Feed(data, count, *this);
    out_ = nullptr;
}

void TelnetReader::OptionCommand(std::uint8_t verb, std::uint8_t option) {
    TelnetEvent e;
    e.verb = verb;
    e.option = option;
    out_->push_back(std::move(e));
}

void TelnetReader::Command(std::uint8_t command) {
    // NOP, GA, AYT and the like: reported, never answered.
    TelnetEvent e;
    e.verb = command;
    out_->push_back(std::move(e));
}

void TelnetReader::SubnegotiationBegin(std::uint8_t option) {
    sbOption_ = option;
    sb_.clear();
    sbTruncated_ = false;
}

void TelnetReader::SubnegotiationData(const std::uint8_t* bytes, std::size_t count) {
    AppendBounded(sb_, bytes, count, kMaxSubnegotiation, sbTruncated_);
}

void TelnetReader::SubnegotiationEnd(bool complete) {
    if (complete) {
        TelnetEvent e;
        e.kind = TelnetEvent::kSubnegotiation;
        e.option = sbOption_;
        e.payload.swap(sb_);
        e.truncated = sbTruncated_;
        out_->push_back(std::move(e));
    }
    sb_.clear();
    sbTruncated_ = false;
}

void TelnetReader::RecordData(const std::uint8_t* bytes, std::size_t count) {
    AppendBounded(record_, bytes, count, kMaxRecord, recordTruncated_);
}

void TelnetReader::EndOfRecord() {
    TelnetEvent e;
    e.kind = TelnetEvent::kRecord;
    e.payload.swap(record_);
    e.truncated = recordTruncated_;
    record_.clear();
    recordTruncated_ = false;
    out_->push_back(std::move(e));
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
        // A seed byte must not read as a type code or end the subnegotiation.
        quenlix::telnet::AppendEnvironValue(out, seed.data(), seed.size());
    }
    out.insert(out.end(), {kIac, kSe});
    return out;
}

}  // namespace quenlix::demohost
