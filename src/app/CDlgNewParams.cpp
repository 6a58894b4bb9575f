// The "Modify Connection Parameters" choice.
#include "app/CDlgNewParams.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace quenlix::app {

const char* const CDlgNewParams::kText =
    "Warning!  The parameters you have just modified will be applied the next time a session "
    "is started.\n\nClick Restart to relaunch the session with the new parameters or Continue "
    "to maintain the current parameters.";

CDlgNewParams::CDlgNewParams(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Modify Connection Parameters"));
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    auto* text = new QLabel(QString::fromLatin1(kText), this);
    text->setWordWrap(true);
    auto* restart = new QPushButton(QStringLiteral("Restart"), this);
    auto* cont = new QPushButton(QStringLiteral("Continue"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cont->setDefault(true);
    connect(restart, &QPushButton::clicked, this, [this] { done(kRestart); });
    connect(cont, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(text, 1);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(restart);
    row->addWidget(cont);
    row->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(row);
}

}  // namespace quenlix::app
