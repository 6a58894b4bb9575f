// The commands that open dialogs, print, and show help; the decorated bars
// and the start-up splash.
#include <QAction>
#include <QGuiApplication>
#include <QToolBar>
#include <QUrl>

#include "app/BmpToolBar.h"
#include "app/CDialAbout.h"
#include "app/CDialogFont.h"
#include "app/CDlgAppearance.h"
#include "app/CDlgAutoSession.h"
#include "app/CDlgKeyMapping.h"
#include "macro/MacroStore.h"
#include "app/CDlgShortcut.h"
#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "app/DialogContext.h"
#include "app/HelpWindow.h"
#include "app/Printing.h"
#include "app/SessionCommands.h"
#include "app/Splash.h"

namespace quenlix::app {

#ifndef QUENLIX_WEB_SITE
#define QUENLIX_WEB_SITE ""
#endif

namespace {

/// The keyboard layout page and the operator's help page in the program's
/// data folder.
constexpr const char* kKeyboardHelpPage = "keyboard.html";
constexpr const char* kOperatorHelpPage = "index.html";

/// The page in the program's own help window, always: it is a local file,
/// so no browser is needed (nor asked which one), and it opens at once.
void ShowHelpPage(DialogContext& context, const char* name, HelpWindow::Format format) {
    const QString page = context.dataFolder + QLatin1Char('/') + QLatin1String(name);
    if (!HelpWindow::Open(&context.frame(), page, format)) {
        const QString text = QStringLiteral("The help page %1 cannot be opened.").arg(page);
        context.messages().ShowMessage(text.toStdString(), MessageIcon::Exclamation);
    }
}

}  // namespace

void CTelnetApp::OpenWebSite() {
    if (webSiteAddress.isEmpty()) {
        if (DialogContext* context = DialogContextOf(*frame_)) {
            ShowHelpPage(*context, kOperatorHelpPage, HelpWindow::Format::Html);
        }
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (openUrl) openUrl(QUrl(webSiteAddress));
    QGuiApplication::restoreOverrideCursor();
}

void CTelnetApp::RegisterDialogCommands(CMainFrame& f, bool mainWindow) {
    auto* context = new DialogContext(
        f, [this]() -> Terminal& { return session().terminal; }, activeMessages_);
    context->UseUserSettings(&prefs_);
    context->UseSettingsStore(store_);
    context->sessionName = [this] { return session().activeSettings.Name; };
    context->sessionFilePath = [this] {
        return commands().hasSessionFile ? commands().sessionFilePath : std::string();
    };

    f.SetHandler(kCmdPrint, {[context] { PrintCommand(*context); }});
    f.SetHandler(kCmdPrintPreview, {[context] { PrintPreviewCommand(*context); }});
    f.SetHandler(kCmdPrinterSetup, {[context] { PrinterSetupCommand(*context); }});
    // Colours and font are the user's: what the dialog did to the session
    // in front, every other session takes.
    f.SetHandler(kCmdAppearance, {[this, context] {
                     CDlgAppearance dialog(*context, &context->frame());
                     dialog.exec();
                     SharePreferences();
                 }});
    f.SetHandler(kCmdFonts, {[this, context] {
                     CDialogFont dialog(*context, &context->frame());
                     dialog.exec();
                     SharePreferences();
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
    // The key map is the session's own: the one in front changes.
    f.SetHandler(kCmdKeyboardMapping, {[this, context] {
                     TerminalSession* session = &this->session();
                     SessionCommands* commands = &this->commands();
                     CDlgKeyMapping dialog(session->input().keyMap(),
                                           session->activeSettings.KeyboardMap,
                                           session->activeSettings.Name, &context->frame());
                     dialog.SetMacroNames(macro::UserMacroNames());
                     dialog.apply = [commands](const std::string& name, const KeyMap& map) {
                         commands->ChooseKeyMap(name, map);
                     };
                     dialog.exec();
                 }});
    f.SetHandler(kCmdKeyboardLayout, {[context] {
                     ShowHelpPage(*context, kKeyboardHelpPage, HelpWindow::Format::Html);
                 }});
    webSiteAddress = QString::fromUtf8(QUENLIX_WEB_SITE);
    context->openWebSite = [this] { OpenWebSite(); };
    f.SetHandler(kCmdWebSite, {[this] { OpenWebSite(); }});
    // The command's prompt and tooltip say where it leads.
    if (QAction* web = f.action(kCmdWebSite); web && webSiteAddress.isEmpty()) {
        web->setStatusTip(QStringLiteral("Show the Quenlix Telnet help"));
        web->setToolTip(QStringLiteral("Help"));
    } else if (web) {
        web->setToolTip(QUrl(webSiteAddress).host());
    }
    if (QAction* web = f.action(kCmdWebSite)) {
        if (QWidget* button = f.helpBar()->widgetForAction(web)) button->setToolTip(web->toolTip());
    }

    DecorateBars(f);
    if (!mainWindow) return;

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
