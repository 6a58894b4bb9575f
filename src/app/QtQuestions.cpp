// Questions answered by the operator.
#include "app/QtQuestions.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "app/CDlgNewParams.h"
#include "app/CDlgNoSession.h"
#include "app/SessionPropertiesDialog.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

QString QtQuestions::SessionFilter() {
    // "Sessions files (*.stn)|*.stn||": the shown text names the pattern.
    return QString::fromUtf8(LoadString(kStrSessionFileFilter).data())
        .section(QLatin1Char('|'), 0, 0);
}

bool QtQuestions::AskYesNo(int stringId) {
    return QMessageBox::question(parent_, QString::fromUtf8(LoadString(kStrAppTitle).data()),
                                 QString::fromUtf8(LoadString(stringId).data()),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtQuestions::AskEndSessions(const std::vector<std::string>& names) {
    QString text = QStringLiteral("These sessions are connected:\n");
    for (const std::string& name : names) text += QStringLiteral("\n    ") + QString::fromStdString(name);
    text += QStringLiteral("\n\nEnd them all and close the window?");
    return QMessageBox::question(parent_, QString::fromUtf8(LoadString(kStrAppTitle).data()), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

NoSessionChoice QtQuestions::ChooseNoSession() {
    CDlgNoSession dialog(parent_);
    switch (dialog.exec()) {
        case CDlgNoSession::kCreate: return NoSessionChoice::Create;
        case CDlgNoSession::kOpen: return NoSessionChoice::Open;
        default: return NoSessionChoice::Cancel;
    }
}

NewParamsChoice QtQuestions::ChooseNewParams() {
    CDlgNewParams dialog(parent_);
    switch (dialog.exec()) {
        case CDlgNewParams::kRestart: return NewParamsChoice::Restart;
        case QDialog::Accepted: return NewParamsChoice::Continue;
        default: return NewParamsChoice::Cancel;
    }
}

std::optional<std::string> QtQuestions::AskOpenPath() {
    const QString path = QFileDialog::getOpenFileName(parent_, QString(), QDir::currentPath(),
                                                      SessionFilter());
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

std::optional<std::string> QtQuestions::AskSavePath(const std::string& proposedName) {
    const QString path = QFileDialog::getSaveFileName(
        parent_, QString(), QDir::current().filePath(QString::fromStdString(proposedName)),
        SessionFilter());
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

PasswordMoveChoice QtQuestions::AskMovePassword(const std::string& question) {
    switch (QMessageBox::question(parent_, QString::fromUtf8(LoadString(kStrAppTitle).data()),
                                  QString::fromStdString(question),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                  QMessageBox::Yes)) {
        case QMessageBox::Yes: return PasswordMoveChoice::Move;
        case QMessageBox::No: return PasswordMoveChoice::LeaveOut;
        default: return PasswordMoveChoice::Cancel;
    }
}

std::optional<std::string> QtQuestions::AskPassword(const std::string& question) {
    const QString title = QString::fromUtf8(LoadString(kStrAppTitle).data());
    for (;;) {
        bool ok = false;
        const QString text = QInputDialog::getText(parent_, title, QString::fromStdString(question),
                                                   QLineEdit::Password, QString(), &ok);
        if (!ok || text.isEmpty()) return std::nullopt;
        const std::string password = text.toStdString();
        if (password.size() <= kMaxPasswordLength) return password;
        QMessageBox::warning(parent_, title,
                             QStringLiteral("The password has %1 characters; a sign-on takes at "
                                            "most %2.")
                                 .arg(password.size())
                                 .arg(kMaxPasswordLength));
    }
}

std::optional<SessionSettings> QtQuestions::EditProperties(int captionId,
                                                           const SessionSettings* from,
                                                           const std::string& filePath) {
    SessionPropertiesDialog sheet(captionId, filePath, computerName_, parent_);
    if (from) sheet.Load(*from);
    sheet.currentCertificate = currentCertificate;
    if (currentHost) sheet.currentHost = QString::fromStdString(currentHost());
    sheet.UpdateViewCertificate();
    if (sheet.exec() != QDialog::Accepted) return std::nullopt;
    return sheet.Values();
}

}  // namespace quenlix::app
