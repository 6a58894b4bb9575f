// The About box: the program's version, the next picture of the splash
// rotation, and the "Web Site..." button, which does what the Web Site
// command does (DialogContext::openWebSite).
#pragma once

#include <QDialog>
#include <functional>

class QLabel;

namespace quenlix::app {

class DialogContext;

/// "Quenlix Telnet version %s" with `version`; empty without a version.
QString VersionText(const QString& version);

class CDialAbout : public QDialog {
    Q_OBJECT
public:
    explicit CDialAbout(DialogContext& context, QWidget* parent = nullptr);

    QLabel* versionLabel() const { return version_; }
    /// The picture's child window, or null when no picture was shown.
    QLabel* pictureLabel() const { return picture_; }

private:
    QLabel* version_ = nullptr;
    QLabel* picture_ = nullptr;
};

}  // namespace quenlix::app
