// The keyboard mapping: turns the operator's key-down, system-key-down,
// key-up, focus and character events, the wheel and the special-key commands
// into editing actions, attention keys or local mode changes (insert mode,
// system request mode). Events carry the virtual-key codes, character codes
// and scan codes of KeyCodes.h.
#pragma once

#include <cstdint>

#include "input/FieldEditor.h"
#include "input/InputLinks.h"
#include "input/KeyFunction.h"

namespace quenlix {

class KeyboardMapper {
public:
    KeyboardMapper(const InputLinks& links, FieldEditor& editor);

    /// A key went down. `ctrlHeld` is the Ctrl state at this moment; it turns
    /// Left and Right into word moves.
    void KeyDown(int virtualKey, bool ctrlHeld = false);
    /// F10, or any key with Alt. Returns true when the event is consumed (F1
    /// to F12, whether or not an attention key was sent); false leaves the
    /// key to the platform (menu access).
    bool SystemKeyDown(int virtualKey);
    void KeyUp(int virtualKey);
    /// The view gained the focus; `shiftHeld` is the Shift key's state now.
    void FocusGained(bool shiftHeld);
    /// A character event: code (low 8 bits used for entry) and scan code.
    void Character(int code, std::uint8_t scanCode);

    /// The key a wheel event stands for, to be posted as a key-down and a
    /// key-up through the ordinary key path: Page Up for a positive delta
    /// (as a signed 16-bit value), Page Down otherwise; 0 when not connected.
    int WheelKey(int delta) const;

    /// A command of the special key bar (KeyCodes.h kCmd...). Returns false
    /// for an id that is not one of them.
    bool SpecialKey(int commandId);

    /// A keyboard function a key map bound a key to, done as a single key
    /// press: the same guards, refusals and sends as the key of today's
    /// mapping that does it (Shift held or not makes no difference: a map
    /// names Backtab or F13 itself). In system request mode only Enter,
    /// Backspace, Attn (which cancels, as Esc does) and Reset act.
    void Perform(KeyFunction function);

    /// Enters system request mode (no-op when already on): host data waits,
    /// the keyboard lock is saved and lifted, the cursor goes to column 0 of
    /// the system request line (row `rows`).
    void BeginSysReqLine();
    /// Leaves system request mode because host data arrived: the cursor and
    /// the keyboard lock in force before the mode come back. Does not resume
    /// notifications; the connection endpoint does that itself.
    void LeaveSysReqModeForHostData();

    /// Every modified, non-bypass field blanked; MDT left set.
    void DeleteFields();

private:
    bool GuardRefuses() const;
    void SendFunctionKey(int virtualKey);
    void PerformInSysReqMode(KeyFunction function);
    void Reset();
    void AfterEdit(bool attributeOverwritten);
    void SysReqCharacter(int code);
    void LeaveSysReqMode();
    void MoveCursorCell(int row, int column);

    InputLinks links_;
    Terminal& t_;
    InputState& in_;
    FieldEditor& editor_;
};

}  // namespace quenlix
