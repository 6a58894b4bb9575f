// Reading a trace back for replay, and telling it from raw host data.
#include "TraceSupport.h"
#include "trace/TraceFile.h"
#include "trace/TrafficTracer.h"

namespace quenlix::testing {
namespace {

TEST(TraceFile, TheTracersLinesComeBackAsTheHostsBlocks) {
    // Host data into a non-display field is masked, and comes back as blanks.
    const Bytes screen = RecordBuilder()
                             .clearUnit()
                             .writeToDisplay()
                             .sba(2, 5)
                             .startOfField(0x40, 0, 0x27, 3)
                             .text("XYZ")
                             .record();
    const Bytes doEor = {0xFF, 0xFD, 0x19};
    TrafficTracer tracer{ScreenMemory()};
    std::string file = "connected\r\n";
    for (const Bytes* b : {&doEor, &screen}) file += Joined(tracer.Received(b->data(), b->size()));
    file += Joined(tracer.Sent(doEor.data(), doEor.size())) + "screen\n  row text\n";
    ASSERT_TRUE(IsTrace(file));
    std::vector<Bytes> blocks;
    std::string error;
    ASSERT_TRUE(ReadTrace(file, blocks, error)) << error;
    Bytes blanked = screen;
    const Bytes xyz = Ebcdic("XYZ");
    std::replace_copy_if(
        screen.begin(), screen.end(), blanked.begin(),
        [&](std::uint8_t b) { return std::find(xyz.begin(), xyz.end(), b) != xyz.end(); },
        std::uint8_t{0x40});
    EXPECT_EQ(blocks, (std::vector<Bytes>{doEor, blanked}));
}

TEST(TraceFile, ATraceIsTextWithATraceRecvLine) {
    EXPECT_TRUE(IsTrace("trace recv fffd18\n"));
    EXPECT_TRUE(IsTrace("ok\r\ntrace sent fffb18\r\ntrace recv 0a**\r\n"));
    EXPECT_FALSE(IsTrace("trace sent fffb18\n")) << "nothing the host sent";
    EXPECT_TRUE(IsTrace("trace recv xyz\n")) << "a trace, whose bad line ReadTrace names";
    EXPECT_FALSE(IsTrace("  trace recv fffd18\n")) << "a described line";
    // Raw host data that begins with the words of a trace line: its telnet
    // commands and records carry 0xFF.
    EXPECT_FALSE(IsTrace(std::string("trace recv 40\n") + "\xFF\xFD\x18"));
    EXPECT_FALSE(IsTrace(std::string("trace recv 40\n\0", 15)));
    EXPECT_FALSE(IsTrace(""));
}

TEST(TraceFile, ABadReceivedLineIsNamed) {
    std::vector<Bytes> blocks;
    std::string error;
    EXPECT_FALSE(ReadTrace("trace recv fffd18\nok\ntrace recv fffd1\n", blocks, error));
    EXPECT_EQ(error, "trace line 3 is not hexadecimal");
    EXPECT_FALSE(ReadTrace("trace recv *f\n", blocks, error));
}

}  // namespace
}  // namespace quenlix::testing
