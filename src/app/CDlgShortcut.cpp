// The Create Shortcut dialog.
#include "app/CDlgShortcut.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cerrno>
#include <cstring>

#include "app/ButtonPictures.h"
#include "app/DialogContext.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

namespace {
QString Str(int id) { return QString::fromUtf8(LoadString(id).data()); }
}  // namespace

CDlgShortcut::CDlgShortcut(DialogContext& context, const LauncherFolders& folders, QWidget* parent)
    : QDialog(parent), context_(context), folders_(folders) {
    setWindowTitle(QStringLiteral("Create Shortcut"));
    auto* intro = new QLabel(QStringLiteral("To create a shortcut to automatically open the current "
                                            "session file, fill in the following parameters:"),
                             this);
    intro->setWordWrap(true);
    const std::string sessionName = context.sessionName ? context.sessionName() : std::string();
    name_ = new QLineEdit(QStringLiteral("Quenlix Telnet - ") + QString::fromStdString(sessionName), this);
    name_->setObjectName(QString::number(kName));
    comment_ = new QLineEdit(this);
    comment_->setObjectName(QString::number(kComment));

    auto* where = new QGroupBox(QStringLiteral("Shortcut Location"), this);
    const char* const texts[4] = {"Display Shortcut on Desktop for Current User",
                                  "Display Shortcut on Desktop for All Users",
                                  "Display Shortcut in Applications menu for Current User",
                                  "Display Shortcut in Applications menu for All Users"};
    const int ids[4] = {kUserDesktop, kSharedDesktop, kUserMenu, kSharedMenu};
    group_ = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        locations_[i] = new QRadioButton(QString::fromLatin1(texts[i]), where);
        locations_[i]->setObjectName(QString::number(ids[i]));
        group_->addButton(locations_[i], i);
    }
    locations_[0]->setChecked(true);
    userFolder_ = new QLineEdit(where);
    userFolder_->setObjectName(QString::number(kUserFolder));
    userFolder_->setReadOnly(true);
    sharedFolder_ = new QLineEdit(where);
    sharedFolder_->setObjectName(QString::number(kSharedFolder));
    sharedFolder_->setReadOnly(true);
    browseUser_ = MakeBrowseButton(where);
    browseUser_->setObjectName(QString::number(kBrowseUser));
    browseShared_ = MakeBrowseButton(where);
    browseShared_->setObjectName(QString::number(kBrowseShared));
    for (CImageButton* b : {browseUser_, browseShared_}) b->setFixedSize(26, 20);
    auto* grid = new QGridLayout(where);
    grid->addWidget(locations_[0], 0, 0, 1, 2);
    grid->addWidget(locations_[1], 1, 0, 1, 2);
    grid->addWidget(locations_[2], 2, 0, 1, 2);
    grid->addWidget(userFolder_, 3, 0);
    grid->addWidget(browseUser_, 3, 1);
    grid->addWidget(locations_[3], 4, 0, 1, 2);
    grid->addWidget(sharedFolder_, 5, 0);
    grid->addWidget(browseShared_, 5, 1);

    auto* buttons = new QDialogButtonBox(this);
    create_ = buttons->addButton(QStringLiteral("Create"), QDialogButtonBox::AcceptRole);
    create_->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);

    auto* form = new QGridLayout(this);
    form->addWidget(intro, 0, 0, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("Shortcut Name"), this), 1, 0);
    form->addWidget(name_, 1, 1);
    form->addWidget(new QLabel(QStringLiteral("Shortcut Comment"), this), 2, 0);
    form->addWidget(comment_, 2, 1);
    form->addWidget(where, 3, 0, 1, 2);
    form->addWidget(buttons, 4, 0, 1, 2);
    setMinimumWidth(460);

    // Without a shared application menu, the all-users choices are off;
    // without a shared desktop, its own choice is off as well (it could
    // only fail).
    if (folders_.sharedMenu.isEmpty()) {
        for (QWidget* w : std::initializer_list<QWidget*>{locations_[1], locations_[3],
                                                         sharedFolder_, browseShared_}) {
            w->setEnabled(false);
        }
    }
    if (folders_.sharedDesktop.isEmpty()) locations_[kOnSharedDesktop]->setEnabled(false);

    chooseFolder = [this](const QString& root, const QString& title) {
        return QFileDialog::getExistingDirectory(this, title, root, QFileDialog::ShowDirsOnly);
    };
    connect(group_, &QButtonGroup::idClicked, this, &CDlgShortcut::ApplyCreateRule);
    connect(browseUser_, &QPushButton::clicked, this, [this] { Browse(false); });
    connect(browseShared_, &QPushButton::clicked, this, [this] { Browse(true); });
    connect(create_, &QPushButton::clicked, this, &CDlgShortcut::Create);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ApplyCreateRule();
}

