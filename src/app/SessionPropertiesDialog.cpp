// The Session Properties sheet and its pages.
#include "app/SessionPropertiesDialog.h"

#include "app/PrinterSettingsPage.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CertificateDialog.h"
#include "signon/PasswordSubstitute.h"
#include "terminal/Languages.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

namespace {

constexpr const char* kRequired = "color: rgb(255, 0, 0);";

QString Qs(const std::string& s) { return QString::fromStdString(s); }

/// Typed characters beyond `limit` are dropped; text set by the program or
/// pasted is not cut, so a longer value loaded from a file is shown whole
/// and reported on OK.
class TypingLimit : public QObject {
public:
    TypingLimit(QLineEdit* edit, int limit) : QObject(edit), limit_(limit) {
        edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* edit = static_cast<QLineEdit*>(watched);
        if (event->type() == QEvent::InputMethod) {
            LimitCommit(*edit, *static_cast<QInputMethodEvent*>(event));
            return false;
        }
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.isEmpty() || !text.at(0).isPrint()) return false;
        const qsizetype after = edit->text().size() - edit->selectedText().size() + text.size();
        return after > limit_;
    }

private:
    /// An input method's commit is cut to the room left, counted after the
    /// edit's own filter has taken out what it refuses.
    void LimitCommit(const QLineEdit& edit, QInputMethodEvent& event) const {
        QString commit = event.commitString();
        if (commit.isEmpty()) return;
        if (const CharFilter accepts = TypedFilterOf(&edit)) commit = DropRejected(commit, accepts);
        const qsizetype replaced =
            edit.hasSelectedText() ? edit.selectedText().size() : event.replacementLength();
        const qsizetype room = std::max<qsizetype>(0, limit_ - (edit.text().size() - replaced));
        if (commit.size() > room) commit.truncate(room);
        if (commit != event.commitString()) {
            event.setCommitString(commit, event.replacementStart(), event.replacementLength());
        }
    }

    int limit_;
};

/// Letters typed or pasted into the edit are shown and kept in upper case.
void MakeUpperCase(QLineEdit* edit) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text) return;
        const int cursor = edit->cursorPosition();
        edit->setText(upper);
        edit->setCursorPosition(cursor);
    });
}

QLabel* RedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QString::fromLatin1(kRequired));
    return label;
}

}  // namespace

CSessionTab01::CSessionTab01(QWidget* parent)
    : QWidget(parent),
      name(new QLineEdit(this)),
      address(new QLineEdit(this)),
      language(new QComboBox(this)),
      screenSize(new QComboBox(this)),
      device(new QComboBox(this)),
      security(new QComboBox(this)),
      caFile(new QLineEdit(this)),
      caBrowse(new QPushButton(QStringLiteral("Browse\u2026"), this)),
      clientCertificate(new QLineEdit(this)),
      clientBrowse(new QPushButton(QStringLiteral("Browse\u2026"), this)),
      viewCertificate(new QPushButton(QStringLiteral("View certificate\u2026"), this)),
      nameLabel(RedLabel(QStringLiteral("Session Name"), this)),
      addressLabel(RedLabel(QStringLiteral("IP Address"), this)) {
    for (const Language& l : kLanguages) {
        language->addItem(QString::fromLatin1(l.text.data(), static_cast<qsizetype>(l.text.size())),
                          l.codePage);
    }
    language->setCurrentIndex(kDefaultLanguageIndex);
    screenSize->addItem(QStringLiteral("24 * 80"));
    screenSize->addItem(QStringLiteral("27 * 132"));
    auto* form = new QFormLayout(this);
    form->addRow(nameLabel, name);
    form->addRow(addressLabel, address);
    form->addRow(QStringLiteral("Language"), language);
    form->addRow(QStringLiteral("Screen Size"), screenSize);
    device->addItem(QStringLiteral("Display"));
    device->addItem(QStringLiteral("Printer"));
    form->addRow(QStringLiteral("Device"), device);
    security->addItem(QStringLiteral("None"));
    security->addItem(QStringLiteral("TLS"));
    form->addRow(QStringLiteral("Security"), security);
    auto withBrowse = [this](QLineEdit* edit, QPushButton* browse) {
        auto* row = new QHBoxLayout;
        row->addWidget(edit, 1);
        row->addWidget(browse);
        return row;
    };
    caFile->setPlaceholderText(QStringLiteral("PEM file of the site's certificate authority"));
    clientCertificate->setPlaceholderText(QStringLiteral("PEM file with certificate and key"));
    form->addRow(QStringLiteral("CA File"), withBrowse(caFile, caBrowse));
    form->addRow(QStringLiteral("Client Certificate"), withBrowse(clientCertificate, clientBrowse));
    form->addRow(QString(), viewCertificate);
    viewCertificate->setEnabled(false);
    connect(security, &QComboBox::currentIndexChanged, this, &CSessionTab01::ApplySecurity);
    ApplySecurity();
}

