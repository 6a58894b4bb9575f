// A printer session: the host answers the negotiation with a startup
// response (I902, or the failure code it was told to refuse with), then
// spools the sample report to it, one page a print record, as the socket
// takes them, and reads the printer's print-complete answers.
#include <algorithm>
#include <cstdio>

#include "demohost/HostSession.h"
#include "ds5250/RecordFramer.h"
#include "scs/PrinterRecords.h"
#include "scs/ScsBuilder.h"

namespace quenlix::demohost {

namespace {

// The report's columns: item, description, quantity, price.
constexpr std::uint8_t kDescriptionColumn = 11;
constexpr std::uint8_t kQuantityColumn = 41;
constexpr std::uint8_t kPriceColumn = 53;
constexpr std::uint8_t kPageNumberColumn = 66;

const char* const kDescriptions[] = {"Hex bolt M6 x 30",  "Washer 6 mm",    "Nut M6",
                                     "Wood screw 4 x 40", "Wall plug 6 mm", "Hinge 60 mm",
                                     "Cable tie 200 mm",  "Wing nut M8"};

Bytes Framed(Bytes record) {
    Bytes framed;
    ds::FinishRecord(record, framed);
    return framed;
}

}  // namespace

Bytes HostSession::ReportPage(long page, const TablePair& tables) {
    scs::ScsBuilder b(tables);
    if (page == 1) {
        // The report's format: 80 print positions with its tab stops, 66
        // lines at 6 to the inch, 10 characters to the inch.
        b.horizontalFormat(80, 0, 0, {kDescriptionColumn, kQuantityColumn, kPriceColumn})
            .verticalFormat(66)
            .lineDensity(12)
            .characterDistance(10);
    }
    char number[32];
    std::snprintf(number, sizeof number, "Page %4ld", page);
    b.text("QUENLIX DEMO HOST").absoluteHorizontal(kPageNumberColumn).text(number).newLine();
    b.text("Stock report").newLine().newLine();
    b.text("Item").tab().text("Description").tab().text("Quantity").tab().text("Price").newLine();
    b.text(std::string(60, '-')).newLine();
    for (int i = 0; i < kReportItemsPerPage; ++i) {
        const long item = (page - 1) * kReportItemsPerPage + i + 1;
        char code[16], quantity[16], price[16];
        std::snprintf(code, sizeof code, "A%05ld", item % 100000);
        std::snprintf(quantity, sizeof quantity, "%8ld", (item * 37) % 500 + 1);
        std::snprintf(price, sizeof price, "%4ld.%02ld", (item * 13) % 90 + 1, (item * 7) % 100);
        b.text(code).tab().text(kDescriptions[item % 8]).tab().text(quantity).tab().text(price);
        b.newLine();
    }
    b.formFeed();
    return b.take();
}

void HostSession::StartPrinter() {
    const bool refuse = !config_.printerRefuseCode.empty();
    const std::string code = refuse ? config_.printerRefuseCode : "I902";
    Send(Framed(scs::StartupResponseRecord(code, config_.systemName, deviceName_)),
         "startup response " + code);
    if (refuse) {
        Log("printer device " + deviceName_ + " refused with " + code + ": closing");
        phase_ = Phase::kClosing;
        return;
    }
    phase_ = Phase::kRunning;
    if (config_.scenario == Scenario::kPrint) QueueReport(config_.burstCount);
}

void HostSession::QueueReport(long pages) {
    if (!printerReady() || pages <= 0) return;
    if (reportLeft_ == 0) reportPage_ = 0;
    reportLeft_ = std::min(reportLeft_ + pages, kMaxBurst);
    Log("-> report of " + std::to_string(pages) + " pages spooled");
    PumpReport(kPumpBudget);
}

void HostSession::PumpReport(std::size_t budget) {
    while (reportLeft_ > 0 && out_.size() < budget) {
        const Bytes page = Framed(scs::PrintRecord(ReportPage(++reportPage_, config_.tables)));
        out_.insert(out_.end(), page.begin(), page.end());
        if (--reportLeft_ > 0) continue;
        // Both ways a host ends a spooled file: the scenario's reports with
        // an empty flagged record, the menu's with a short closing record.
        Bytes end;
        if (config_.scenario == Scenario::kPrint) {
            end = Framed(scs::PrintRecord({}, true));
        } else {
            end = Framed(scs::PrintRecord(scs::ScsBuilder().formFeed().take()));
        }
        out_.insert(out_.end(), end.begin(), end.end());
        ++reportsSent_;
        Log("-> " + std::to_string(reportPage_) + " report pages and the end of the spooled file");
    }
}

void HostSession::OnPrinterRecord(const TelnetEvent& e) {
    const Bytes& r = e.payload;
    if (r.size() < 10) {
        Log("<- a printer record too short to read");
        return;
    }
    switch (r[9]) {
        case scs::kPrintOperation:
            ++printCompletes_;
            break;
        case scs::kClearOperation:
            Log("<- cleared");
            break;
        default:
            Log("<- printer record with operation " + std::to_string(r[9]));
            break;
    }
}

}  // namespace quenlix::demohost
