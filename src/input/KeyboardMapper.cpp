// Keys to editing actions, attention keys and modes.
#include "input/KeyboardMapper.h"

#include "ds5250/DataStreamCodes.h"
#include "input/KeyCodes.h"
#include "input/KeyRefusal.h"

namespace quenlix {

using namespace keys;

KeyboardMapper::KeyboardMapper(const InputLinks& links, FieldEditor& editor)
    : links_(links), t_(links.terminal), in_(links.input), editor_(editor) {}

bool KeyboardMapper::GuardRefuses() const {
    return t_.state.sysReqMode ||
           (t_.formatTable.fieldCount() == 0 && t_.state.pendingRead == kNoPendingRead);
}

void KeyboardMapper::AfterEdit(bool attributeOverwritten) {
    if (!attributeOverwritten) return;
    t_.Restyle();
}

void KeyboardMapper::SendFunctionKey(int virtualKey) {
    const int key = virtualKey - kVkF1 + 1;
    links_.host.SendAid(ds::AidOfFunctionKey(in_.shiftDown ? key + 12 : key));
}

void KeyboardMapper::KeyDown(int virtualKey, bool ctrlHeld) {
    if (virtualKey == kVkShift) {
        in_.shiftDown = true;
        t_.damage.Mark(Indicator::kShift);
        return;
    }
    if (virtualKey == kVkCapsLock) {
        t_.damage.Mark(Indicator::kShift);
        return;
    }
    if (virtualKey != kVkControl) ClearRefusal(links_);
    if (GuardRefuses()) {
        in_.fieldExitPending = false;
        return;
    }
    switch (virtualKey) {
        case kVkControl:
            if (t_.state.errorLineWritten == ds::kCmdWriteErrorCode) in_.fieldExitPending = false;
            break;
        case kVkPageUp:
            in_.fieldExitPending = false;
            links_.host.SendAid(ds::kAidRollDown);
            break;
        case kVkPageDown:
            in_.fieldExitPending = false;
            links_.host.SendAid(ds::kAidRollUp);
            break;
        case kVkEnd:
            editor_.End();
            break;
        case kVkHome:
            editor_.Home();
            break;
        case kVkLeft:
        case kVkRight:
            in_.fieldExitPending = false;
            if (ctrlHeld) {
                virtualKey == kVkLeft ? editor_.WordLeft() : editor_.WordRight();
            } else {
                editor_.CursorArrow(virtualKey);
            }
            break;
        case kVkUp:
        case kVkDown:
            in_.fieldExitPending = false;
            editor_.CursorArrow(virtualKey);
            break;
        case kVkInsert:
            t_.SetInsertMode(!t_.state.insertMode);
            break;
        case kVkDelete:
            in_.fieldExitPending = false;
            AfterEdit(editor_.Delete());
            break;
        case kVkKeypadPlus:
            AfterEdit(editor_.FieldExit(false));
            break;
        case kVkKeypadMinus:
            AfterEdit(editor_.FieldExit(true));
            break;
        default:
            // A key that gives a character leaves the flag to its character
            // event: a data key on a field awaiting Field Exit is refused
            // there, and Enter, Tab, Backspace and Esc clear it.
            if (virtualKey >= kVkF1 && virtualKey <= kVkF12) {
                in_.fieldExitPending = false;
                SendFunctionKey(virtualKey);
            }
            break;
    }
}

bool KeyboardMapper::SystemKeyDown(int virtualKey) {
    if (virtualKey < kVkF1 || virtualKey > kVkF12) return false;
    ClearRefusal(links_);
    if (!t_.state.sysReqMode &&
        (t_.formatTable.fieldCount() > 0 || t_.state.pendingRead != kNoPendingRead)) {
        SendFunctionKey(virtualKey);
    }
    return true;
}

void KeyboardMapper::KeyUp(int virtualKey) {
    if (virtualKey != kVkShift) return;
    in_.shiftDown = false;
    t_.damage.Mark(Indicator::kShift);
}

void KeyboardMapper::FocusGained(bool shiftHeld) {
    in_.shiftDown = shiftHeld;
    t_.damage.Mark(Indicator::kShift);
}

void KeyboardMapper::Character(int code, std::uint8_t scanCode) {
    if (t_.state.sysReqMode) {
        SysReqCharacter(code);
        return;
    }
    if (code == kCharBackspace || code == kCharTab || code == kCharEnter || code == kCharEscape) {
        in_.fieldExitPending = false;
    }
    switch (code) {
        case kCharBackspace:
            AfterEdit(editor_.Backspace());
            return;
        case kCharTab:
            editor_.Tab(in_.shiftDown);
            return;
        case kCharEnter:
            if (t_.state.connected) {
                if (editor_.CheckFieldsBeforeEnter()) links_.host.SendAid(ds::kAidEnter);
            } else if (!t_.state.connectionNotice.empty()) {
                links_.notifications.ReconnectRequested();
            }
            return;
        case kCharEscape:
            if (!t_.state.connected) return;
            if (in_.shiftDown) {
                BeginSysReqLine();
            } else {
                links_.host.SendAttention();
            }
            return;
        default:
            break;
    }
    // The keypad's + and - already acted as Field+ and Field- on key-down.
    if (code == '+' && (scanCode & kScanKeypadPlus) == kScanKeypadPlus) return;
    if (code == '-' && (scanCode & kScanKeypadMinus) == kScanKeypadMinus) return;
    AfterEdit(editor_.EnterCharacter(static_cast<std::uint8_t>(code & 0xFF)));
}

int KeyboardMapper::WheelKey(int delta) const {
    if (!t_.state.connected) return 0;
    return static_cast<std::int16_t>(delta) > 0 ? kVkPageUp : kVkPageDown;
}

bool KeyboardMapper::SpecialKey(int commandId) {
    const bool allowed = t_.state.connected && !t_.state.sysReqMode;
    switch (commandId) {
        case kCmdSystemRequest:
            if (allowed) BeginSysReqLine();
            return true;
        case kCmdAttention:
            if (allowed) links_.host.SendAttention();
            return true;
        case kCmdRefresh:
            if (allowed) links_.host.SendAid(ds::kAidClear);
            return true;
        case kCmdHelp:
            if (allowed) links_.host.SendAid(ds::kAidHelp);
            return true;
        case kCmdPrint:
            if (allowed) links_.host.SendAid(ds::kAidPrint);
            return true;
        case kCmdNext:
            if (allowed) links_.host.SendAid(ds::kAidRollUp);
            return true;
        case kCmdPrevious:
            if (allowed) links_.host.SendAid(ds::kAidRollDown);
            return true;
        case kCmdPa1:
            if (allowed) links_.host.SendAidOnly(ds::kAidPa1);
            return true;
        case kCmdPa2:
            if (allowed) links_.host.SendAidOnly(ds::kAidPa2);
            return true;
        case kCmdPa3:
            if (allowed) links_.host.SendAidOnly(ds::kAidPa3);
            return true;
        case kCmdDeleteFields:
            if (!t_.state.sysReqMode) DeleteFields();
            return true;
        default:
            return false;
    }
}

void KeyboardMapper::PerformInSysReqMode(KeyFunction function) {
    switch (function) {
        case KeyFunction::kEnter: SysReqCharacter(kCharEnter); break;
        case KeyFunction::kBackspace: SysReqCharacter(kCharBackspace); break;
        case KeyFunction::kAttention: SysReqCharacter(kCharEscape); break;
        case KeyFunction::kReset: Reset(); break;
        default: break;
    }
}

void KeyboardMapper::Reset() {
    ClearRefusal(links_);
    in_.fieldExitPending = false;
    if (t_.state.sysReqMode) SysReqCharacter(kCharEscape);  // leaves the line as Esc does
    t_.SetInsertMode(false);
}

void KeyboardMapper::Perform(KeyFunction function) {
    using enum KeyFunction;
    if (function == kNone) return;
    if (t_.state.sysReqMode) {
        PerformInSysReqMode(function);
        return;
    }
    ClearRefusal(links_);
    // The keys that act through a character event are not held back by the
    // guard of the key-down keys; neither are the special key bar's commands.
    switch (function) {
        case kEnter:
            in_.fieldExitPending = false;
            Character(kCharEnter, kScanEnter);
            return;
        case kTab:
        case kBacktab:
            in_.fieldExitPending = false;
            editor_.Tab(function == kBacktab);
            return;
        case kBackspace:
            in_.fieldExitPending = false;
            AfterEdit(editor_.Backspace());
            return;
        case kAttention:
            in_.fieldExitPending = false;
            SpecialKey(kCmdAttention);
            return;
        case kSystemRequest: SpecialKey(kCmdSystemRequest); return;
        case kHelp: SpecialKey(kCmdHelp); return;
        case kPrint: SpecialKey(kCmdPrint); return;
        case kClear: SpecialKey(kCmdRefresh); return;
        case kPa1: SpecialKey(kCmdPa1); return;
        case kPa2: SpecialKey(kCmdPa2); return;
        case kPa3: SpecialKey(kCmdPa3); return;
        case kDeleteFields: SpecialKey(kCmdDeleteFields); return;
        case kReset: Reset(); return;
        default: break;
    }
    if (GuardRefuses()) {
        in_.fieldExitPending = false;
        return;
    }
    if (const int n = FunctionKeyNumber(function); n > 0) {
        in_.fieldExitPending = false;
        links_.host.SendAid(ds::AidOfFunctionKey(n));
        return;
    }
    switch (function) {
        case kRollUp:
        case kRollDown:
            in_.fieldExitPending = false;
            links_.host.SendAid(function == kRollUp ? ds::kAidRollUp : ds::kAidRollDown);
            break;
        case kHome: editor_.Home(); break;
        case kEnd: editor_.End(); break;
        case kLeft:
        case kRight:
        case kUp:
        case kDown: {
            in_.fieldExitPending = false;
            const int vk = function == kLeft    ? kVkLeft
                           : function == kRight ? kVkRight
                           : function == kUp    ? kVkUp
                                                : kVkDown;
            editor_.CursorArrow(vk, false);
            break;
        }
        case kWordLeft:
            in_.fieldExitPending = false;
            editor_.WordLeft();
            break;
        case kWordRight:
            in_.fieldExitPending = false;
            editor_.WordRight();
            break;
        case kNewLine: editor_.NewLine(); break;
        case kHomePosition:
            in_.fieldExitPending = false;
            editor_.HomePosition();
            break;
        case kInsert: t_.SetInsertMode(!t_.state.insertMode); break;
        case kDelete:
            in_.fieldExitPending = false;
            AfterEdit(editor_.Delete());
            break;
        case kFieldPlus:
        case kFieldExit: AfterEdit(editor_.FieldExit(false)); break;
        case kFieldMinus: AfterEdit(editor_.FieldExit(true)); break;
        case kDup: AfterEdit(editor_.Dup()); break;
        case kFieldMark: AfterEdit(editor_.FieldMark()); break;
        case kEraseEof: AfterEdit(editor_.EraseToEndOfField()); break;
        case kEraseInput: AfterEdit(editor_.EraseInput()); break;
        default: break;
    }
}

void KeyboardMapper::DeleteFields() {
    for (int i = 0; i < t_.formatTable.fieldCount(); ++i) {
        const FieldEntry& e = *t_.formatTable.entry(i);
        if (e.mdt != 1 || e.bypass != 0) continue;
        const int first = FirstDataPosition(e, t_.columns());
        for (int k = 0; k < e.length; ++k) {
            if (!t_.SetCell(first + k, kEbcdicBlank, ' ')) break;
        }
    }
}

void KeyboardMapper::MoveCursorCell(int row, int column) { t_.SetCursorCell(row, column); }

void KeyboardMapper::BeginSysReqLine() {
    if (t_.state.sysReqMode) return;  // would overwrite the saved lock and cursor
    t_.SetSysReqMode(true);
    links_.notifications.SuspendNotifications();
    in_.savedInhibit = t_.state.inputInhibited;
    t_.SetKeyboardLocked(false);
    in_.sysReqText.clear();
    in_.savedCursorX = t_.state.cursorX;
    in_.savedCursorY = t_.state.cursorY;
    t_.SetCursorCell(t_.rows(), 0);
}

void KeyboardMapper::LeaveSysReqMode() {
    t_.SetSysReqMode(false);
    t_.SetCursorPixels(in_.savedCursorX, in_.savedCursorY);
}

void KeyboardMapper::LeaveSysReqModeForHostData() {
    if (!t_.state.sysReqMode) return;
    LeaveSysReqMode();
    // The host has not invited input by sending data; only its record may
    // lift the lock that was in force.
    t_.SetKeyboardLocked(in_.savedInhibit != 0);
}

void KeyboardMapper::SysReqCharacter(int code) {
    switch (code) {
        case kCharBackspace:
            if (!in_.sysReqText.empty()) in_.sysReqText.pop_back();
            t_.damage.Mark(Indicator::kSysReqLine);
            if (t_.CursorColumn() > 0) MoveCursorCell(t_.CursorRow(), t_.CursorColumn() - 1);
            return;
        case kCharEnter:
            LeaveSysReqMode();
            if (t_.state.connected) {
                t_.SetKeyboardLocked(in_.savedInhibit != 0);
                links_.host.SendSysReq(in_.sysReqText);
                links_.notifications.ResumeNotifications();
            }
            return;
        case kCharEscape:
            LeaveSysReqMode();
            if (t_.state.connected) links_.notifications.ResumeNotifications();
            t_.SetKeyboardLocked(in_.savedInhibit != 0);
            return;
        default:
            break;
    }
    if (code >= 0 && code < 32) return;
    if (!editor_.IsDataCharacter(static_cast<std::uint8_t>(code & 0xFF))) return;
    // The record's length byte holds the text length + 10; columns - 1 also
    // keeps the cursor on the line.
    if (static_cast<int>(in_.sysReqText.size()) >= t_.columns() - 1) return;
    in_.sysReqText.push_back(static_cast<char>(code & 0xFF));
    t_.damage.Mark(Indicator::kSysReqLine);
    MoveCursorCell(t_.CursorRow(), t_.CursorColumn() + 1);
}

}  // namespace quenlix
