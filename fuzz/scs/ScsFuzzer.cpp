// The SCS interpreter and the printer record reader on any bytes. The input
// is read as host records: a first byte choosing what ends each record's
// SCS (nothing, the end of the spooled file, a clear), then records of one
// length byte and that many bytes. Each goes through the record reader, and
// its data (or the whole piece when it is no print record) through the
// interpreter; every page handed on must be a well-formed grid.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "scs/PrinterRecords.h"
#include "scs/ScsInterpreter.h"

namespace {

using namespace quenlix::scs;

class CheckingSink : public PageSink {
public:
    void PageReady(const PrintedPage& page) override {
        if (page.columns < 1 || page.columns > PrintedPage::kMaxColumns || page.lines < 1 ||
            page.lines > PrintedPage::kMaxLines ||
            page.cells.size() != static_cast<std::size_t>(page.columns * page.lines) ||
            page.charactersPerInch < 1.0 || page.charactersPerInch > 30.0 ||
            page.linesPerInch < 1.0 || page.linesPerInch > 30.0 || page.Blank()) {
            std::abort();
        }
        for (int line = 1; line <= page.lines; ++line) (void)page.LineText(line);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static CheckingSink sink;
    ScsInterpreter scs(sink, PageDefaults{});
    const std::uint8_t mode = data[0] % 3;
    std::size_t at = 1;
    while (at < size) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        const std::uint8_t* piece = data + at + 1;
        at += 1 + length;
        const PrinterRecord record = ReadPrinterRecord(piece, length);
        if (record.kind == PrinterRecord::Kind::kPrint) {
            if (record.data < piece || record.data + record.dataLength > piece + length)
                std::abort();
            scs.Feed(record.data, record.dataLength);
            if (record.endOfFile) scs.EndOfFile();
        } else {
            scs.Feed(piece, length);
        }
        if (mode == 1) scs.EndOfFile();
        if (mode == 2) scs.Clear();
    }
    scs.EndOfFile();
    return 0;
}
