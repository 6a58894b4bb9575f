// The numeric command identifiers shared by the menus, the accelerators and
// the tool-bar buttons.
#pragma once

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
    // Special keys.
    kCmdSystemRequest = 32784,
    kCmdAttention = 32785,
    kCmdHelpKey = 32786,
    kCmdPrevious = 32787,
    kCmdNext = 32788,
    kCmdPrintKey = 32789,
    kCmdRefresh = 32791,
    kCmdDeleteFields = 32792,
    kCmdPa1 = 32793,
    kCmdPa2 = 32794,
    kCmdPa3 = 32795,
    // Accelerators whose commands nothing handles: the keys do nothing.
    kCmdUnhandledCtrlL = 32833,
    kCmdUnhandledCtrlU = 32774,
    kCmdUnhandledUndo = 57643,
    kCmdUnhandledCut = 57635,
    kCmdUnhandledAltPlus = 57681,
};

}  // namespace quenlix::app
