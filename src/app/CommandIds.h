// The numeric command identifiers shared by the menus, the accelerators and
// the tool-bar buttons.
#pragma once

#include "input/KeyCodes.h"

namespace quenlix::app {

enum CommandId : int {
    kCmdNewSession = 57600,
    kCmdOpen = 57601,
    kCmdClose = 32851,
    kCmdSave = 32846,
    kCmdSaveAs = 32847,
    kCmdCreateShortcut = 32848,
    kCmdPrint = 57607,
    kCmdPrintPreview = 57609,
    kCmdPrinterSetup = 57606,
    kCmdRecent1 = 57616,  // 57616..57619
    kCmdRecent4 = 57619,
    kCmdExit = 57665,
    kCmdCopy = 57634,
    kCmdPaste = 57637,
    kCmdSelectAll = 32783,
    kCmdTrimBlankRight = 32856,
    kCmdRefusedKeyAlarm = 33100,  // the sound of a refused key, on or off
    kCmdTraceToFile = 33110,      // the connection's trace into a file, on or off
    kCmdReplayRecording = 33111,  // a saved trace or recording played without a host
    // Reading the screen aloud (through the screen reader) and in the status bar.
    kCmdReadLine = 33120,
    kCmdReadField = 33121,
    kCmdReadMessageLine = 33122,
    kCmdReadStatus = 33123,
    kCmdListFields = 33124,
    kCmdCommandBar = 32830,
    kCmdSpecialKeyBar = 32775,
    kCmdHelpBar = 32852,
    kCmdStatusBar = 59393,
    kCmdCursorSolid = 32857,
    kCmdCursorUnderscore = 32858,
    kCmdCursorVerticalBar = 32859,
    kCmdCursorLocation = 32779,
    kCmdCursorBlink = 32854,
    kCmdFullScreen = 32837,
    kCmdStart = 32771,
    kCmdStop = 32772,
    kCmdConnectDisconnect = 32807,
    kCmdProperties = 32828,
    kCmdAppearance = 32778,
    kCmdFonts = 32782,
    kCmdAutoSession = 32853,
    kCmdKeyboardLayout = 32780,
    kCmdAbout = 57664,
    kCmdWebSite = 32832,
    kCmdKeyboardMapping = 33130,  // the key map of the session
    // Sessions in tabs: switching, and the options of the Window menu.
    kCmdNextTab = 33140,
    kCmdPreviousTab = 33141,
    kCmdTab1 = 33142,  // 33142..33150: Alt+1..Alt+9
    kCmdTab9 = 33150,
    kCmdReplaceSession = 33151,
    kCmdReopenWorkspace = 33152,
    kCmdMapOverTabKeys = 33153,
    kCmdMoveToNewWindow = 33154,
    kCmdMoveToMainWindow = 33155,
    kCmdHotspots = 33170,  // hotspots under the mouse, on or off
    // Macros: recording, playing and keeping them.
    kCmdMacroRecord = 33160,
    kCmdMacroStop = 33161,  // ends the recording, or the macro playing
    kCmdMacroPlay = 33162,
    kCmdMacroEdit = 33163,
    kCmdMacroImport = 33164,
    kCmdMacroExport = 33165,
    kCmdMacroStartMacro = 33166,  // the macro the session plays once connected
    // Special keys: the keyboard's own command ids (input/KeyCodes.h). Help
    // and Print carry "Key" here: kCmdPrint is the File menu's Print.
    kCmdSystemRequest = keys::kCmdSystemRequest,
    kCmdAttention = keys::kCmdAttention,
    kCmdHelpKey = keys::kCmdHelp,
    kCmdPrevious = keys::kCmdPrevious,
    kCmdNext = keys::kCmdNext,
    kCmdPrintKey = keys::kCmdPrint,
    kCmdRefresh = keys::kCmdRefresh,
    kCmdDeleteFields = keys::kCmdDeleteFields,
    kCmdPa1 = keys::kCmdPa1,
    kCmdPa2 = keys::kCmdPa2,
    kCmdPa3 = keys::kCmdPa3,
    // Accelerators whose commands nothing handles: the keys do nothing.
    kCmdUnhandledCtrlL = 32833,
    kCmdUnhandledCtrlU = 32774,
    kCmdUnhandledUndo = 57643,
    kCmdUnhandledCut = 57635,
    kCmdUnhandledAltPlus = 57681,
};

}  // namespace quenlix::app
