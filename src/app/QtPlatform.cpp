// Qt implementations of the session's platform services.
#include "app/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QStringDecoder>

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

void QtMessageBoxes::Alarm() { QApplication::beep(); }

int QtClipboard::CodePage() const { return settings_ ? settings_->PageCode : 0; }

bool QtClipboard::Empty() {
    QGuiApplication::clipboard()->clear();
    return true;
}

bool QtClipboard::SetText(std::string_view pcText) {
    const std::string utf8 = PcCharset::ForCodePage(CodePage()).ToUtf8(pcText);
    QGuiApplication::clipboard()->setText(QString::fromStdString(utf8));
    return true;
}

std::optional<std::string> QtClipboard::GetText() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isNull()) return std::nullopt;
    return PcCharset::ForCodePage(CodePage()).FromUtf8(text.toStdString());
}

bool QtClipboard::SupportsSelection() { return QGuiApplication::clipboard()->supportsSelection(); }

bool QtClipboard::SetSelectionText(std::string_view pcText) {
    if (!SupportsSelection()) return false;
    const std::string utf8 = PcCharset::ForCodePage(CodePage()).ToUtf8(pcText);
    QGuiApplication::clipboard()->setText(QString::fromStdString(utf8), QClipboard::Selection);
    return true;
}

std::optional<std::string> QtClipboard::GetSelectionText() {
    if (!SupportsSelection()) return std::nullopt;
    const QString text = QGuiApplication::clipboard()->text(QClipboard::Selection);
    if (text.isNull()) return std::nullopt;
    return PcCharset::ForCodePage(CodePage()).FromUtf8(text.toStdString());
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
