// The Auto Session dialog.
#include "app/CDlgAutoSession.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "app/ButtonPictures.h"
#include "app/DialogContext.h"
#include "app/SessionCommands.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

CDlgAutoSession::CDlgAutoSession(DialogContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setWindowTitle(QStringLiteral("Auto Session"));
    const UserSettings& s = context.settings();
    check_ = new QCheckBox(QStringLiteral("Load session file at startup"), this);
    check_->setObjectName(QString::number(kLoadAtStartup));
    check_->setChecked(s.Check != 0);
    path_ = new QLineEdit(QString::fromStdString(s.FileName), this);
    path_->setObjectName(QString::number(kPath));
    // The path can be typed as well as browsed for.
    path_->setMinimumWidth(280);
    browse_ = MakeBrowseButton(this);
    browse_->setObjectName(QString::number(kBrowse));
    browse_->setFixedSize(26, 20);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);

    auto* grid = new QGridLayout(this);
    grid->addWidget(check_, 0, 0, 1, 2);
    grid->addWidget(path_, 1, 0);
    grid->addWidget(browse_, 1, 1);
    grid->addWidget(buttons, 2, 0, 1, 2);

    chooseSessionFile = [this](const QString& start) {
        return QFileDialog::getOpenFileName(this, QString(), start,
                                            QtFileFilter(LoadString(kStrSessionFileFilter)));
    };
    connect(check_, &QCheckBox::clicked, this, &CDlgAutoSession::CheckClicked);
    connect(browse_, &QPushButton::clicked, this, &CDlgAutoSession::Browse);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        UserSettings& settings = context_.settings();
        // A typed relative path is kept by its absolute one: the program may
        // start in another folder.
        settings.FileName = AbsoluteSessionPath(path_->text().trimmed().toStdString());
        settings.Check = check_->isChecked() ? 1 : 0;
        accept();
    });
    // Cancel (or Esc, or the close box) changes nothing.
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CDlgAutoSession::CheckClicked() {
    if (check_->isChecked() && path_->text().trimmed().isEmpty()) {
        context_.messages().ShowMessage(LoadString(kStrSelectSessionFirst), MessageIcon::Exclamation);
        check_->setChecked(false);
    }
}

void CDlgAutoSession::Browse() {
    // The chooser proposes the stored file, not one chosen earlier here.
    const QString chosen = chooseSessionFile(QString::fromStdString(context_.settings().FileName));
    if (!chosen.isEmpty()) path_->setText(chosen);
}

}  // namespace quenlix::app
