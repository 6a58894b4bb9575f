// Host bytes as they travel, read into records as the endpoint reads them:
// a telnet::TelnetReader undoes the IAC doubling and takes each IAC EOR off,
// so tests written with framed records (RecordBuilder, FramedRecord) feed
// the interpreter what it gets from the endpoint.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "telnet/TelnetCodes.h"
#include "telnet/TelnetReader.h"

namespace quenlix {

/// The records in `wire`, in order. Telnet commands are no record data;
/// bytes after the last IAC EOR are a last record of their own, cut short.
inline std::vector<std::vector<std::uint8_t>> WireRecords(const std::uint8_t* wire,
                                                          std::size_t count) {
    struct Gatherer : telnet::TelnetEvents {
        std::vector<std::vector<std::uint8_t>> records;
        std::vector<std::uint8_t> record;
        bool open = false;
        void RecordData(const std::uint8_t* bytes, std::size_t n) override {
            record.insert(record.end(), bytes, bytes + n);
            open = true;
        }
        void EndOfRecord() override {
            records.push_back(std::move(record));
            record.clear();
            open = false;
        }
    } gatherer;
    telnet::TelnetReader reader;
    reader.Feed(wire, count, gatherer);
    if (gatherer.open) gatherer.records.push_back(std::move(gatherer.record));
    return std::move(gatherer.records);
}

inline std::vector<std::vector<std::uint8_t>> WireRecords(const std::vector<std::uint8_t>& wire) {
    return WireRecords(wire.data(), wire.size());
}

/// Hands each record in `wire` to `interpreter` (anything with
/// ProcessRecord), one call a record.
template <class Interpreter>
void ProcessWire(Interpreter& interpreter, const std::uint8_t* wire, std::size_t count) {
    for (const std::vector<std::uint8_t>& record : WireRecords(wire, count)) {
        interpreter.ProcessRecord(record.data(), record.size());
    }
}

template <class Interpreter>
void ProcessWire(Interpreter& interpreter, const std::vector<std::uint8_t>& wire) {
    ProcessWire(interpreter, wire.data(), wire.size());
}

/// A record framed again as it travelled: every 0xFF doubled, IAC EOR after.
inline std::vector<std::uint8_t> Reframed(const std::uint8_t* record, std::size_t count) {
    std::vector<std::uint8_t> wire;
    wire.reserve(count + 2);
    for (std::size_t i = 0; i < count; ++i) {
        if (record[i] == telnet::kIAC) wire.push_back(telnet::kIAC);
        wire.push_back(record[i]);
    }
    wire.insert(wire.end(), {telnet::kIAC, telnet::Byte(telnet::Command::EOR)});
    return wire;
}

}  // namespace quenlix
