// The platform services a session needs, on Qt: socket readiness through a
// QSocketNotifier, message boxes and the alarm, and the system clipboard.
#pragma once

#include <QMessageBox>
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
/// data or the peer closed it, and `onWritable` while output waits and the
/// socket can take more.
class QtSocketNotifier : public QObject, public SocketNotifier {
    Q_OBJECT
public:
    QtSocketNotifier(std::function<void()> onReadable, std::function<void()> onWritable)
        : onReadable_(std::move(onReadable)), onWritable_(std::move(onWritable)) {}
    void Resume(int socket) override;
    void Suspend() override;
    void WatchWritable(int socket, bool on) override;
    /// Calls `onReadable` once from the event loop (decrypted host data
    /// waits in the TLS session); Suspend cancels it.
    void PostReadable() override;
    bool readPosted() const { return posted_; }
    bool watching() const { return notifier_ && notifier_->isEnabled(); }
    bool watchingWritable() const { return writeNotifier_ && writeNotifier_->isEnabled(); }

private:
    std::function<void()> onReadable_;
    std::function<void()> onWritable_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    bool posted_ = false;
};

/// A message's text for the screen. The core's texts are ASCII or UTF-8 (a
/// file path in a message is the file system's UTF-8); a text that is not
/// valid UTF-8 is read byte for byte as Latin-1 rather than garbled.
QString MessageText(std::string_view text);

/// Message boxes over a parent window; the alarm is the system beep.
///
/// Messages caused by host data never stack: the first opens a box that does
/// not block the window (no nested event loop, so the window still closes
/// and the session goes on), and while it is open every further one is
/// counted into it ("… and 41 more"). A resequencing control word is a
/// normal 5250 feature, not an error: it shows nothing.
class QtMessageBoxes : public MessageBoxes {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    void ShowHostNotice(HostNotice kind, std::string_view text) override;
    void Alarm() override;
    /// The system beep when `refusedKeyAlarm` is on (the preference).
    void KeyRefused(std::string_view reason) override;
    bool refusedKeyAlarm = true;
    /// Tests set it to see texts without a modal box. Host notices do not go
    /// through it: their box never blocks.
    std::function<void(std::string_view, MessageIcon)> interceptor;

    /// The open box of host-data messages, or nullptr.
    QMessageBox* hostNoticeBox() const { return hostBox_.data(); }
    /// Host-data messages counted into the open box after its first.
    int hostNoticesMore() const { return hostMore_; }

private:
    QPointer<QWidget> parent_;
    QPointer<QMessageBox> hostBox_;
    QString hostText_;
    int hostMore_ = 0;
    bool hostTextDue_ = false;  ///< the box's text waits for the event loop
};

/// The system clipboard's text as UTF-8.
class QtClipboard : public Clipboard {
public:
    bool Empty() override;
    bool SetText(std::string_view utf8) override;
    std::optional<std::string> GetText() override;
    /// Asked by the Paste command's enabling several times a second: on X11
    /// each look at the clipboard is a transfer from the program that owns
    /// it, so the answer is kept until the clipboard reports a change.
    bool HasText() override;
    /// The X11 / Wayland primary selection (QClipboard::Selection).
    bool SupportsSelection() override;
    bool SetSelectionText(std::string_view utf8) override;
    std::optional<std::string> GetSelectionText() override;

private:
    std::unique_ptr<QObject> watch_;  ///< context of the change connection
    std::optional<bool> hasText_;     ///< none: ask the clipboard again
};

}  // namespace quenlix::app
