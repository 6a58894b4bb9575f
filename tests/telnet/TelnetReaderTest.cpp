#include "telnet/TelnetReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/TelnetEventLog.h"
#include "telnet/TelnetCodes.h"

namespace quenlix::telnet {
namespace {

std::string Read(const std::vector<std::uint8_t>& stream, std::size_t cut) {
    TelnetReader reader;
    TelnetEventLog log;
    reader.Feed(stream.data(), cut, log);
    reader.Feed(stream.data() + cut, stream.size() - cut, log);
    return log.Done();
}

std::string ReadByteAtATime(const std::vector<std::uint8_t>& stream) {
    TelnetReader reader;
    TelnetEventLog log;
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
    struct Pausing : TelnetEventLog {
        TelnetReader* reader = nullptr;
        void EndOfRecord() override {
            TelnetEventLog::EndOfRecord();
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
