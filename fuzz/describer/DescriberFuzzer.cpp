// Feeds arbitrary traffic, in arbitrary pieces from either side, to the
// tracer (and the whole input at once to the stream and record describers):
// nothing may crash, and every piece gives its hex line, of the right
// length, with "**" only while masking is on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "describer/DescriberInput.h"
#include "terminal/TranslationCache.h"
#include "trace/StreamDescriber.h"
#include "trace/TrafficTracer.h"

using namespace quenlix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t mode = data[0];
    const bool mask = !(mode & fuzz::kRaw);
    const ScreenMemory screen = (mode & fuzz::kWide) ? ScreenMemory(132, 27) : ScreenMemory();
    static TranslationCache tables = [] {
        TranslationCache t;
        t.InitTranslation(ProgramDirectory());
        return t;
    }();
    const int codePage = (mode & fuzz::kCodePage37) ? 37 : 0;

    TrafficTracer tracer(screen, mask);
    tracer.SetTextTables(tables.EtoaFor(codePage), PcCharset::ForCodePage(codePage));
    std::size_t at = 1;
    while (at < size) {
        const std::uint8_t control = data[at++];
        std::size_t n = (control & 0x7F) + 1u;
        if (n > size - at) n = size - at;
        if (n == 0) break;
        const bool sent = control & fuzz::kSentByTerminal;
        const std::vector<std::string> lines =
            sent ? tracer.Sent(data + at, n) : tracer.Received(data + at, n);
        const std::string prefix = sent ? TrafficTracer::kSentPrefix : TrafficTracer::kReceivedPrefix;
        if (lines.empty() || lines[0].rfind(prefix, 0) != 0) __builtin_trap();
        if (lines[0].size() != prefix.size() + 2 * n) __builtin_trap();
        if (!mask && lines[0].find('*') != std::string::npos) __builtin_trap();
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (lines[i].rfind("  ", 0) != 0) __builtin_trap();
        }
        at += n;
    }
    tracer.Finish();

    DescribeOptions options;
    options.maskSecrets = mask;
    for (RecordSource source : {RecordSource::kHost, RecordSource::kTerminal}) {
        ScreenMemory memory = screen;
        const StreamDescription s = DescribeStream(data + 1, size - 1, source, options, &memory);
        if (s.secret.size() != size - 1) __builtin_trap();
        const RecordDescription r = DescribeRecord(data + 1, size - 1, source, options, &memory);
        if (r.secret.size() != size - 1 || r.lines.empty()) __builtin_trap();
    }
    return 0;
}