void CSessionTab01::ApplySecurity() {
    const bool tls = security->currentIndex() == 1;
    for (QWidget* w : std::initializer_list<QWidget*>{caFile, caBrowse, clientCertificate, clientBrowse}) {
        w->setEnabled(tls);
    }
}

void CSessionTab01::SelectLanguage(const std::string& text) {
    const QString prefix = Qs(text);
    for (int i = 0; i < language->count(); ++i) {
        if (language->itemText(i).startsWith(prefix, Qt::CaseInsensitive)) {
            language->setCurrentIndex(i);
            return;
        }
    }
    language->setCurrentIndex(0);
}

CSessionTab02::CSessionTab02(QWidget* parent)
    : QWidget(parent),
      displayName(new CEditASParam(this)),
      automatic(new QCheckBox(QStringLiteral("Automatic"), this)),
      port(new CEditNumericParam(this)),
      launch(new QCheckBox(QStringLiteral("Start connection when opening file"), this)),
      enhanced(new QCheckBox(QStringLiteral("Enhanced interface (windows, selection fields)"),
                             this)),
      fileName(new QLineEdit(this)) {
    auto* layout = new QVBoxLayout(this);
    auto* nameBox = new QGroupBox(QStringLiteral("Display Name"), this);
    auto* nameLayout = new QVBoxLayout(nameBox);
    nameLayout->addWidget(displayName);
    nameLayout->addWidget(automatic);
    auto* portBox = new QGroupBox(QStringLiteral("Port Number"), this);
    portBox->setStyleSheet(QStringLiteral("QGroupBox::title { color: rgb(255, 0, 0); }"));
    auto* portLayout = new QVBoxLayout(portBox);
    portLayout->addWidget(port);
    layout->addWidget(nameBox);
    layout->addWidget(portBox);
    layout->addWidget(launch);
    layout->addWidget(enhanced);
    auto* form = new QFormLayout;
    fileName->setReadOnly(true);
    fileName->setEnabled(false);
    form->addRow(QStringLiteral("File Name"), fileName);
    layout->addLayout(form);
    layout->addStretch();
    MakeUpperCase(displayName);
}

void CSessionTab02::ApplyAutomatic() {
    const bool on = automatic->isChecked();
    displayName->setEnabled(!on);
    if (on) {
        remembered = displayName->text();
        displayName->clear();
    } else {
        displayName->setText(remembered);
        displayName->setFocus();
        displayName->selectAll();
    }
}

namespace {

/// The combo's item of a stored level: levels 0 and 1, and 2 and 3, prove the
/// password the same way and share an item.
int ShownPasswordLevel(int level) {
    if (level == 0) return 1;
    if (level == 2) return 3;
    return level;
}

}  // namespace

