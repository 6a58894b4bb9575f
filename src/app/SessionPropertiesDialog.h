// The Session Properties sheet: the pages "Connection", "Advanced" and
// "Automatic Login" that define a session's values, their checks, and the
// mapping between the sheet and SessionSettings. Serves both Session
// Properties (loaded from the edited values) and Add a Session (the pages'
// own start values).
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/CEditASParam.h"
#include "net/CertificateReport.h"
#include "session/SessionSettings.h"

namespace quenlix::app {

/// Page "Connection": session name, host address, language, screen size,
/// and the connection's security: TLS, the site's CA file, the client
/// certificate, and the current connection's certificate.
class CSessionTab01 : public QWidget {
    Q_OBJECT
public:
    explicit CSessionTab01(QWidget* parent = nullptr);
    QLineEdit* name;
    QLineEdit* address;
    QComboBox* language;    ///< the 31 languages in list order, code page as item data
    QComboBox* screenSize;  ///< 0 "24 * 80", 1 "27 * 132"
    QComboBox* device;      ///< 0 "Display", 1 "Printer": the session's device kind
    QComboBox* security;    ///< 0 "None", 1 "TLS"
    QLineEdit* caFile;
    QPushButton* caBrowse;
    QLineEdit* clientCertificate;
    QPushButton* clientBrowse;
    QPushButton* viewCertificate;  ///< enabled while a TLS connection is up
    QLabel* nameLabel;
    QLabel* addressLabel;
    /// The file fields are for TLS only.
    void ApplySecurity();
    /// Selects the first entry that begins with `text`, ignoring case; the
    /// first entry when none does.
    void SelectLanguage(const std::string& text);
};

/// Page "Advanced": display name, port, start on open, the file name.
class CSessionTab02 : public QWidget {
    Q_OBJECT
public:
    explicit CSessionTab02(QWidget* parent = nullptr);
    CEditASParam* displayName;
    QCheckBox* automatic;
    CEditNumericParam* port;
    QCheckBox* launch;
    /// Offer the host the enhanced interface (windows, selection fields).
    QCheckBox* enhanced;
    QLineEdit* fileName;  ///< shown only, never stored
    /// The display name put back when "Automatic" is turned off.
    QString remembered;
    /// The "Automatic" rule: off enables the edit with the remembered name
    /// back and all of it selected; on remembers and empties it.
    void ApplyAutomatic();
};

/// Page "Automatic Login": the sign-on values.
class CSessionTab03 : public QWidget {
    Q_OBJECT
public:
    explicit CSessionTab03(QWidget* parent = nullptr);
    QLineEdit* user;
    QLineEdit* password;
    QCheckBox* autoLogin;
    /// The host's password level: Automatic, 0-1, 2-3, 4 (item data: the
    /// level stored, kAutomaticPasswordLevel for Automatic).
    QComboBox* passwordLevel;
    QCheckBox* sendInClear;
    QLineEdit* program;
    QLineEdit* menu;
    QLineEdit* library;
};

class PrinterSettingsPage;

class SessionPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    enum Page { kConnection = 0, kAdvanced = 1, kLogin = 2 };
    /// Longest display name, user, program, menu and library.
    static constexpr int kNameLimit = 10;
    /// Longest password (kMaxPasswordLength).
    static constexpr int kPasswordLimit = static_cast<int>(kMaxPasswordLength);
    /// Longest port text.
    static constexpr int kPortLimit = 5;

    /// `captionId`: string 529 or 501. `filePath` is shown on "Advanced";
    /// `computerName` is the display name's start value.
    SessionPropertiesDialog(int captionId, const std::string& filePath,
                            const std::string& computerName, QWidget* parent = nullptr);

    /// Replaces the pages' start values with `settings` (before showing).
    void Load(const SessionSettings& settings);
    /// The sheet's values, mapped to a session; a page never shown gives
    /// the values it was given.
    SessionSettings Values() const;

    /// Brings a page up, opening it the first time.
    void ShowPage(Page page);
    bool pageOpened(Page page) const { return opened_[page]; }
    bool okEnabled() const;
    /// Re-evaluates the OK button (every page notifies this).
    void UpdateOk();

    CSessionTab01* connection() const { return tab01_; }
    CSessionTab02* advanced() const { return tab02_; }
    CSessionTab03* login() const { return tab03_; }
    /// The Printer page, shown while the device is Printer (nullptr otherwise).
    PrinterSettingsPage* printer() const;
    QTabWidget* tabs() const { return tabs_; }

    /// Too long a value on OK: the message shown (tests see it here; a
    /// message box otherwise).
    std::function<void(const QString&)> onTooLong;

    /// The current connection's certificate, for "View certificate…";
    /// none (or no hook) greys the button.
    std::function<std::optional<CertificateReport>()> currentCertificate;
    /// Host of the current connection, named by the certificate's window.
    QString currentHost;
    /// Enables "View certificate…" from currentCertificate (call after
    /// setting it).
    void UpdateViewCertificate();
    /// The port TLS is served on by IBM i, proposed when TLS is chosen
    /// while the port is telnet's.
    static constexpr int kTlsPort = 992;
    static constexpr int kTelnetPort = 23;
    /// Opens a file chooser for `edit` (the browse buttons; tests replace it).
    std::function<QString(const QString& title, const QString& current)> chooseFile;

    /// The port number of a port text: its leading decimal digits, 0 when
    /// there are none, at most 65535 + 1 digits' worth kept in range.
    static int ParsePort(const QString& text);

public slots:
    void accept() override;

private:
    void OpenPage(int index);
    /// The Printer page with a printer session's values, or no Printer page
    /// for a display session.
    void ShowPrinterPage(const SessionSettings& settings);
    /// The operator chose the device kind (0 display, 1 printer): the
    /// Printer page comes or goes, and the screen size is a display's only.
    void ChooseDevice(int index);
    /// TLS chosen: port 23 becomes 992.
    void ProposeTlsPort();
    void ShowCertificate();

    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    CSessionTab01* tab01_;
    CSessionTab02* tab02_;
    CSessionTab03* tab03_;
    bool opened_[3] = {false, false, false};
    SessionSettings loaded_;  ///< values of the Advanced page until it opens
    PrinterSettingsPage* printerPage_ = nullptr;
};

}  // namespace quenlix::app
