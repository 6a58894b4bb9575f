// The system clipboard as the copy and paste commands see it: UTF-8 text,
// which the commands turn into and from the session's PC characters. The
// desktop program hands it to the toolkit's clipboard; MemoryClipboard keeps
// the text in memory for the headless front end and tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quenlix {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool Open() { return true; }
    virtual bool Empty() { return true; }
    /// Puts UTF-8 text on the clipboard.
    virtual bool SetText(std::string_view /*utf8*/) { return false; }
    /// The clipboard's text as UTF-8, or nothing when it holds none.
    virtual std::optional<std::string> GetText() { return std::nullopt; }
    /// Whether GetText would find text. Asked often (command enabling), so a
    /// clipboard whose transfers are costly answers it without one.
    virtual bool HasText() { return GetText().has_value(); }
    virtual void Close() {}
};

class MemoryClipboard : public Clipboard {
public:
    bool Empty() override {
        text.reset();
        return true;
    }
    bool SetText(std::string_view utf8) override {
        text = std::string(utf8);
        return true;
    }
    std::optional<std::string> GetText() override { return text; }

    std::optional<std::string> text;
};

}  // namespace quenlix
