// The operator's answers through message boxes and dialogs over the main
// window.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

#include "app/Questions.h"
#include "net/CertificateReport.h"

namespace quenlix::app {

class QtQuestions : public Questions {
public:
    QtQuestions(QWidget* parent, std::string computerName)
        : parent_(parent), computerName_(std::move(computerName)) {}

    bool AskYesNo(int stringId) override;
    NoSessionChoice ChooseNoSession() override;
    NewParamsChoice ChooseNewParams() override;
    std::optional<std::string> AskOpenPath() override;
    std::optional<std::string> AskSavePath(const std::string& proposedName) override;
    std::optional<SessionSettings> EditProperties(int captionId, const SessionSettings* from,
                                                  const std::string& filePath) override;
    PasswordMoveChoice AskMovePassword(const std::string& question) override;
    std::optional<std::string> AskPassword(const std::string& question) override;
    bool AskEndSessions(const std::vector<std::string>& names) override;

    /// The current connection's host certificate and host, for the sheet's
    /// "View certificate…"; none while no TLS session is up.
    std::function<std::optional<CertificateReport>()> currentCertificate;
    std::function<std::string()> currentHost;

    /// The open and save dialogs' filter, from string 525.
    static QString SessionFilter();

private:
    QPointer<QWidget> parent_;
    std::string computerName_;
};

}  // namespace quenlix::app
