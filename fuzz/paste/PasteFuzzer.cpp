// Pasted text on arbitrary screens. The first bytes build a screen with the
// record builder (geometry, fields with arbitrary format words, attributes
// and lengths, the cursor, the tab width); the rest is pasted, then typed.
// Nothing may reach outside the screen, every loop must end, and the cursor
// must stay on the screen.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ds5250/HostResponses.h"
#include "ds5250/RecordBuilder.h"
#include "ds5250/TN5250.h"
#include "input/OperatorInput.h"
#include "support/WireRecords.h"

namespace {

using namespace quenlix;

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string_view Rest() const {
        return {reinterpret_cast<const char*>(data_ + pos_), size_ - std::min(pos_, size_)};
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

void Check(bool condition) {
    if (!condition) std::abort();
}

Terminal BlankTerminal(int columns, int rows) {
    Terminal terminal;
    terminal.screen.AllocateCells(columns, rows);
    terminal.screen.SetGeometry(columns, rows);
    terminal.state.connected = 1;
    return terminal;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    const std::uint8_t shape = in.Byte();
    const bool wide = shape & 0x80;
    int columns = wide ? 132 : 80;
    int rows = wide ? 27 : 24;

    // A blank terminal of either size is built once; each input starts from
    // a copy of it, so nothing the last input did is left behind.
    static const Terminal fresh[2] = {BlankTerminal(80, 24), BlankTerminal(132, 27)};
    static Terminal terminal;
    terminal = fresh[wide];
    static TranslationCache tables = [] {
        TranslationCache t;
        t.InitTranslation(ProgramDirectory());  // code page 37 read from its file once
        return t;
    }();
    SessionSettings settings;
    NullRecordSender sender;
    NullMessageBoxes messages;
    InterpreterLinks links{terminal, tables, settings, sender, messages};
    CTN5250 interpreter(links);
    HostResponses responses(links);
    interpreter.SetHostReads(&responses);

    RecordBuilder r;
    if (wide) {
        r.clearUnitAlternate().writeToDisplay();
    } else {
        r.clearUnit().writeToDisplay();
    }
    const int fields = shape & 0x0F;
    for (int i = 0; i < fields; ++i) {
        const int row = in.Byte() % rows + 1;
        const int column = in.Byte() % columns + 1;
        const std::uint8_t ffw1 = in.Byte() | 0x40;
        const std::uint8_t ffw2 = in.Byte();
        const std::uint8_t attribute = 0x20 | (in.Byte() & 0x1F);
        const int length = in.Byte();
        r.sba(row, column).startOfField(ffw1 & 0x7F, ffw2, attribute, length);
        if (shape & 0x40) r.text("9z-");
    }
    const int cursorRow = in.Byte() % rows + 1;
    const int cursorColumn = in.Byte() % columns + 1;
    const std::uint8_t flags = in.Byte();
    const auto block = r.record();
    ::quenlix::ProcessWire(interpreter, block);
    // A record the interpreter refuses may leave the earlier geometry.
    columns = terminal.columns();
    rows = terminal.rows();
    terminal.SetCursorCell((cursorRow - 1) % rows, (cursorColumn - 1) % columns);

    InputState state;
    NotificationControl notifications;
    MemoryClipboard clipboard;
    ClipboardOptions options;
    options.NbrTabSpace = static_cast<std::int8_t>(in.Byte());
    InputLinks inputLinks{terminal, tables, settings, responses, notifications, messages,
                          state};
    OperatorInput input(inputLinks, clipboard, options);
    input.SetInsertMode(flags & 1);

    const std::string_view text = in.Rest();
    if (flags & 8) input.PressKey("SysReq");  // the cursor goes below the screen
    // As UTF-8 (the clipboard: typographic mapping, the cut at the screen's
    // capacity) and as PC bytes; then through the Paste command.
    settings.PageCode = flags & 4 ? 37 : 0;
    input.Paste(text);
    Check(terminal.state.sysReqMode || terminal.screen.contains(terminal.CursorPosition()));
    input.clipboard().PasteText(text);
    Check(terminal.state.sysReqMode || terminal.screen.contains(terminal.CursorPosition()));
    clipboard.text = std::string(text);
    input.clipboard().Paste();
    Check(terminal.state.sysReqMode || terminal.screen.contains(terminal.CursorPosition()));

    // The same bytes as keys: editing, field exit and word moves.
    terminal.state.inputInhibited = flags & 2 ? 1 : 0;
    static constexpr const char* kKeys[] = {"FieldPlus", "FieldMinus", "Ctrl+Left", "Ctrl+Right",
                                            "Backtab",   "Backspace",  "Delete",    "End"};
    std::size_t typed = 0;
    for (char c : text.substr(0, 256)) {
        if ((static_cast<std::uint8_t>(c) & 0xF0) == 0xF0) {
            input.PressKey(kKeys[c & 0x07]);
        } else {
            input.Type(std::string_view(&c, 1));
        }
        terminal.state.inputInhibited = 0;
        if (++typed % 16 == 0) input.CheckTypeAhead();
    }
    input.CheckTypeAhead();
    Check(input.typeAhead().size() <=
          TypeAheadQueue<KeyEvent>::kCapacity + TypeAheadQueue<KeyEvent>::kReleaseReserve);
    Check(terminal.state.sysReqMode || terminal.screen.contains(terminal.CursorPosition()));
    const std::string copied = input.Copy({0, 0, columns, rows}, flags & 4);
    Check(copied.size() <= static_cast<std::size_t>(rows * (columns + 2)));
    return 0;
}
