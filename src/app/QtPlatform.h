// The platform services a session needs, on Qt: socket readiness through a
// QSocketNotifier, message boxes and the alarm, and the system clipboard.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "input/Clipboard.h"
#include "net/SocketNotifier.h"
#include "terminal/MessageBoxes.h"

class QWidget;

namespace quenlix {
struct SessionSettings;
}

namespace quenlix::app {

/// Calls `onReadable` from the event loop whenever the watched socket has
/// data or the peer closed it.
class QtSocketNotifier : public QObject, public SocketNotifier {
    Q_OBJECT
public:
    explicit QtSocketNotifier(std::function<void()> onReadable)
        : onReadable_(std::move(onReadable)) {}
    void Resume(int socket) override;
    void Suspend() override;
    bool watching() const { return notifier_ && notifier_->isEnabled(); }

private:
    std::function<void()> onReadable_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

/// A message's text for the screen. The core's texts are ASCII or UTF-8 (a
/// file path in a message is the file system's UTF-8); a text that is not
/// valid UTF-8 is read byte for byte as Latin-1 rather than garbled.
QString MessageText(std::string_view text);

/// Message boxes over a parent window; the alarm is the system beep.
class QtMessageBoxes : public MessageBoxes {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    void Alarm() override;
    /// Tests set it to see texts without a modal box.
    std::function<void(std::string_view, MessageIcon)> interceptor;

private:
    QPointer<QWidget> parent_;
};

/// The system clipboard, converting between the session's PC character set
/// and Unicode.
class QtClipboard : public Clipboard {
public:
    /// The session values whose "Page Code" chooses the character set.
    void SetSettings(const SessionSettings* settings) { settings_ = settings; }
    bool Empty() override;
    bool SetText(std::string_view pcText) override;
    std::optional<std::string> GetText() override;
    /// Asked by the Paste command's enabling several times a second: on X11
    /// each look at the clipboard is a transfer from the program that owns
    /// it, so the answer is kept until the clipboard reports a change.
    bool HasText() override;
    /// The X11 / Wayland primary selection (QClipboard::Selection).
    bool SupportsSelection() override;
    bool SetSelectionText(std::string_view pcText) override;
    std::optional<std::string> GetSelectionText() override;

private:
    int CodePage() const;
    const SessionSettings* settings_ = nullptr;
    std::unique_ptr<QObject> watch_;  ///< context of the change connection
    std::optional<bool> hasText_;     ///< none: ask the clipboard again
};

}  // namespace quenlix::app
