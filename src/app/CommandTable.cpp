// The command table.
#include "app/CommandTable.h"

#include <QString>
#include <vector>

#include "app/CommandIds.h"

namespace quenlix::app {

namespace {

QList<QKeySequence> Keys(std::initializer_list<QKeyCombination> keys) {
    QList<QKeySequence> out;
    for (const QKeyCombination& k : keys) out.append(QKeySequence(k));
    return out;
}

const std::vector<CommandSpec>& Table() {
    static const std::vector<CommandSpec> table = {
        {kCmdNewSession, "&New Session\tCtrl+N", "Create a new session", Keys({Qt::CTRL | Qt::Key_N})},
        {kCmdOpen, "&Open\tCtrl+O", "Open a saved session", Keys({Qt::CTRL | Qt::Key_O})},
        {kCmdClose, "&Close", "Close current session", {}},
        {kCmdSave, "&Save\tCtrl+S", "Save the current session", Keys({Qt::CTRL | Qt::Key_S})},
        {kCmdSaveAs, "Save &As", "Save the current session with a new name", {}},
        {kCmdCreateShortcut, "C&reate Shortcut", "Create a shortcut", {}},
        {kCmdPrint, "&Print...\tCtrl+P", "Print active document\nPrint", Keys({Qt::CTRL | Qt::Key_P})},
        {kCmdPrintPreview, "Print Pre&view", "Print Preview", {}},
        {kCmdPrinterSetup, "Prin&ter Setup", "Change printer and print setup\nPrint Configuration", {}},
        {kCmdReplayRecording, "Repla&y Recording...",
         "Show the host screens of a saved trace or recording without a host\nReplay Recording", {}},
        {kCmdRecent1, "", "Opens this document", {}},
        {kCmdRecent1 + 1, "", "Opens this document", {}},
        {kCmdRecent1 + 2, "", "Opens this document", {}},
        {kCmdRecent4, "", "Opens this document", {}},
        {kCmdExit, "&Exit", "Close application\nClose", Keys({Qt::ALT | Qt::Key_F4})},
        {kCmdCopy, "&Copy\tCtrl+C", "Copy the selection and place on clipboard\nCopy",
         Keys({Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Insert})},
        {kCmdPaste, "&Paste\tCtrl+V", "Insert contents of clipboard\nPaste",
         Keys({Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert})},
        {kCmdSelectAll, "Select &All\tCtrl+A", "Select entire screen", Keys({Qt::CTRL | Qt::Key_A})},
        {kCmdTrimBlankRight, "&Trim Blank Space to Right", "Trim Blank Space to Right", {}},
        {kCmdRefusedKeyAlarm, "Sound on &Refused Keys", "Sound the alarm when a key is refused", {}},
        {kCmdCommandBar, "&Command Bar", "Display or hide command key bar", {}},
        {kCmdSpecialKeyBar, "Special &Key Bar", "Display or hide special key bar", {}},
        {kCmdHelpBar, "&Help Bar", "Display or hide help key bar", {}},
        {kCmdStatusBar, "&Status Bar", "Display or hide status bar", {}},
        {kCmdCursorSolid, "&Solid", "", {}},
        {kCmdCursorUnderscore, "&Underscore", "", {}},
        {kCmdCursorVerticalBar, "&Vertical Bar", "", {}},
        {kCmdCursorLocation, "Cursor &Location\tCtrl+R",
         "Display/Hide location of cursor by a vertical and horizontal line",
         Keys({Qt::CTRL | Qt::Key_R})},
        {kCmdCursorBlink, "Cursor &Blink \tCtrl+B", "Display a blinking or static cursor",
         Keys({Qt::CTRL | Qt::Key_B})},
        {kCmdFullScreen, "&Full Screen\tCtrl+F", "Display as full screen", Keys({Qt::CTRL | Qt::Key_F})},
        {kCmdStart, "&Start\tCtrl+X", "Open connection", Keys({Qt::CTRL | Qt::Key_X})},
        {kCmdStop, "S&top\tCtrl+D", "Close connection", Keys({Qt::CTRL | Qt::Key_D})},
        {kCmdTraceToFile, "T&race to File...",
         "Write the connection's traffic, described and with passwords masked, to a file\nTrace to File",
         {}},
        {kCmdConnectDisconnect, "Connect/Disconnect", "Open/close connection\nConnect/Disconnect", {}},
        {kCmdProperties, "&Properties\tCtrl+T", "Display session properties", Keys({Qt::CTRL | Qt::Key_T})},
        {kCmdAppearance, "&Appearance\tCtrl+F1", "Choice of display colors and background image",
         Keys({Qt::CTRL | Qt::Key_F1})},
        {kCmdFonts, "&Fonts\tCtrl+F2", "Choice of font", Keys({Qt::CTRL | Qt::Key_F2})},
        {kCmdAutoSession, "Auto &Session\tCtrl+F3", "Automate session connection",
         Keys({Qt::CTRL | Qt::Key_F3})},
        {kCmdKeyboardMapping, "Keyboard &Mapping...",
         "Which PC key does which 5250 function\nKeyboard Mapping", {}},
        {kCmdKeyboardLayout, "&Keyboard Layout\tCtrl+F4",
         "Keyboard layout between PC and AS/400\nKeyboard Layout", Keys({Qt::CTRL | Qt::Key_F4})},
        {kCmdAbout, "&About Quenlix Telnet...",
         "Display program information, version number and copyright", {}},
        {kCmdWebSite, "Web Site", "Go to Quenlix website\nquenlix.example", {}},
        {kCmdSystemRequest, "System Request", "System Request special key\nSystem Request",
         Keys({Qt::SHIFT | Qt::Key_Escape})},
        {kCmdAttention, "ATTN", " ATTENTION (ATTN) special key \nATTN", {}},
        {kCmdPrevious, "Previous", "Display previous screen\nPrevious", {}},
        {kCmdNext, "Next", "Display next screen\nNext", {}},
        {kCmdDeleteFields, "Delete fields", "Delete all modified non bypass fields\nDelete fields", {}},
        {kCmdRefresh, "Refresh", "Refresh current screen\nRefresh", {}},
        {kCmdPa1, "PA1", "PA1 special key\nPA1", {}},
        {kCmdPa2, "PA2", "PA2 special key\nPA2", {}},
        {kCmdPa3, "PA3", "PA3 special key\nPA3", {}},
        {kCmdPrintKey, "Print", "Print current screen\nPrint", {}},
        {kCmdHelpKey, "Help", "Help key\nHelp", {}},
        // Ctrl+Shift with a letter: no host key, no character, no other command.
        {kCmdReadLine, "&Read Line\tCtrl+Shift+L", "Say the line the cursor is on\nRead Line",
         Keys({Qt::CTRL | Qt::SHIFT | Qt::Key_L})},
        {kCmdReadField, "Read F&ield\tCtrl+Shift+F",
         "Say the label, kind and value of the field the cursor is in\nRead Field",
         Keys({Qt::CTRL | Qt::SHIFT | Qt::Key_F})},
        {kCmdReadMessageLine, "Read &Message Line\tCtrl+Shift+M",
         "Say the line the host writes its messages on\nRead Message Line",
         Keys({Qt::CTRL | Qt::SHIFT | Qt::Key_M})},
        {kCmdReadStatus, "Read Stat&us\tCtrl+Shift+S",
         "Say the indicator row: keyboard lock, message waiting, insert mode, cursor place\nRead Status",
         Keys({Qt::CTRL | Qt::SHIFT | Qt::Key_S})},
        {kCmdListFields, "List Fiel&ds...\tCtrl+Shift+G",
         "List the screen's input fields and go to the one chosen\nList Fields",
         Keys({Qt::CTRL | Qt::SHIFT | Qt::Key_G})},
        // Sessions in tabs. No built-in key map binds these keys.
        {kCmdNextTab, "&Next Session\tCtrl+PgDown", "Bring the next session's tab to the front\nNext Session",
         Keys({Qt::CTRL | Qt::Key_PageDown})},
        {kCmdPreviousTab, "&Previous Session\tCtrl+PgUp",
         "Bring the previous session's tab to the front\nPrevious Session",
         Keys({Qt::CTRL | Qt::Key_PageUp})},
        {kCmdTab1, "", "", Keys({Qt::ALT | Qt::Key_1})},
        {kCmdTab1 + 1, "", "", Keys({Qt::ALT | Qt::Key_2})},
        {kCmdTab1 + 2, "", "", Keys({Qt::ALT | Qt::Key_3})},
        {kCmdTab1 + 3, "", "", Keys({Qt::ALT | Qt::Key_4})},
        {kCmdTab1 + 4, "", "", Keys({Qt::ALT | Qt::Key_5})},
        {kCmdTab1 + 5, "", "", Keys({Qt::ALT | Qt::Key_6})},
        {kCmdTab1 + 6, "", "", Keys({Qt::ALT | Qt::Key_7})},
        {kCmdTab1 + 7, "", "", Keys({Qt::ALT | Qt::Key_8})},
        {kCmdTab9, "", "", Keys({Qt::ALT | Qt::Key_9})},
        {kCmdMoveToNewWindow, "Mo&ve to New Window",
         "Move the session in front to a window of its own\nMove to New Window", {}},
        {kCmdMoveToMainWindow, "Move to &Main Window",
         "Move the session in front back to the main window\nMove to Main Window", {}},
        {kCmdReplaceSession, "Open Sessions in the Same &Tab",
         "New Session, Open and a recent session replace the session in front\nSame Tab", {}},
        {kCmdReopenWorkspace, "&Reopen Sessions at Start",
         "Open again at start the sessions open at the last exit\nReopen Sessions", {}},
        {kCmdMapOverTabKeys, "&Key Map Takes the Tab Keys",
         "A key the session's key map binds goes to the session even when it switches tabs\nKey Map "
         "Takes the Tab Keys",
         {}},
        {kCmdHotspots, "&Hotspots Under the Mouse",
         "Underline a function key, menu item or address under the mouse; a click on it acts\nHotspots",
         {}},
        {kCmdMacroRecord, "&Record", "Record what you do on the screens as a macro\nRecord Macro", {}},
        {kCmdMacroStop, "S&top", "End the recording and save it, or stop the macro playing\nStop Macro",
         {}},
        {kCmdMacroPlay, "&Play...", "Play a saved macro in the session in front\nPlay Macro", {}},
        {kCmdMacroEdit, "&Edit...", "Change the lines of a saved macro\nEdit Macro", {}},
        {kCmdMacroImport, "&Import...", "Add a macro file to your macros\nImport Macro", {}},
        {kCmdMacroExport, "E&xport...", "Write one of your macros to a file\nExport Macro", {}},
        {kCmdMacroStartMacro, "Play After &Connecting...",
         "Choose the macro this session plays once it is connected\nPlay After Connecting", {}},
        {kCmdUnhandledCtrlL, "", "", Keys({Qt::CTRL | Qt::Key_L})},
        {kCmdUnhandledCtrlU, "", "", Keys({Qt::CTRL | Qt::Key_U})},
        {kCmdUnhandledUndo, "", "", Keys({Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace})},
        {kCmdUnhandledCut, "", "", Keys({Qt::SHIFT | Qt::Key_Delete})},
        {kCmdUnhandledAltPlus, "", "", Keys({Qt::ALT | Qt::Key_Plus})},
    };
    return table;
}

}  // namespace

std::span<const CommandSpec> AllCommands() { return Table(); }

QString PromptOf(const CommandSpec& command) {
    return QString::fromLatin1(command.prompt).section(QLatin1Char('\n'), 0, 0);
}

QString TooltipOf(const CommandSpec& command) {
    const QString text = QString::fromLatin1(command.prompt);
    return text.contains(QLatin1Char('\n')) ? text.section(QLatin1Char('\n'), 1) : text;
}

}  // namespace quenlix::app