int CDlgShortcut::location() const { return std::max(0, group_->checkedId()); }

void CDlgShortcut::ApplyCreateRule() {
    bool enabled = !name_->text().isEmpty();
    if (location() == kInUserMenu) enabled = enabled && !userFolder_->text().isEmpty();
    if (location() == kInSharedMenu) enabled = enabled && !sharedFolder_->text().isEmpty();
    create_->setEnabled(enabled);
}

void CDlgShortcut::Browse(bool shared) {
    const QString root = shared ? folders_.sharedMenu : folders_.userMenu;
    if (root.isEmpty()) {
        context_.messages().ShowMessage(LoadString(kStrCannotBrowseFolder), MessageIcon::Exclamation);
        return;
    }
    // The user's menu folder is made when missing, so the chooser opens in
    // it; if that fails it opens where it can.
    if (!shared) MakeLauncherFolder(root);
    const QString chosen = chooseFolder(root, Str(kStrShortcutMenuPrompt));
    if (chosen.isNull()) return;  // cancelled
    const QString folder = QDir::toNativeSeparators(chosen);
    QLineEdit* edit = shared ? sharedFolder_ : userFolder_;
    edit->setText(folder);
    if (!folder.isEmpty()) locations_[shared ? kInSharedMenu : kInUserMenu]->setChecked(true);
    ApplyCreateRule();
}

void CDlgShortcut::Create() {
    LauncherRequest request;
    const bool onDesktop = location() == kOnUserDesktop || location() == kOnSharedDesktop;
    switch (location()) {
        case kOnUserDesktop: request.folder = folders_.userDesktop; break;
        case kOnSharedDesktop: request.folder = folders_.sharedDesktop; break;
        case kInUserMenu: request.folder = userFolder_->text(); break;
        case kInSharedMenu: request.folder = sharedFolder_->text(); break;
    }
    request.name = name_->text();
    request.comment = comment_->text();
    request.programPath = context_.programPath;
    request.sessionPath =
        QString::fromStdString(context_.sessionFilePath ? context_.sessionFilePath() : std::string());
    const Launcher launcher = MakeLauncher(request);
    // A fresh account has no desktop folder until something puts a file on
    // it: the launcher makes it. A menu folder was chosen as it stood, so
    // one that went away since is not made again.
    QString reason;
    if (onDesktop) {
        reason = MakeLauncherFolder(request.folder);
    } else if (!QFileInfo(request.folder).isDir()) {
        reason = QString::fromLocal8Bit(std::strerror(ENOENT));
    }
    if (reason.isEmpty() && WriteLauncher(launcher, &reason)) {
        const QString text = Str(kStrShortcutCreated).replace(QStringLiteral("%s"), name_->text());
        context_.messages().ShowMessage(text.toStdString(), MessageIcon::Information);
    } else {
        // What failed and why, below the usual words.
        const QString text = Str(kStrCannotCreateShortcut) + QLatin1Char('\n') +
                             launcher.filePath + QLatin1Char('\n') + reason;
        context_.messages().ShowMessage(text.toStdString(), MessageIcon::Exclamation);
    }
    accept();
}

}  // namespace quenlix::app
