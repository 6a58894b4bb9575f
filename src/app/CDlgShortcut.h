// The Create Shortcut dialog: a launcher that starts the program on the
// current session file, on a desktop or in an application menu.
#pragma once

#include <QDialog>
#include <functional>

#include "app/DesktopLauncher.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quenlix::app {

class CImageButton;
class DialogContext;

class CDlgShortcut : public QDialog {
    Q_OBJECT
public:
    enum : int {
        kName = 1008,
        kComment = 1009,
        kUserFolder = 1005,
        kSharedFolder = 1006,
        kBrowseUser = 1003,
        kBrowseShared = 1010,
        kUserDesktop = 1271,
        kSharedDesktop = 1272,
        kUserMenu = 1263,
        kSharedMenu = 1264,
    };
    /// Locations 0..3: user desktop, shared desktop, user menu, shared menu.
    enum Location : int { kOnUserDesktop, kOnSharedDesktop, kInUserMenu, kInSharedMenu };

    CDlgShortcut(DialogContext& context, const LauncherFolders& folders, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* commentEdit() const { return comment_; }
    QLineEdit* folderEdit(bool shared) const { return shared ? sharedFolder_ : userFolder_; }
    QRadioButton* locationButton(int location) const { return locations_[location]; }
    CImageButton* browseButton(bool shared) const { return shared ? browseShared_ : browseUser_; }
    QPushButton* createButton() const { return create_; }
    int location() const;

    /// The folder browser: the chosen folder, or empty on Cancel.
    std::function<QString(const QString& root, const QString& title)> chooseFolder;

    /// "Create": makes the launcher, reports 534 or 533, and closes.
    void Create();

private:
    void ApplyCreateRule();
    void Browse(bool shared);

    DialogContext& context_;
    LauncherFolders folders_;
    QLineEdit* name_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QLineEdit* userFolder_ = nullptr;
    QLineEdit* sharedFolder_ = nullptr;
    CImageButton* browseUser_ = nullptr;
    CImageButton* browseShared_ = nullptr;
    QRadioButton* locations_[4] = {};
    QButtonGroup* group_ = nullptr;
    QPushButton* create_ = nullptr;
};

}  // namespace quenlix::app
