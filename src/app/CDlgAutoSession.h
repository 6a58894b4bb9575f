// The Auto Session dialog: a session file to open at every start, typed or
// chosen with Browse; OK takes it, Cancel leaves everything as it was.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace quenlix::app {

class CImageButton;
class DialogContext;

class CDlgAutoSession : public QDialog {
    Q_OBJECT
public:
    enum : int { kLoadAtStartup = 1251, kPath = 1252, kBrowse = 1219 };

    explicit CDlgAutoSession(DialogContext& context, QWidget* parent = nullptr);

    QCheckBox* checkBox() const { return check_; }
    QLineEdit* pathEdit() const { return path_; }
    CImageButton* browseButton() const { return browse_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    /// The session-file chooser of "Browse": the chosen path or empty.
    std::function<QString(const QString& start)> chooseSessionFile;

private:
    void CheckClicked();
    void Browse();

    DialogContext& context_;
    QCheckBox* check_ = nullptr;
    QLineEdit* path_ = nullptr;
    CImageButton* browse_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace quenlix::app
