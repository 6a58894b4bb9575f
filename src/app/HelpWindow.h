// The program's own help window: a small non-modal window beside the main
// window that shows a help page (the operator's help, the keyboard layout;
// HTML) or a Markdown page installed with the program. It needs no web browser,
// works offline and opens at once; links to web addresses in a page go to
// the user's browser.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace quenlix::app {

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    enum class Format { Html, Markdown };

    explicit HelpWindow(QWidget* parent = nullptr);

    /// Shows the file in the window: its title becomes the window's (the
    /// file name when it has none). False when the file cannot be read.
    bool ShowFile(const QString& path, Format format);

    QTextBrowser* browser() const { return browser_; }
    /// The file shown, as given.
    const QString& file() const { return file_; }

    /// The owner's help window (made the first time), showing the file and
    /// brought to the front; null when the file cannot be read (the window
    /// is then left as it was).
    static HelpWindow* Open(QWidget* owner, const QString& path, Format format);

private:
    QTextBrowser* browser_;
    QString file_;
};

}  // namespace quenlix::app
