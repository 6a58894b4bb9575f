// A printer session fed host records: the startup response, print records
// answered byte for byte, spooled files as PDFs under names that never
// overwrite, both ends of a spooled file, the clear, the host print
// transform's data passed on untouched, and a refused device.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "connection/PrinterSession.h"
#include "ds5250/RecordFramer.h"
#include "scs/ScsBuilder.h"
#include "support/Recorders.h"

// Under the leak checker: fontconfig, which cairo loads for the PDF's font,
// keeps its caches until the process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace quenlix::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

class RecordingPrinterEvents : public PrinterEvents {
public:
    void PrinterReady(const scs::StartupCode& code) override {
        lines.push_back("ready " + code.code);
    }
    void PrinterRefused(const scs::StartupCode& code) override {
        lines.push_back("refused " + code.code + " " + std::string(code.Text()));
    }
    void FilePrinted(const std::string& path, int pages) override {
        lines.push_back("printed " + fs::path(path).filename().string() + " " +
                        std::to_string(pages));
    }
    void Problem(const std::string& text) override { lines.push_back("problem " + text); }
    std::vector<std::string> lines;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class PrinterSessionTest : public ::testing::Test {
protected:
    PrinterSessionTest() {
        folder = fs::temp_directory_path() /
                 ("quenlix-printer-" +
                  std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        printer.settings.OutputFolder = folder.string();
        printer.fileDate = "2026-12-10";
        printer.endpoint().SetTransport(&host);
        printer.StartWithoutSocket();
    }
    ~PrinterSessionTest() override { fs::remove_all(folder); }

    void FromHost(Bytes record) {
        Bytes framed;
        ds::FinishRecord(record, framed);
        printer.endpoint().OnReceived(framed.data(), framed.size());
    }
    Bytes Page(const std::string& text) {
        return scs::PrintRecord(scs::ScsBuilder().text(text).newLine().formFeed().take());
    }

    fs::path folder;
    RecordingPrinterEvents events;
    RecordingMessages messages;
    NullSocketNotifier notifier;
    PrinterSession printer{PrinterFrontEnd{events, messages, notifier}, QUENLIX_TABLE_DIR};
    RecordingSender host;
};

TEST_F(PrinterSessionTest, ASpooledFileBecomesOnePdfAndEveryRecordIsAnswered) {
    FromHost(scs::StartupResponseRecord("I902", "DEMO", "PRT01"));
    EXPECT_EQ(printer.state(), PrinterSession::State::kReady);
    EXPECT_TRUE(host.sent.empty()) << "the startup response asks for no answer";

    FromHost(Page("FIRST"));
    EXPECT_EQ(printer.state(), PrinterSession::State::kPrinting);
    FromHost(Page("SECOND"));
    FromHost(scs::PrintRecord({}, true));  // the end, flagged
    const Bytes complete = {0x00, 0x0A, 0x12, 0xA0, 0x01, 0x02, 0x04, 0x00, 0x00, 0x01};
    ASSERT_EQ(host.sent.size(), 3u);
    for (const Bytes& answer : host.sent) EXPECT_EQ(answer, complete);

    EXPECT_EQ(events.lines,
              (std::vector<std::string>{"ready I902", "printed print-2026-12-10-001.pdf 2"}));
    EXPECT_EQ(printer.state(), PrinterSession::State::kReady);
    const std::string pdf = ReadFile(folder / "print-2026-12-10-001.pdf");
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");

    // The host clears the printer: answered as cleared.
    host.sent.clear();
    FromHost(scs::ClearRecord());
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0], (Bytes{0x00, 0x0A, 0x12, 0xA0, 0x01, 0x02, 0x04, 0x00, 0x00, 0x02}));
}

TEST_F(PrinterSessionTest, FileNamesCountOnAndNeverOverwrite) {
    // A file of that name is already there, made by someone else.
    std::ofstream(folder / "print-2026-12-10-001.pdf") << "keep me";
    FromHost(scs::StartupResponseRecord("I902", "DEMO", "PRT01"));
    FromHost(Page("ONE"));
    // The short closing record ends the spooled file too, after its data.
    const Bytes shortEnd =
        scs::PrintRecord(scs::ScsBuilder().formFeed().take());
    ASSERT_EQ(shortEnd.size(), scs::kEndOfSpooledFileRecordLength);
    FromHost(shortEnd);
    FromHost(Page("TWO"));
    FromHost(scs::PrintRecord({}, true));
    EXPECT_EQ(events.lines,
              (std::vector<std::string>{"ready I902", "printed print-2026-12-10-002.pdf 1",
                                        "printed print-2026-12-10-003.pdf 1"}));
    EXPECT_EQ(ReadFile(folder / "print-2026-12-10-001.pdf"), "keep me");
}

TEST_F(PrinterSessionTest, TheHostPrintTransformsDataIsWrittenUntouched) {
    printer.settings.HostPrintTransform = 1;
    printer.StartWithoutSocket();
    FromHost(scs::StartupResponseRecord("I902", "DEMO", "PRT01"));
    // Printer-ready data, with bytes that are SCS controls and a 0xFF.
    const Bytes pcl = {0x1B, 'E', 0x0C, 0x15, 0xFF, 'H', 'i', 0x0D, 0x0A};
    FromHost(scs::PrintRecord(pcl));
    FromHost(scs::PrintRecord({}, true));
    ASSERT_EQ(events.lines.size(), 2u);
    EXPECT_EQ(events.lines[1], "printed print-2026-12-10-001.prn 0");
    EXPECT_EQ(ReadFile(folder / "print-2026-12-10-001.prn"), std::string(pcl.begin(), pcl.end()));
}

TEST_F(PrinterSessionTest, ARefusedDeviceSaysWhyAndBadRecordsAreSkipped) {
    FromHost({0x00, 0x08, 0x12, 0xA0, 0x01, 0x01, 0x09, 0x00});
    FromHost(scs::StartupResponseRecord("8925", "DEMO", "PRT01"));
    EXPECT_EQ(printer.state(), PrinterSession::State::kRefused);
    EXPECT_EQ(events.lines,
              (std::vector<std::string>{
                  "problem host record skipped: pass-through header longer than the record",
                  "refused 8925 Creation of device failed"}));
    EXPECT_TRUE(host.sent.empty());
}

TEST_F(PrinterSessionTest, MalformedScsIsReportedAndTheFileStillWritten) {
    FromHost(scs::StartupResponseRecord("I902", "DEMO", "PRT01"));
    FromHost(scs::PrintRecord(scs::ScsBuilder().text("OK").bytes({0x34, 0xC0, 0x00}).take()));
    FromHost(scs::PrintRecord({}, true));
    EXPECT_EQ(
        events.lines,
        (std::vector<std::string>{
            "ready I902", "problem SCS data skipped: absolute horizontal position 0 off the page",
            "printed print-2026-12-10-001.pdf 1"}));
    EXPECT_EQ(host.sent.size(), 2u) << "a skipped control does not hold back the answer";
}

}  // namespace
}  // namespace quenlix::testing