CSessionTab03::CSessionTab03(QWidget* parent)
    : QWidget(parent),
      user(new QLineEdit(this)),
      password(new QLineEdit(this)),
      autoLogin(new QCheckBox(QStringLiteral("Login at connection startup"), this)),
      passwordLevel(new QComboBox(this)),
      sendInClear(new QCheckBox(
          QStringLiteral("Send the password in clear when the host offers no encryption"), this)),
      program(new QLineEdit(this)),
      menu(new QLineEdit(this)),
      library(new QLineEdit(this)) {
    password->setEchoMode(QLineEdit::Password);
    MakeUpperCase(user);
    // The password keeps its case: from password level 2 on the host tells
    // "Secret" from "SECRET" (the DES levels upper-case it themselves).
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("User ID"), user);
    form->addRow(QStringLiteral("Password"), password);
    layout->addLayout(form);
    layout->addWidget(autoLogin);
    passwordLevel->addItem(QStringLiteral("Automatic"), kAutomaticPasswordLevel);
    passwordLevel->addItem(QStringLiteral("0-1"), 1);
    passwordLevel->addItem(QStringLiteral("2-3"), 3);
    passwordLevel->addItem(QStringLiteral("4"), 4);
    passwordLevel->setToolTip(QStringLiteral(
        "The host's password level (QPWDLVL): how the password is proven without sending it. "
        "Automatic asks the host's sign-on server."));
    auto* security = new QFormLayout;
    security->addRow(QStringLiteral("Password level"), passwordLevel);
    layout->addLayout(security);
    layout->addWidget(sendInClear);
    auto* more = new QFormLayout;
    more->addRow(QStringLiteral("Program/Procedure"), program);
    more->addRow(QStringLiteral("Menu"), menu);
    more->addRow(QStringLiteral("Current Library"), library);
    layout->addLayout(more);
    layout->addWidget(new QLabel(QStringLiteral("(This function is available only if the system "
                                                "value\nQRMTSIGN is *VERIFY or *SAMEPRF)"),
                                 this));
    layout->addStretch();
    auto rule = [this] { autoLogin->setEnabled(!user->text().isEmpty()); };
    connect(user, &QLineEdit::textChanged, this, rule);
    rule();
}

