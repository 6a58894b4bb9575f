// The About box.
#include "app/CDialAbout.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/CMainFrame.h"
#include "app/DialogContext.h"
#include "app/Splash.h"

#ifndef QUENLIX_VERSION
#define QUENLIX_VERSION ""
#endif

namespace quenlix::app {

QString VersionText(const QString& version) {
    if (version.isEmpty()) return {};
    return QStringLiteral("Quenlix Telnet version %1").arg(version);
}

CDialAbout::CDialAbout(DialogContext& context, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Quenlix Telnet"));

    // The next picture of the splash rotation, centred across the top.
    constexpr int kMinimumWidth = 360;
    QPixmap pixmap;
    const QString path = ChooseSplashPicture(SplashFolder(context.dataFolder), context.store());
    if (!path.isEmpty()) {
        QSize bound(800, 500);
        if (const QScreen* s = context.frame().screen()) bound = bound.boundedTo(s->availableSize() / 2);
        pixmap = LoadSplashPicture(path, bound);
    }
    const int margin = 12;
    const int clientWidth = std::max(kMinimumWidth, pixmap.isNull() ? 0 : pixmap.width() + 2 * margin);
    int top = margin;
    if (!pixmap.isNull()) {
        picture_ = new QLabel(this);
        picture_->setObjectName(QStringLiteral("picture"));
        picture_->setPixmap(pixmap);
        const int x = (clientWidth - pixmap.width()) / 2;
        picture_->setGeometry(x, x, pixmap.width(), pixmap.height());
        top = x + pixmap.height() + margin;
    }

    version_ = new QLabel(VersionText(QStringLiteral(QUENLIX_VERSION)), this);
    version_->setObjectName(QStringLiteral("1259"));
    auto* second = new QLabel(
        QStringLiteral("A TN5250 terminal for IBM i hosts.\nCopyright \u00A9 Quenlix."), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* web = new QPushButton(QStringLiteral("Web Site..."), this);
    web->setObjectName(QStringLiteral("1273"));

    auto* text = new QWidget(this);
    auto* column = new QVBoxLayout(text);
    column->setContentsMargins(margin, 0, margin, margin);
    column->addWidget(version_);
    column->addWidget(second);
    auto* row = new QHBoxLayout;
    row->addWidget(web);
    row->addStretch(1);
    row->addWidget(ok);
    column->addSpacing(8);
    column->addLayout(row);
    text->adjustSize();
    text->setGeometry(0, top, clientWidth, text->sizeHint().height());
    setFixedSize(clientWidth, top + text->height());

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(web, &QPushButton::clicked, this, [&context] {
        if (context.openWebSite) context.openWebSite();
    });
}

}  // namespace quenlix::app
