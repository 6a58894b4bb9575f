// The telnet reader's events written down, the data of consecutive calls
// joined, so that a stream read in any cuts must give the same text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "telnet/TelnetReader.h"

namespace quenlix::telnet {

class TelnetEventLog : public TelnetEvents {
public:
    std::string text;

    void OptionCommand(std::uint8_t verb, std::uint8_t option) override {
        Close();
        text += "opt " + Hex(verb) + Hex(option) + "\n";
    }
    void Command(std::uint8_t command) override {
        Close();
        text += "cmd " + Hex(command) + "\n";
    }
    void SubnegotiationBegin(std::uint8_t option) override {
        Close();
        text += "sb " + Hex(option) + "\n";
    }
    void SubnegotiationData(const std::uint8_t* bytes, std::size_t count) override {
        Open("sbdata ");
        for (std::size_t i = 0; i < count; ++i) text += Hex(bytes[i]);
    }
    void SubnegotiationEnd(bool complete) override {
        Close();
        text += complete ? "se\n" : "se cut\n";
    }
    void RecordData(const std::uint8_t* bytes, std::size_t count) override {
        Open("data ");
        for (std::size_t i = 0; i < count; ++i) text += Hex(bytes[i]);
    }
    void EndOfRecord() override {
        Close();
        text += "eor\n";
    }
    std::string Done() {
        Close();
        return text;
    }

private:
    static std::string Hex(std::uint8_t b) {
        static const char* digits = "0123456789abcdef";
        return {digits[b >> 4], digits[b & 15]};
    }
    void Open(const char* kind) {
        if (open_ != kind) {
            Close();
            text += kind;
            open_ = kind;
        }
    }
    void Close() {
        if (!open_.empty()) text += "\n";
        open_.clear();
    }
    std::string open_;
};

}  // namespace quenlix::telnet
