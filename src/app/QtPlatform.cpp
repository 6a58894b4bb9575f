// Qt implementations of the session's platform services.
#include "app/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QStringDecoder>
#include <QTimer>

#include "session/SessionSettings.h"
#include "terminal/Languages.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

void QtSocketNotifier::Resume(int socket) {
    if (!notifier_ || notifier_->socket() != socket) {
        notifier_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, this,
                         [this] { onReadable_(); });
    }
    notifier_->setEnabled(true);
}

void QtSocketNotifier::Suspend() {
    if (notifier_) notifier_->setEnabled(false);
    posted_ = false;
}

void QtSocketNotifier::PostReadable() {
    if (posted_) return;
    posted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!posted_) return;
            posted_ = false;
            onReadable_();
        },
        Qt::QueuedConnection);
}

void QtSocketNotifier::WatchWritable(int socket, bool on) {
    if (!on) {
        if (writeNotifier_) writeNotifier_->setEnabled(false);
        return;
    }
    if (!writeNotifier_ || writeNotifier_->socket() != socket) {
        writeNotifier_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
        QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, this,
                         [this] { onWritable_(); });
    }
    writeNotifier_->setEnabled(true);
}

QString MessageText(std::string_view text) {
    const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(bytes);
    if (utf8.hasError()) return QString::fromLatin1(bytes);
    return decoded;
}

void QtMessageBoxes::ShowMessage(std::string_view text, MessageIcon icon) {
    if (interceptor) {
        interceptor(text, icon);
        return;
    }
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
        case MessageIcon::Information: qicon = QMessageBox::Information; break;
        case MessageIcon::Exclamation: qicon = QMessageBox::Warning; break;
        case MessageIcon::Stop: qicon = QMessageBox::Critical; break;
        case MessageIcon::Question: qicon = QMessageBox::Question; break;
        case MessageIcon::None: break;
    }
    QMessageBox box(qicon, QString::fromUtf8(LoadString(kStrAppTitle).data()),
                    MessageText(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

void QtMessageBoxes::ShowHostNotice(HostNotice kind, std::string_view text) {
    // The field order already follows the control words: nothing to say.
    if (kind == HostNotice::kResequencing) return;
    // The notice stands on the blank screen and in the status bar instead.
    if (kind == HostNotice::kConnectionEnded) return;
    if (hostBox_) {
        // Counted at once, shown at the next turn of the event loop: a flood
        // of thousands costs one layout of the box, not one each.
        ++hostMore_;
        if (!hostTextDue_) {
            hostTextDue_ = true;
            QTimer::singleShot(0, hostBox_.data(), [this] {
                hostTextDue_ = false;
                if (hostBox_) {
                    hostBox_->setText(hostText_ + QStringLiteral("\n\u2026 and %1 more").arg(hostMore_));
                }
            });
        }
        return;
    }
    hostText_ = MessageText(text);
    hostMore_ = 0;
    auto* box = new QMessageBox(QMessageBox::NoIcon, QString::fromUtf8(LoadString(kStrAppTitle).data()),
                                hostText_, QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    hostBox_ = box;
    box->show();
}

void QtMessageBoxes::Alarm() { QApplication::beep(); }

void QtMessageBoxes::KeyRefused(std::string_view) {
    // The reason is painted on the indicator row; only the sound is ours.
    if (refusedKeyAlarm) Alarm();
}

bool QtClipboard::Empty() {
    QGuiApplication::clipboard()->clear();
    return true;
}

bool QtClipboard::SetText(std::string_view utf8) {
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    return true;
}

std::optional<std::string> QtClipboard::GetText() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isNull()) return std::nullopt;
    return text.toStdString();
}

bool QtClipboard::SupportsSelection() { return QGuiApplication::clipboard()->supportsSelection(); }

bool QtClipboard::SetSelectionText(std::string_view utf8) {
    if (!SupportsSelection()) return false;
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())), QClipboard::Selection);
    return true;
}

std::optional<std::string> QtClipboard::GetSelectionText() {
    if (!SupportsSelection()) return std::nullopt;
    const QString text = QGuiApplication::clipboard()->text(QClipboard::Selection);
    if (text.isNull()) return std::nullopt;
    return text.toStdString();
}

bool QtClipboard::HasText() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!watch_) {
        watch_ = std::make_unique<QObject>();
        QObject::connect(clipboard, &QClipboard::dataChanged, watch_.get(),
                         [this] { hasText_.reset(); });
    }
    if (!hasText_) {
        const QMimeData* data = clipboard->mimeData();
        hasText_ = data != nullptr && data->hasText();
    }
    return *hasText_;
}

}  // namespace quenlix::app
