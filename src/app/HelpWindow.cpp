// The help window.
#include "app/HelpWindow.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace quenlix::app {

namespace {
/// Object name of a main window's help window, to find it again.
constexpr const char* kHelpWindowName = "HelpWindow";
}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setObjectName(QString::fromLatin1(kHelpWindowName));
    setModal(false);
    // A window of its own beside the main one, with the usual buttons.
    setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(760, 620);
}

bool HelpWindow::ShowFile(const QString& path, Format format) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) return false;
    const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    browser_->setSource(url, format == Format::Markdown ? QTextDocument::MarkdownResource
                                                        : QTextDocument::HtmlResource);
    if (browser_->document()->isEmpty()) return false;
    file_ = path;
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? info.fileName() : title);
    return true;
}

HelpWindow* HelpWindow::Open(QWidget* owner, const QString& path, Format format) {
    auto* window = owner ? owner->findChild<HelpWindow*>(QString::fromLatin1(kHelpWindowName),
                                                         Qt::FindDirectChildrenOnly)
                         : nullptr;
    const bool made = window == nullptr;
    if (made) window = new HelpWindow(owner);
    if (!window->ShowFile(path, format)) {
        if (made) delete window;
        return nullptr;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace quenlix::app
