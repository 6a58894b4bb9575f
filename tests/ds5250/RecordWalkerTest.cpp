#include "ds5250/RecordWalker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ds5250/RecordActionLog.h"
#include "ds5250/RecordBuilder.h"
#include "ds5250/RecordDescriber.h"
#include "ds5250/TN5250.h"
#include "support/Recorders.h"
#include "support/SampleScreens.h"
#include "support/WireRecords.h"

namespace quenlix::ds {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The walk of a record's bytes after its header (from the operation code),
// fed in pieces of `piece` bytes (0: whole).
std::string Walk(const Bytes& afterHeader, std::size_t piece = 0) {
    RecordActionLog log;
    RecordWalker walker(log);
    if (piece == 0) piece = afterHeader.size() + 1;
    for (std::size_t at = 0; at < afterHeader.size(); at += piece) {
        walker.Feed(afterHeader.data() + at, std::min(piece, afterHeader.size() - at));
    }
    walker.Finish();
    return log.text();
}

Bytes Body(std::initializer_list<std::uint8_t> bytes) { return Bytes(bytes); }

TEST(RecordWalker, ReadsCommandsOrdersAndDataByName) {
    const Bytes body = Body({
        kOpPutGet, kEscape, kCmdClearUnit,                     // Put/Get, Clear Unit
        kEscape, kCmdWriteToDisplay, 0x00, 0x18,               // WTD CC 00 18
        kOrderStartOfHeader, 0x07, 0, 0, 3, 24, 0, 0, 0,       // SOH, 7 bytes
        kOrderSetBufferAddress, 2, 5, 0xC1, 0xFF, 0x20,        // SBA 2,5 data A FF 20
        kOrderStartOfField, 0x40, 0x07, 0x80, 0x09, 0x27, 0x00, 0x0A,  // SF FFW FCW attr len
        kOrderRepeatToAddress, 2, 40, 0x00,                    // RA
        kOrderInsertCursor, 2, 6,                              // IC
        kEscape, kCmdReadMdtFields, 0x00, 0x08,                // end of data, Read MDT Fields
    });
    EXPECT_EQ(Walk(body),
              "opcode 3\n"
              "clear unit 0\n"
              "WTD 0 24\n"
              "SOH 0 0 3 24 0 0 0\n"
              "SBA 2 5\n"
              "data 193 255 32\n"
              "SF ffw 64 7 fcw 1 reseq 9 attr 39 len 10\n"
              "RA 2 40 0\n"
              "IC 2 6\n"
              "end of display data\n"
              "read fields 82 0 8\n");
}

TEST(RecordWalker, FollowsTheTerminalsReadingOfOddStreams) {
    // Cancel Invite and the message lights: the next byte is an operation code.
    EXPECT_EQ(Walk(Body({kOpCancelInvite, kOpMessageLightOn, kOpNoOperation, 1, 2})),
              "opcode 10\nopcode 11\nopcode 0\nnot read 1 2\n");
    // Save Screen skips to its escape; the byte after the command is an
    // operation code again.
    EXPECT_EQ(Walk(Body({kOpSaveScreen, 9, kEscape, 7, kCmdSaveScreen, kOpOutputOnly, kEscape,
                         kCmdClearFormatTable})),
              "opcode 4\nnot read 9 7\nsave screen\nopcode 2\nclear format table\n");
    // A read without its escape ends the walk.
    EXPECT_EQ(Walk(Body({kOpReadScreen, 0x11, kEscape, kCmdClearUnit})),
              "opcode 8\nread request missing 17\n");
    // Roll leaves the next byte a command code; an unknown command too.
    EXPECT_EQ(Walk(Body({kOpOutputOnly, kEscape, kCmdRoll, 0x81, 1, 20, 0x99, kCmdClearUnit,
                         0x55})),
              "opcode 2\nroll 129 1 20\nunknown command 153\nclear unit 0\nno escape 85\n");
    // Write Error Code takes an Insert Cursor first, else data at once.
    EXPECT_EQ(Walk(Body({kOpOutputOnly, kEscape, kCmdWriteErrorCode, kOrderInsertCursor, 3, 4,
                         0xC1, kEscape, kCmdWriteErrorCode, 0xC2})),
              "opcode 2\nwrite error code, IC 3 4\ndata 193\nend of display data\n"
              "write error code 0 0\ndata 194\n");
    // A structured field: its start, then nothing more is read.
    EXPECT_EQ(Walk(Body({kOpOutputOnly, kEscape, kCmdWriteStructuredField, 0, 5, 0xD9, 0x70, 0,
                         1, 2})),
              "opcode 2\nWSF 5 217 112 0\nnot read 1 2\n");
}

TEST(RecordWalker, ActsOnACutCommandOrOrderWithZeros) {
    RecordActionLog log;
    RecordWalker walker(log);
    const Bytes body = Body({kOpOutputOnly, kEscape, kCmdWriteToDisplay, 0x00, 0x18,
                             kOrderSetBufferAddress, 7});
    walker.Feed(body.data(), body.size());
    struct CutCheck : RecordActions {
        RecordWalker* walker = nullptr;
        bool cut = false;
        std::size_t given = 0;
        void SetBufferAddress(int, int) override {
            cut = walker->cut();
            given = walker->givenCount();
        }
    };
    walker.Finish();
    EXPECT_EQ(log.text(), "opcode 2\nWTD 0 24\nSBA 7 0\n");

    CutCheck check;
    RecordWalker second(check);
    check.walker = &second;
    second.Feed(body.data(), body.size());
    second.Finish();
    EXPECT_TRUE(check.cut);
    EXPECT_EQ(check.given, 1u);
    EXPECT_FALSE(second.cut());
}

TEST(RecordWalker, ReadsTheCountedOrdersTheSameInAnyPieces) {
    // Orders whose operands say how many bytes follow: the types of an Erase
    // to Address, Transparent Data's bytes (order codes among them), a
    // structured field's data; each cut anywhere reads the same.
    const Bytes data = RecordBuilder()
                             .writeToDisplay()
                             .sba(2, 2)
                             .eraseToAddress(2, 9, {0x01, 0x03, 0xFF})
                             .transparentData({kOrderSetBufferAddress, kEscape, 0xC1})
                             .writeExtendedAttribute(kExtendedPrimary, 0x80)
                             .moveCursor(4, 4)
                             .displayStructuredField(kWdsfCreateWindow, {0x80, 0, 0, 3, 9, 0x03})
                             .text("Z")
                             .writeErrorCodeToWindow(2, 9)
                             .savePartialScreen(1, 1, 2, 2)
                             .data();
    Bytes body = {kOpPutGet};
    body.insert(body.end(), data.begin(), data.end());
    const std::string whole = Walk(body);
    EXPECT_EQ(whole,
              "opcode 3\n"
              "WTD 0 0\n"
              "SBA 2 2\n"
              "EA 2 9 4\n"
              "EA types 1 3 255\n"
              "TD 3\n"
              "TD bytes 17 4 193\n"
              "WEA 1 128\n"
              "MC 4 4\n"
              "WDSF 10 217 81 6\n"
              "WDSF data 128 0 0 3 9 3\n"
              "data 233\n"
              "end of display data\n"
              "write error code to window 2 9\n"
              "write error code 0 0\n"
              "end of display data\n"
              "save partial screen 0 1 1 2 2\n");
    for (std::size_t piece = 1; piece <= 9; ++piece) {
        EXPECT_EQ(Walk(body, piece), whole) << "in pieces of " << piece;
    }
    // Cut short: what came is acted on, nothing more is read.
    EXPECT_EQ(Walk(Body({kOpPutGet, kEscape, kCmdWriteToDisplay, 0, 0, kOrderEraseToAddress, 2, 9,
                         4, 0x01})),
              "opcode 3\nWTD 0 0\nEA 2 9 4\nEA types 1\n");
    EXPECT_EQ(Walk(Body({kOpPutGet, kEscape, kCmdWriteToDisplay, 0, 0, kOrderDisplayStructuredField,
                         0x00, 0x40, 0xD9, 0x51, 0x01})),
              "opcode 3\nWTD 0 0\nWDSF 64 217 81 1\nWDSF data 1\n");
    // A length the Erase to Address cannot have takes no byte for a type.
    EXPECT_EQ(Walk(Body({kOpPutGet, kEscape, kCmdWriteToDisplay, 0, 0, kOrderEraseToAddress, 2, 9,
                         9, 0xC1})),
              "opcode 3\nWTD 0 0\nEA 2 9 9\nEA types\ndata 193\n");
    // A structured field of any length keeps a bounded part of its data.
    Bytes longField = {kOpPutGet, kEscape, kCmdWriteToDisplay, 0, 0, kOrderDisplayStructuredField,
                       0xFF, 0xFF, 0xD9, 0x50};
    longField.resize(longField.size() + 0xFFFF - 4, 0x40);
    longField.push_back(0xC1);
    const std::string walked = Walk(longField, 4096);
    EXPECT_NE(walked.find("WDSF 65535 217 80 65531\n"), std::string::npos);
    EXPECT_NE(walked.find("data 193\n"), std::string::npos);
}

// The records of a recorded sign-on and of the sample screens, as the
// endpoint hands them on.
std::vector<Bytes> RecordedRecords() {
    std::vector<Bytes> records;
    const auto folder = std::filesystem::path(QUENLIX_SOURCE_DIR) / ".." / "shared" / "refdata" /
                        "signon-recording";
    for (const char* name :
         {"testsys-login-h2c-04-rec.bin", "testsys-login-h2c-05-rec.bin",
          "testsys-login-h2c-06-rec.bin", "testsys-login-h2c-07-rec.bin",
          "testsys-login-h2c-08-rec.bin"}) {
        std::ifstream in(folder / name, std::ios::binary);
        if (!in) return {};
        const Bytes wire{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        for (Bytes& record : WireRecords(wire)) records.push_back(std::move(record));
    }
    return records;
}

TEST(RecordWalker, ReadsTheRecordedSessionTheSameInAnyPieces) {
    const std::vector<Bytes> records = RecordedRecords();
    if (records.empty()) GTEST_SKIP() << "no recorded host data (../shared is absent)";
    ASSERT_EQ(records.size(), 5u);
    for (const Bytes& record : records) {
        ASSERT_GE(record.size(), 10u);
        const Bytes body(record.begin() + 9, record.end());
        const std::string whole = Walk(body);
        EXPECT_EQ(whole.find("not read"), std::string::npos) << whole;
        for (std::size_t piece = 1; piece <= 7; ++piece) {
            EXPECT_EQ(Walk(body, piece), whole) << "in pieces of " << piece;
        }
    }
}

TEST(RecordWalker, TheInterpreterAndTheDescriberAreHandedTheSameActions) {
    const std::vector<Bytes> recorded = RecordedRecords();
    if (recorded.empty()) GTEST_SKIP() << "no recorded host data (../shared is absent)";
    std::vector<Bytes> records = recorded;
    for (const Bytes& wire : {samples::SignOnScreen(), samples::FullScreen(24, 80, 12),
                              RecordBuilder().writeErrorCode().text("ERROR").record(),
                              RecordBuilder().roll(0x83, 2, 10).readInputFields().record()}) {
        for (Bytes& record : WireRecords(wire)) records.push_back(std::move(record));
    }

    Terminal terminal;
    terminal.screen.AllocateCells(132, 27);
    terminal.screen.SetGeometry(80, 24);
    TranslationCache tables;
    tables.InitTranslation("/nonexistent");
    SessionSettings settings;
    quenlix::testing::RecordingSender sender;
    quenlix::testing::RecordingMessages messages;
    CTN5250 interpreter({terminal, tables, settings, sender, messages});
    ScreenMemory memory;
    const DescribeOptions options;
    for (const Bytes& record : records) {
        RecordActionLog interpreted(&interpreter);
        interpreter.SetActionTap(&interpreted);
        interpreter.ProcessRecord(record.data(), record.size());

        RecordDescriber describer(RecordSource::kHost, options, memory);
        RecordActionLog described(&describer);
        describer.SetActionTap(&described);
        for (std::uint8_t byte : record) describer.Feed(byte);
        describer.EndRecord();
        (void)describer.Finish();

        EXPECT_FALSE(interpreted.text().empty());
        EXPECT_EQ(interpreted.text(), described.text());
    }

}

}  // namespace
}  // namespace quenlix::ds
