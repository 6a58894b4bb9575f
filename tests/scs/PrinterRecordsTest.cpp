// Printer session records: the startup response's code and text, the kinds
// of host record, both end-of-file conventions, and the answers byte for byte.
#include <gtest/gtest.h>

#include <vector>

#include "scs/PrinterRecords.h"
#include "scs/ScsBuilder.h"

namespace quenlix::scs {
namespace {

using Bytes = std::vector<std::uint8_t>;

PrinterRecord Read(const Bytes& r) { return ReadPrinterRecord(r.data(), r.size()); }

TEST(PrinterRecordsTest, AnswersAreByteExact) {
    EXPECT_EQ(PrintCompleteRecord(),
              (Bytes{0x00, 0x0A, 0x12, 0xA0, 0x01, 0x02, 0x04, 0x00, 0x00, 0x01}));
    EXPECT_EQ(ClearedRecord(), (Bytes{0x00, 0x0A, 0x12, 0xA0, 0x01, 0x02, 0x04, 0x00, 0x00, 0x02}));
}

TEST(PrinterRecordsTest, EveryStartupCodeIsReadWithItsText) {
    struct Row {
        const char* code;
        bool ready;
        const char* text;
    };
    const Row rows[] = {
        {"I901", true, "Virtual device has less function than source device"},
        {"I902", true, "Session successfully started"},
        {"I906", true, "Automatic sign-on requested, but not allowed; session still allowed"},
        {"2702", false, "Device description not found"},
        {"2703", false, "Controller description not found"},
        {"2777", false, "Damaged device description"},
        {"8901", false, "Device not varied on"},
        {"8902", false, "Device not available"},
        {"8903", false, "Device not valid for session"},
        {"8906", false, "Session initiation failed"},
        {"8907", false, "Session failure"},
        {"8910", false, "Controller not valid for session"},
        {"8916", false, "No matching device found"},
        {"8917", false, "Not authorized to object"},
        {"8918", false, "Job canceled"},
        {"8920", false, "Object partially damaged"},
        {"8921", false, "Communications error"},
        {"8922", false, "Negative response received"},
        {"8923", false, "Start-up record built incorrectly"},
        {"8925", false, "Creation of device failed"},
        {"8928", false, "Change of device failed"},
        {"8929", false, "Vary on or vary off failed"},
        {"8930", false, "Message queue does not exist"},
        {"8934", false, "Start-up for S/36 WSF received"},
        {"8935", false, "Session rejected"},
        {"8936", false, "Security failure on session attempt"},
        {"8940", false, "Automatic configuration failed or not allowed"},
        {"8999", false, "Unknown startup response code"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        const PrinterRecord r = Read(StartupResponseRecord(row.code, "DEMO", "PRT01"));
        ASSERT_EQ(r.kind, PrinterRecord::Kind::kStartupResponse);
        ASSERT_TRUE(r.code);
        EXPECT_EQ(r.code->code, row.code);
        EXPECT_EQ(r.code->Ready(), row.ready);
        EXPECT_EQ(r.code->Text(), row.text);
    }
}

TEST(PrinterRecordsTest, HostRecordKindsAndBothEndOfFileConventions) {
    const Bytes scs = ScsBuilder().text("HELLO").newLine().take();
    const Bytes record = PrintRecord(scs);
    PrinterRecord r = Read(record);
    ASSERT_EQ(r.kind, PrinterRecord::Kind::kPrint);
    EXPECT_EQ(Bytes(r.data, r.data + r.dataLength), scs);
    EXPECT_FALSE(r.endOfFile);

    // The flag with an empty body.
    r = Read(PrintRecord({}, true));
    EXPECT_EQ(r.kind, PrinterRecord::Kind::kPrint);
    EXPECT_TRUE(r.endOfFile);
    // The flag with data is no end: the data is a page of the file.
    EXPECT_FALSE(Read(PrintRecord(scs, true)).endOfFile);
    // A print record without data ends the file, flagged or not.
    EXPECT_TRUE(Read(PrintRecord({})).endOfFile);

    // The short record: exactly 17 bytes, its data printed first.
    const Bytes tail = ScsBuilder().formFeed().take();
    const Bytes shortRecord = PrintRecord(tail);
    ASSERT_EQ(shortRecord.size(), kEndOfSpooledFileRecordLength);
    r = Read(shortRecord);
    EXPECT_TRUE(r.endOfFile);
    EXPECT_EQ(r.dataLength, tail.size());

    // A page of that length with text on it is no end.
    const Bytes word = PrintRecord(ScsBuilder().text("A").take());
    ASSERT_EQ(word.size(), kEndOfSpooledFileRecordLength);
    EXPECT_FALSE(Read(word).endOfFile);

    EXPECT_EQ(Read(ClearRecord()).kind, PrinterRecord::Kind::kClear);
}

// The pass-through header's length counts its own byte, the two flag
// bytes, the operation code and a diagnostic field zero-padded to that
// length: the print data begins after all of it, whatever the length.
TEST(PrinterRecordsTest, APassThroughHeaderWithADiagnosticFieldIsPassedOver) {
    const Bytes record = {0x00, 0x10, 0x12, 0xA0, kPrinterRecordFlag, kFromHostFlag,
                          0x08, 0x00, 0x00, kPrintOperation, 0x00, 0x00, 0x00, 0x00, 0xC1, 0xC2};
    const PrinterRecord r = Read(record);
    ASSERT_EQ(r.kind, PrinterRecord::Kind::kPrint);
    EXPECT_EQ(Bytes(r.data, r.data + r.dataLength), (Bytes{0xC1, 0xC2}));
    EXPECT_FALSE(r.endOfFile);
    // The same header for a Clear: no data to print.
    Bytes clear = record;
    clear[9] = kClearOperation;
    EXPECT_EQ(Read(clear).kind, PrinterRecord::Kind::kClear);
    // Our answers go inbound (second flag byte 0x02), the host's records
    // outbound (0x01); both are printer records (first flag byte 0x01).
    EXPECT_EQ(PrintCompleteRecord()[5], kFromPrinterFlag);
    EXPECT_EQ(PrintRecord({})[5], kFromHostFlag);
    EXPECT_EQ(StartupResponseRecord("I902", "S", "D")[4],
              kStartupConfirmationFlag | kDiagnosticFlag);
}

// The host's records as an IBM i host lays them out: the startup response's
// code, system and device at fixed places, and a print record's data after a
// ten-byte pass-through header.
TEST(PrinterRecordsTest, TheHostsRecordsAreLaidOutAsAnIbmIHostSendsThem) {
    const Bytes startup = StartupResponseRecord("I902", "SYSTEM1", "QPADEV001P");
    const Bytes expected = {0x12, 0xA0, 0x90, 0x00, 0x05, 0x60, 0x06, 0x00, 0x20, 0xC0, 0x00,
                            0x3D, 0x00, 0x00, 0xC9, 0xF9, 0xF0, 0xF2};
    ASSERT_GE(startup.size(), kStartupDeviceAt + 10);
    EXPECT_EQ(Bytes(startup.begin() + 2, startup.begin() + kStartupSystemAt), expected);
    EXPECT_EQ(startup[kStartupSystemAt], 0xE2);   // S
    EXPECT_EQ(startup[kStartupDeviceAt], 0xD8);   // Q
    EXPECT_EQ(startup.size(), static_cast<std::size_t>(startup[0] << 8 | startup[1]));
    EXPECT_EQ(Read(startup).code->code, "I902");

    const Bytes print = PrintRecord({0xC1});
    EXPECT_EQ(print, (Bytes{0x00, 0x11, 0x12, 0xA0, kPrinterRecordFlag, kFromHostFlag,
                            kHostPrintHeaderLength, 0x00, 0x00, kPrintOperation, 0, 0, 0, 0, 0, 0,
                            0xC1}));
    EXPECT_EQ(ClearRecord(), (Bytes{0x00, 0x10, 0x12, 0xA0, kPrinterRecordFlag, kFromHostFlag,
                                    kHostPrintHeaderLength, 0x00, 0x00, kClearOperation, 0, 0, 0,
                                    0, 0, 0}));
}

TEST(PrinterRecordsTest, MalformedRecordsSayWhy) {
    EXPECT_EQ(Read({0x00, 0x05, 0x12, 0xA0}).problem, "record shorter than its header");
    EXPECT_EQ(Read({0x00, 0x0A, 0x12, 0xA1, 0x01, 0x01, 0x04, 0, 0, 1}).problem, "no GDS header");
    EXPECT_EQ(Read({0x00, 0x08, 0x12, 0xA0, 0x01, 0x01, 0x09, 0}).problem,
              "pass-through header longer than the record");
    Bytes noCode = StartupResponseRecord("I902", "", "");
    noCode.resize(kStartupCodeAt);
    EXPECT_EQ(Read(noCode).problem, "startup response without a code");
    // A display record is nothing to the printer.
    EXPECT_EQ(Read({0x00, 0x0A, 0x12, 0xA0, 0x00, 0x00, 0x04, 0, 0, 3}).kind,
              PrinterRecord::Kind::kOther);
}

}  // namespace
}  // namespace quenlix::scs
