// The certificate dialogs.
#include "app/CertificateDialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QPainter>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/QtPlatform.h"

namespace quenlix::app {

namespace {

QString Qs(const std::string& s) { return MessageText(s); }

/// The reason as a sentence: "The certificate is self-signed."
QString Sentence(const std::string& reason) {
    QString text = Qs(reason);
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    if (!text.endsWith(QLatin1Char('.'))) text += QLatin1Char('.');
    return text;
}

QString FieldsText(const CertificateReport& r) {
    QString names;
    for (const std::string& name : r.names) {
        if (!names.isEmpty()) names += QStringLiteral(", ");
        names += Qs(name);
    }
    return QStringLiteral("Subject: %1\nIssuer: %2\nValid from: %3\nValid until: %4\n"
                          "Host names: %5\nSHA-256 fingerprint:\n%6")
        .arg(Qs(r.subject), Qs(r.issuer), Qs(r.validFrom), Qs(r.validUntil),
             names.isEmpty() ? QStringLiteral("(none)") : names, Qs(r.fingerprint));
}

}  // namespace

CertificateDialog::CertificateDialog(const CertificateQuestion& q, QWidget* parent)
    : QDialog(parent) {
    const QString host = Qs(HostAndPort(q.host, q.port));
    if (q.kind == CertificateQuestion::Kind::kChanged) {
        setWindowTitle(QStringLiteral("Certificate changed"));
        Build(QStringLiteral("The certificate of %1 is not the one you chose to trust for this "
                             "host, and it does not verify. Someone may be intercepting the "
                             "connection: it is refused.")
                  .arg(host),
              Sentence(q.report.Reason()) +
                  QStringLiteral("\n\nTrusted before: %1\nPresented now:  %2")
                      .arg(Qs(q.pinnedFingerprint), Qs(q.report.fingerprint)),
              q.report);
        removePin_ = AddChoice(QStringLiteral("Remove pin"), CertificateAnswer::kRemovePin);
    } else {
        setWindowTitle(QStringLiteral("Certificate not trusted"));
        Build(QStringLiteral("The certificate of %1 could not be verified.").arg(host),
              Sentence(q.report.Reason()), q.report);
        once_ = AddChoice(QStringLiteral("Connect this time"), CertificateAnswer::kConnectOnce);
        always_ = AddChoice(QStringLiteral("Always trust this certificate for this host"),
                            CertificateAnswer::kAlwaysTrust);
    }
    cancel_ = AddChoice(QStringLiteral("Cancel"), CertificateAnswer::kCancel);
    // Nothing is accepted by Enter alone.
    cancel_->setDefault(true);
    cancel_->setFocus();
}

CertificateDialog::CertificateDialog(const CertificateReport& report, const QString& host,
                                     QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Certificate of %1").arg(host));
    Build(QStringLiteral("The certificate of %1.").arg(host),
          report.verified() ? QStringLiteral("It verifies for this host.")
                            : Sentence(report.Reason()) +
                                  QStringLiteral(" You chose to trust it."),
          report);
    close_ = AddChoice(QStringLiteral("Close"), CertificateAnswer::kCancel);
    close_->setDefault(true);
}

void CertificateDialog::Build(const QString& heading, const QString& reason,
                              const CertificateReport& report) {
    auto* layout = new QVBoxLayout(this);
    heading_ = new QLabel(heading, this);
    heading_->setWordWrap(true);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    reason_ = new QLabel(reason, this);
    reason_->setWordWrap(true);
    fields_ = new QLabel(FieldsText(report), this);
    fields_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fields_->setTextFormat(Qt::PlainText);
    heading_->setTextFormat(Qt::PlainText);
    reason_->setTextFormat(Qt::PlainText);
    layout->addWidget(heading_);
    layout->addWidget(reason_);
    layout->addWidget(fields_);
    layout->addWidget(new QDialogButtonBox(this));
}

QPushButton* CertificateDialog::AddChoice(const QString& text, CertificateAnswer answer) {
    auto* box = findChild<QDialogButtonBox*>();
    QPushButton* button = box->addButton(text, answer == CertificateAnswer::kCancel
                                                   ? QDialogButtonBox::RejectRole
                                                   : QDialogButtonBox::AcceptRole);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, answer] {
        answer_ = answer;
        done(answer == CertificateAnswer::kCancel ? QDialog::Rejected : QDialog::Accepted);
    });
    return button;
}

QString CertificateDialog::shownText() const {
    return heading_->text() + QLatin1Char('\n') + reason_->text() + QLatin1Char('\n') +
           fields_->text();
}

QPushButton* CertificateDialog::button(CertificateAnswer answer) const {
    switch (answer) {
        case CertificateAnswer::kCancel: return cancel_;
        case CertificateAnswer::kConnectOnce: return once_;
        case CertificateAnswer::kAlwaysTrust: return always_;
        case CertificateAnswer::kRemovePin: return removePin_;
    }
    return nullptr;
}

void QtCertificateQuestions::AskAboutCertificate(const CertificateQuestion& question,
                                                 std::function<void(CertificateAnswer)> answer,
                                                 std::function<bool()> stillAsked) {
    if (dialog_) dialog_->deleteLater();  // an earlier question's, already answered
    auto* dialog = new CertificateDialog(question, parent_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog_ = dialog;
    auto* watch = new QTimer(dialog);
    connect(watch, &QTimer::timeout, dialog, [dialog, stillAsked] {
        if (!stillAsked()) dialog->reject();
    });
    watch->start(kStillAskedCheckMs);
    // finished comes from the event loop's click, after which the endpoint
    // may ask again at once (a removed pin): this dialog is done by then.
    connect(dialog, &QDialog::finished, dialog,
            [dialog, answer = std::move(answer), stillAsked = std::move(stillAsked)] {
                if (stillAsked()) answer(dialog->answer());
            });
    dialog->open();
}

std::optional<std::string> QtCertificateQuestions::AskKeyPassphrase(const std::string& path) {
    if (passphraseInterceptor) return passphraseInterceptor(path);
    bool ok = false;
    const QString text = QInputDialog::getText(
        parent_, QStringLiteral("Client certificate"),
        QStringLiteral("The key in %1 is protected. Passphrase:").arg(Qs(path)),
        QLineEdit::Password, QString(), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

QString TlsStatusText(const std::string& version) { return Qs(version); }

QPixmap TlsLockPixmap(int height, qreal devicePixelRatio) {
    height = std::max(height, 8);
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap(QSize(height, height) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal h = height;
    // The shackle: a half ring over the body.
    QPen shackle(QColor(0x55, 0x55, 0x55), std::max(1.5, h / 9));
    p.setPen(shackle);
    p.setBrush(Qt::NoBrush);
    const QRectF ring(h * 0.28, h * 0.08, h * 0.44, h * 0.5);
    p.drawArc(ring, 0, 180 * 16);
    p.drawLine(QPointF(ring.left(), ring.center().y()), QPointF(ring.left(), h * 0.48));
    p.drawLine(QPointF(ring.right(), ring.center().y()), QPointF(ring.right(), h * 0.48));
    // The body, with a keyhole.
    p.setPen(QPen(QColor(0x8a, 0x6d, 0x00), 1));
    p.setBrush(QColor(0xe8, 0xb4, 0x10));
    p.drawRoundedRect(QRectF(h * 0.16, h * 0.45, h * 0.68, h * 0.5), h * 0.08, h * 0.08);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5a, 0x46, 0x00));
    p.drawEllipse(QPointF(h * 0.5, h * 0.65), h * 0.07, h * 0.07);
    return pixmap;
}

}  // namespace quenlix::app
