// The "Open Connection" choice.
#include "app/CDlgNoSession.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace quenlix::app {

const char* const CDlgNoSession::kText =
    "No session file is currently available to start the connection.\n\n"
    "Click Open to load a previously saved file or Create to define a new one.";

CDlgNoSession::CDlgNoSession(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Open Connection"));
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    auto* text = new QLabel(QString::fromLatin1(kText), this);
    auto* open = new QPushButton(QStringLiteral("Open"), this);
    auto* create = new QPushButton(QStringLiteral("Create"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    create->setDefault(true);
    connect(open, &QPushButton::clicked, this, [this] { done(kOpen); });
    connect(create, &QPushButton::clicked, this, [this] { done(kCreate); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(text, 1);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(open);
    row->addWidget(create);
    row->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(row);
}

}  // namespace quenlix::app
