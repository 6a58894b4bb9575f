// The desktop program's TLS questions: the dialog about a host certificate
// that could not be verified (its reason in plain words, subject, issuer,
// validity and SHA-256 fingerprint, and the operator's choice), the warning
// about a pinned certificate that changed, the same fields for the current
// connection ("View certificate…"), and the passphrase of a client key.
#pragma once

#include <QPixmap>

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "net/CertificateQuestions.h"

class QLabel;
class QPushButton;

namespace quenlix::app {

class CertificateDialog : public QDialog {
    Q_OBJECT
public:
    /// The question's dialog: for a certificate that did not verify
    /// "Cancel" (the default), "Connect this time" and "Always trust this
    /// certificate for this host"; for a changed pin "Cancel" (the default)
    /// and "Remove pin".
    explicit CertificateDialog(const CertificateQuestion& question, QWidget* parent = nullptr);
    /// The fields of the current connection's certificate, with "Close".
    CertificateDialog(const CertificateReport& report, const QString& host, QWidget* parent = nullptr);

    /// The button pressed; kCancel when the dialog was closed otherwise.
    CertificateAnswer answer() const { return answer_; }
    /// The reason and the fields as shown, for the tests and the clipboard.
    QString shownText() const;
    QPushButton* button(CertificateAnswer answer) const;

private:
    void Build(const QString& heading, const QString& reason, const CertificateReport& report);
    QPushButton* AddChoice(const QString& text, CertificateAnswer answer);

    CertificateAnswer answer_ = CertificateAnswer::kCancel;
    QLabel* heading_ = nullptr;
    QLabel* reason_ = nullptr;
    QLabel* fields_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* once_ = nullptr;
    QPushButton* always_ = nullptr;
    QPushButton* removePin_ = nullptr;
    QPushButton* close_ = nullptr;
};

/// The answers of the desktop program. The certificate dialog opens window
/// modal without a nested event loop of its own: the endpoint waits with
/// its socket notifications off, and the answer comes from the dialog's
/// button. A dialog whose question went away (the session ended, the
/// window closed) closes by itself and answers nothing.
class QtCertificateQuestions : public QObject, public CertificateQuestions {
    Q_OBJECT
public:
    /// How often an open dialog checks that its question still stands.
    static constexpr int kStillAskedCheckMs = 250;

    explicit QtCertificateQuestions(QWidget* parent) : parent_(parent) {}
    void AskAboutCertificate(const CertificateQuestion& question,
                             std::function<void(CertificateAnswer)> answer,
                             std::function<bool()> stillAsked) override;
    /// Asked while connecting (a command, never a socket notification).
    std::optional<std::string> AskKeyPassphrase(const std::string& path) override;

    /// The open question's dialog, or nullptr.
    CertificateDialog* openDialog() const { return dialog_.data(); }
    /// Tests answer the passphrase question here instead of a dialog.
    std::function<std::optional<std::string>(const std::string&)> passphraseInterceptor;

private:
    QWidget* parent_;
    QPointer<CertificateDialog> dialog_;
};

/// The status bar's text while a TLS session is up: the version.
QString TlsStatusText(const std::string& version);
/// The lock shown before it, drawn (no font has to hold a lock glyph):
/// `height` logical pixels high, for a screen of `devicePixelRatio`.
QPixmap TlsLockPixmap(int height, qreal devicePixelRatio);

}  // namespace quenlix::app
