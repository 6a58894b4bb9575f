// The commands that open dialogs, print, and show help; the decorated bars
// and the start-up splash.
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "app/BmpToolBar.h"
#include "app/CDialAbout.h"
#include "app/CDialogFont.h"
#include "app/CDlgAppearance.h"
#include "app/CDlgAutoSession.h"
#include "app/CDlgShortcut.h"
#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "app/DialogContext.h"
#include "app/Printing.h"
#include "app/SessionCommands.h"
#include "app/Splash.h"

namespace quenlix::app {

namespace {

/// The keyboard layout page in the program's data folder.
constexpr const char* kKeyboardHelpPage = "keyboard.html";

void OpenKeyboardHelp(DialogContext& context) {
    const QString page = context.dataFolder + QLatin1Char('/') + QLatin1String(kKeyboardHelpPage);
    if (!QFileInfo::exists(page) || !QDesktopServices::openUrl(QUrl::fromLocalFile(page))) {
        const QString text = QStringLiteral("The help page %1 cannot be opened.").arg(page);
        context.messages().ShowMessage(text.toStdString(), MessageIcon::Exclamation);
    }
}

}  // namespace

void CTelnetApp::RegisterDialogCommands() {
    CMainFrame& f = *frame_;
    auto* context = new DialogContext(f, session_->terminal, messages_);
    TerminalSession* session = session_.get();
    context->UseUserSettings(&prefs_);
    context->UseSettingsStore(store_);
    context->sessionName = [session] { return session->activeSettings.Name; };
    SessionCommands* commands = commands_.get();
    context->sessionFilePath = [commands] {
        return commands->hasSessionFile ? commands->sessionFilePath : std::string();
    };

    f.SetHandler(kCmdPrint, {[context] { PrintCommand(*context); }});
    f.SetHandler(kCmdPrintPreview, {[context] { PrintPreviewCommand(*context); }});
    f.SetHandler(kCmdPrinterSetup, {[context] { PrinterSetupCommand(*context); }});
    f.SetHandler(kCmdAppearance, {[context] {
                     CDlgAppearance dialog(*context, &context->frame());
                     dialog.exec();
                 }});
    f.SetHandler(kCmdFonts, {[context] {
                     CDialogFont dialog(*context, &context->frame());
                     dialog.exec();
                 }});
    f.SetHandler(kCmdAutoSession, {[context] {
                     CDlgAutoSession dialog(*context, &context->frame());
                     dialog.exec();
                 }});
    f.SetHandler(kCmdCreateShortcut,
                 {[context] {
                      CDlgShortcut dialog(*context, SystemLauncherFolders(), &context->frame());
                      dialog.exec();
                  },
                  [context] {
                      return context->sessionFilePath && !context->sessionFilePath().empty();
                  }});
    f.SetHandler(kCmdAbout, {[context] {
                     CDialAbout dialog(*context, &context->frame());
                     dialog.exec();
                 }});
    f.SetHandler(kCmdKeyboardLayout, {[context] { OpenKeyboardHelp(*context); }});

    DecorateBars(f);

    // The start-up splash; start-up waits while it is up.
    showSplash = [this, context] {
        CSplashWnd* splash =
            ShowStartupSplash(context->frame(), context->store(), context->dataFolder);
        if (!splash) return false;
        connect(splash, &QObject::destroyed, this, [this] { SetSplashShown(false); });
        return true;
    };
}

}  // namespace quenlix::app
