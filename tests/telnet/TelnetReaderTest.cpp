#include "telnet/TelnetReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "telnet/TelnetCodes.h"

namespace quenlix::telnet {
namespace {

// The events as text, with the data of consecutive calls joined, so that a
// stream read in any cuts must give the same text.
class EventLog : public TelnetEvents {
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

std::string Read(const std::vector<std::uint8_t>& stream, std::size_t cut) {
    TelnetReader reader;
    EventLog log;
    reader.Feed(stream.data(), cut, log);
    reader.Feed(stream.data() + cut, stream.size() - cut, log);
    return log.Done();
}

std::string ReadByteAtATime(const std::vector<std::uint8_t>& stream) {
    TelnetReader reader;
    EventLog log;
    for (std::uint8_t b : stream) reader.Feed(&b, 1, log);
    return log.Done();
}

TEST(TelnetReader, CommandsSubnegotiationsAndRecordsBecomeEvents) {
    const std::vector<std::uint8_t> stream = {
        0xFF, 0xFD, 0x27,                                    // DO NEW-ENVIRON
        0xFF, 0xFA, 0x27, 0x01, 0x03, 0xFF, 0xFF, 0x41, 0xFF, 0xF0,  // SB with a doubled IAC
        0xFF, 0xF1,                                          // NOP
        0x00, 0x0A, 0x12, 0xA0, 0xFF, 0xFF, 0x40, 0xFF, 0xEF,  // a record with 0xFF in it
        0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xFB, 0x19,            // SB cut short by WILL EOR
    };
    EXPECT_EQ(Read(stream, stream.size()),
              "opt fd27\n"
              "sb 27\nsbdata 0103ff41\nse\n"
              "cmd f1\n"
              "data 000a12a0ff40\neor\n"
              "sb 18\nsbdata 01\nse cut\nopt fb19\n");
}

TEST(TelnetReader, ReadsTheSameWhereverTheStreamIsCut) {
    const std::filesystem::path folder =
        std::filesystem::path(QUENLIX_SOURCE_DIR) / ".." / "shared" / "refdata" / "signon-recording";
    std::vector<std::uint8_t> stream;
    for (const char* name :
         {"testsys-login-h2c-01-neg.bin", "testsys-login-h2c-02-neg.bin",
          "testsys-login-h2c-03-neg.bin", "testsys-login-h2c-04-rec.bin",
          "testsys-login-h2c-05-rec.bin", "testsys-login-h2c-06-rec.bin",
          "testsys-login-h2c-07-rec.bin", "testsys-login-h2c-08-rec.bin"}) {
        std::ifstream in(folder / name, std::ios::binary);
        if (!in) GTEST_SKIP() << "recorded session not found in " << folder << " (../shared absent)";
        stream.insert(stream.end(), std::istreambuf_iterator<char>(in), {});
    }
    // Doubled IAC in the records too, to cut between its two copies.
    const std::vector<std::uint8_t> doubled = {0x00, 0x06, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF};
    stream.insert(stream.end(), doubled.begin(), doubled.end());

    const std::string whole = Read(stream, stream.size());
    EXPECT_NE(whole.find("eor\n"), std::string::npos);
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        ASSERT_EQ(Read(stream, cut), whole) << "cut at " << cut;
    }
    EXPECT_EQ(ReadByteAtATime(stream), whole);
}

// A handler that pauses the reader at each end of record: Feed returns just
// past it, and feeding the rest gives the events an unpaused read gives.
TEST(TelnetReader, PausedAtAnEventItLeavesTheRestUnread) {
    struct Pausing : EventLog {
        TelnetReader* reader = nullptr;
        void EndOfRecord() override {
            EventLog::EndOfRecord();
            reader->Pause();
        }
    };
    const std::vector<std::uint8_t> stream = {0x00, 0x05, 0xFF, 0xFF, 0x40, 0xFF, 0xEF,
                                              0xFF, 0xF1, 0x01, 0xFF, 0xEF, 0x02};
    TelnetReader reader;
    Pausing log;
    log.reader = &reader;
    std::vector<std::size_t> reads;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t read = reader.Feed(stream.data() + at, stream.size() - at, log);
        ASSERT_GT(read, 0u);
        reads.push_back(read);
        at += read;
    }
    EXPECT_EQ(reads, (std::vector<std::size_t>{7, 5, 1}));
    EXPECT_EQ(log.Done(), Read(stream, stream.size()));
}

}  // namespace
}  // namespace quenlix::telnet