SessionPropertiesDialog::SessionPropertiesDialog(int captionId, const std::string& filePath,
                                                 const std::string& computerName, QWidget* parent)
    : QDialog(parent),
      tabs_(new QTabWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)),
      tab01_(new CSessionTab01),
      tab02_(new CSessionTab02),
      tab03_(new CSessionTab03) {
    setWindowTitle(QString::fromUtf8(LoadString(captionId).data()));
    tabs_->addTab(tab01_, QStringLiteral("Connection"));
    tabs_->addTab(tab02_, QStringLiteral("Advanced"));
    tabs_->addTab(tab03_, QStringLiteral("Automatic Login"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &SessionPropertiesDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &SessionPropertiesDialog::reject);

    // The password is not limited while typing: a keystroke dropped without a
    // word there gives a password that looks right and fails. OK refuses a
    // longer one with its own message instead.
    for (QLineEdit* e : std::initializer_list<QLineEdit*>{tab02_->displayName, tab03_->user, tab03_->program,
                         tab03_->menu, tab03_->library}) {
        new TypingLimit(e, kNameLimit);
    }
    new TypingLimit(tab02_->port, kPortLimit);
    for (QLineEdit* e : std::initializer_list<QLineEdit*>{tab01_->name, tab01_->address, tab02_->port, tab02_->displayName}) {
        connect(e, &QLineEdit::textChanged, this, &SessionPropertiesDialog::UpdateOk);
    }
    connect(tab02_->automatic, &QCheckBox::clicked, this, [this] {
        tab02_->ApplyAutomatic();
        UpdateOk();
    });
    tab02_->fileName->setText(Qs(filePath));

    // The pages' own start values.
    loaded_.DisplayName = computerName;
    loaded_.DisplayNameAuto = 1;
    loaded_.Port = 23;
    loaded_.LaunchConnection = 0;
    chooseFile = [this](const QString& title, const QString& current) {
        return QFileDialog::getOpenFileName(this, title, current,
                                            QStringLiteral("PEM files (*.pem *.crt *.cer);;All files (*)"));
    };
    auto browse = [this](QLineEdit* edit, const QString& title) {
        const QString chosen = chooseFile(title, edit->text());
        if (!chosen.isEmpty()) edit->setText(chosen);
    };
    connect(tab01_->caBrowse, &QPushButton::clicked, this,
            [this, browse] { browse(tab01_->caFile, QStringLiteral("CA File")); });
    connect(tab01_->clientBrowse, &QPushButton::clicked, this,
            [this, browse] { browse(tab01_->clientCertificate, QStringLiteral("Client Certificate")); });
    // Activated: the operator's choice, not a value loaded from the file.
    connect(tab01_->security, &QComboBox::activated, this, [this](int index) {
        if (index == 1) ProposeTlsPort();
    });
    connect(tab01_->device, &QComboBox::activated, this, &SessionPropertiesDialog::ChooseDevice);
    connect(tab01_->viewCertificate, &QPushButton::clicked, this, &SessionPropertiesDialog::ShowCertificate);
    connect(tabs_, &QTabWidget::currentChanged, this, &SessionPropertiesDialog::OpenPage);
    OpenPage(kConnection);
}

void SessionPropertiesDialog::Load(const SessionSettings& s) {
    const std::string shownFile = tab02_->fileName->text().toStdString();
    loaded_ = s;
    ShowPrinterPage(s);
    tab01_->name->setText(Qs(s.Name));
    tab01_->address->setText(Qs(s.IP));
    tab01_->SelectLanguage(s.Language);
    tab01_->screenSize->setCurrentIndex(s.TerminalName == "IBM-3477-FC" ? 1 : 0);
    tab01_->security->setCurrentIndex(s.UsesTls() ? 1 : 0);
    tab01_->caFile->setText(Qs(s.CAFile));
    tab01_->clientCertificate->setText(Qs(s.ClientCertificate));
    tab03_->user->setText(Qs(s.UserID));
    tab03_->password->setText(Qs(s.UserPassword));
    tab03_->autoLogin->setChecked(s.AutoConnection != 0);
    // Levels 0 and 1, and 2 and 3, prove the password the same way.
    const int levelIndex = tab03_->passwordLevel->findData(ShownPasswordLevel(s.PasswordLevel));
    tab03_->passwordLevel->setCurrentIndex(levelIndex < 0 ? 0 : levelIndex);
    tab03_->sendInClear->setChecked(s.SendPasswordInClear != 0);
    tab03_->program->setText(Qs(s.ProgProc));
    tab03_->menu->setText(Qs(s.Menu));
    tab03_->library->setText(Qs(s.CurLib));
    tab02_->fileName->setText(Qs(shownFile));
    if (opened_[kAdvanced]) {
        opened_[kAdvanced] = false;
        OpenPage(kAdvanced);
    }
    UpdateOk();
}

void SessionPropertiesDialog::OpenPage(int index) {
    if (index < 0 || index > 2 || opened_[index]) return;
    opened_[index] = true;
    if (index == kAdvanced) {
        tab02_->port->setText(QString::number(loaded_.Port));
        tab02_->displayName->setText(Qs(loaded_.DisplayName));
        tab02_->automatic->setChecked(loaded_.DisplayNameAuto != 0);
        tab02_->launch->setChecked(loaded_.LaunchConnection != 0);
        tab02_->enhanced->setChecked(loaded_.Enhanced != 0);
        tab02_->remembered = tab02_->displayName->text();
        tab02_->ApplyAutomatic();
    } else if (index == kLogin) {
        tab03_->autoLogin->setEnabled(!tab03_->user->text().isEmpty());
    }
    UpdateOk();
}

void SessionPropertiesDialog::ProposeTlsPort() {
    if (opened_[kAdvanced]) {
        if (ParsePort(tab02_->port->text()) == kTelnetPort) {
            tab02_->port->setText(QString::number(kTlsPort));
        }
    } else if (loaded_.Port == kTelnetPort) {
        loaded_.Port = kTlsPort;
    }
}

void SessionPropertiesDialog::UpdateViewCertificate() {
    tab01_->viewCertificate->setEnabled(currentCertificate && currentCertificate().has_value());
}

void SessionPropertiesDialog::ShowCertificate() {
    const std::optional<CertificateReport> report =
        currentCertificate ? currentCertificate() : std::nullopt;
    if (!report) return;
    CertificateDialog dialog(*report, currentHost, this);
    dialog.exec();
}

void SessionPropertiesDialog::ShowPage(Page page) { tabs_->setCurrentIndex(page); }

bool SessionPropertiesDialog::okEnabled() const { return buttons_->button(QDialogButtonBox::Ok)->isEnabled(); }

void SessionPropertiesDialog::UpdateOk() {
    bool ok = opened_[kConnection] && !tab01_->name->text().isEmpty() &&
              !tab01_->address->text().isEmpty();
    if (ok && opened_[kAdvanced]) {
        ok = !tab02_->port->text().isEmpty() &&
             (tab02_->automatic->isChecked() || !tab02_->displayName->text().isEmpty());
    }
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(ok);
}

int SessionPropertiesDialog::ParsePort(const QString& text) {
    int value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
        // Digits beyond what a port can be are not accumulated, so a long
        // pasted number cannot overflow.
        if (value > 99999) break;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

PrinterSettingsPage* SessionPropertiesDialog::printer() const {
    return printerPage_ && tabs_->indexOf(printerPage_) >= 0 ? printerPage_ : nullptr;
}

void SessionPropertiesDialog::ShowPrinterPage(const SessionSettings& s) {
    tab01_->device->setCurrentIndex(s.IsPrinter() ? 1 : 0);
    tab01_->screenSize->setEnabled(!s.IsPrinter());
    if (!s.IsPrinter()) {
        if (printer()) tabs_->removeTab(tabs_->indexOf(printerPage_));
        return;
    }
    if (!printerPage_) printerPage_ = new PrinterSettingsPage;
    if (!printer()) tabs_->addTab(printerPage_, QStringLiteral("Printer"));
    printerPage_->Load(s);
}

void SessionPropertiesDialog::ChooseDevice(int index) {
    const bool wasPrinter = printer() != nullptr;
    if ((index == 1) == wasPrinter) return;
    if (index == 1 && printerPage_) {
        // Chosen again: the values edited before are still on the page.
        tabs_->addTab(printerPage_, QStringLiteral("Printer"));
        tab01_->screenSize->setEnabled(false);
        return;
    }
    // The printer values the session holds (its defaults for a display
    // session), or none.
    SessionSettings s = loaded_;
    s.Device = index == 1 ? DeviceKind::kPrinter : DeviceKind::kDisplay;
    ShowPrinterPage(s);
}

SessionSettings SessionPropertiesDialog::Values() const {
    // What the pages do not show (the key map, and a display session's
    // printer values) stays as it was given; the device is the one chosen.
    SessionSettings s = loaded_;
    s.KeyboardMap = loaded_.KeyboardMap;
    s.Name = tab01_->name->text().toStdString();
    s.IP = tab01_->address->text().toStdString();
    s.Language = tab01_->language->currentText().toStdString();
    s.PageCode = tab01_->language->currentData().toInt();
    if (tab01_->screenSize->currentIndex() == 1) {
        s.TerminalName = "IBM-3477-FC";
        s.TerminalCaract = "27 * 132";
    } else {
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
    }
    s.Security = tab01_->security->currentIndex() == 1 ? ConnectionSecurity::kTls
                                                       : ConnectionSecurity::kNone;
    s.CAFile = tab01_->caFile->text().toStdString();
    s.ClientCertificate = tab01_->clientCertificate->text().toStdString();
    if (opened_[kAdvanced]) {
        s.DisplayName = tab02_->displayName->text().toStdString();
        s.DisplayNameAuto = tab02_->automatic->isChecked() ? 1 : 0;
        s.Port = ParsePort(tab02_->port->text());
        s.LaunchConnection = tab02_->launch->isChecked() ? 1 : 0;
        s.Enhanced = tab02_->enhanced->isChecked() ? 1 : 0;
    } else {
        s.DisplayName = loaded_.DisplayName;
        s.DisplayNameAuto = loaded_.DisplayNameAuto;
        s.Port = loaded_.Port;
        s.LaunchConnection = loaded_.LaunchConnection;
        s.Enhanced = loaded_.Enhanced;
    }
    s.UserID = tab03_->user->text().toStdString();
    s.UserPassword = tab03_->password->text().toStdString();
    // Where it is kept is decided after OK, from what changed.
    s.PasswordStore = loaded_.PasswordStore;
    s.AutoConnection = tab03_->autoLogin->isChecked() ? 1 : 0;
    const int chosenLevel = tab03_->passwordLevel->currentData().toInt();
    // A level the file named that the combo shows as its pair is kept as it was.
    const bool samePair = chosenLevel != kAutomaticPasswordLevel &&
                          ShownPasswordLevel(loaded_.PasswordLevel) == chosenLevel;
    s.PasswordLevel = samePair ? loaded_.PasswordLevel : chosenLevel;
    s.SendPasswordInClear = tab03_->sendInClear->isChecked() ? 1 : 0;
    s.ProgProc = tab03_->program->text().toStdString();
    s.Menu = tab03_->menu->text().toStdString();
    s.CurLib = tab03_->library->text().toStdString();
    s.Device = tab01_->device->currentIndex() == 1 ? DeviceKind::kPrinter : DeviceKind::kDisplay;
    if (printer()) printer()->Apply(s);
    return s;
}

void SessionPropertiesDialog::accept() {
    struct Limited {
        Page page;
        QLineEdit* edit;
        int limit;
    };
    const Limited fields[] = {
        {kAdvanced, tab02_->displayName, kNameLimit}, {kAdvanced, tab02_->port, kPortLimit},
        {kLogin, tab03_->user, kNameLimit},           {kLogin, tab03_->password, kPasswordLimit},
        {kLogin, tab03_->program, kNameLimit},        {kLogin, tab03_->menu, kNameLimit},
        {kLogin, tab03_->library, kNameLimit},
    };
    if (!okEnabled()) return;
    for (const Limited& f : fields) {
        if (!opened_[f.page] || f.edit->text().size() <= f.limit) continue;
        const QString text =
            f.edit == tab03_->password
                ? QStringLiteral("The password has %1 characters; a sign-on takes at most "
                                 "%2. Shorten it, or leave it empty and sign on by hand.")
                      .arg(f.edit->text().size())
                      .arg(f.limit)
                : QStringLiteral("Enter no more than %1 characters.").arg(f.limit);
        tabs_->setCurrentIndex(f.page);
        if (onTooLong) {
            onTooLong(text);
        } else {
            QMessageBox::warning(this, windowTitle(), text);
        }
        f.edit->setFocus();
        f.edit->selectAll();
        return;
    }
    // The DES levels carry at most 10 characters: refused here, before a
    // sign-on the host would count as failed.
    const std::string tooLong = opened_[kLogin] ? signon::DesPasswordLengthRefusal(
                                                      tab03_->passwordLevel->currentData().toInt(),
                                                      tab03_->password->text().toStdString())
                                                : std::string();
    if (!tooLong.empty()) {
        const QString text = QStringLiteral(
                                 "Automatic sign-on: %1. Choose the host's password "
                                 "level, or a shorter password.")
                                 .arg(Qs(tooLong));
        tabs_->setCurrentIndex(kLogin);
        if (onTooLong) {
            onTooLong(text);
        } else {
            QMessageBox::warning(this, windowTitle(), text);
        }
        tab03_->password->setFocus();
        tab03_->password->selectAll();
        return;
    }
    QDialog::accept();
}

}  // namespace quenlix::app
