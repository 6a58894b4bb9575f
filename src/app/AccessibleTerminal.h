// The terminal view as assistive technology takes it in (through Qt's
// accessibility, AT-SPI on Linux): a terminal whose text is the screen row
// by row with the caret at the 5250 cursor; each input field a child with
// its label, kind, value and place (a non-display field a password field
// whose characters never leave); the indicator row as a status bar; and a
// notification child that says the title of each new screen and what the
// host writes on its message line. The rules are the core's screen reading;
// this layer adapts them and raises the events at each frame, from the
// model's damage.
#pragma once

#include <QAccessible>
#include <QString>
#include <string>
#include <vector>

#include "terminal/ScreenDamage.h"

namespace quenlix {
struct Terminal;
}

namespace quenlix::app {

class CTelnetView;

/// The offset of a cell in the view's accessible text: every row is
/// `columns` characters and a '\n' (none after the last row).
int TextOffsetOf(const Terminal& t, int row, int column);

/// The accessible children and events of one terminal view; the view owns it.
class TerminalAccessibility {
public:
    explicit TerminalAccessibility(CTelnetView& view);
    ~TerminalAccessibility();
    TerminalAccessibility(const TerminalAccessibility&) = delete;
    TerminalAccessibility& operator=(const TerminalAccessibility&) = delete;

    /// Gives every CTelnetView its accessible interface; any number of calls.
    static void InstallFactory();
    /// Where the events go: Qt's accessibility (nullptr, the default), which
    /// listens only while assistive technology does, or a recorder of the
    /// program's tests, which always listens (also where the platform has no
    /// accessibility, as offscreen).
    using EventSink = void (*)(QAccessibleEvent*);
    static void SetEventSink(EventSink sink);
    /// The accessibility of a view, or nullptr once it is gone.
    static TerminalAccessibility* Of(const CTelnetView* view);

    /// A frame took the model's damage: raises the text, caret, focus,
    /// status and announcement events it calls for. Does nothing while no
    /// assistive technology listens.
    void FrameTaken(const ScreenDamage& damage);
    /// The view got the keyboard focus: the field under the cursor has it.
    void FocusGained();
    /// Says a text through the announcer (the reading commands).
    void Say(const QString& text) { Announce(text); }

    CTelnetView& view() const { return view_; }
    /// The session's terminal, or nullptr before the view has a session.
    const Terminal* terminal() const;
    /// The screen as accessible text (see TextOffsetOf).
    QString ScreenText() const;
    /// UTF-16 of PC characters in the session's character set.
    QString FromPc(const std::string& pc) const;
    /// The caret: the cursor's offset in ScreenText; the end on the system
    /// request line.
    int CaretOffset() const;

    /// Input fields on the screen now; a child for each, in screen order,
    /// then the status bar and the announcer, then a child for each hotspot.
    int fieldCount() const;
    int hotspotCount() const;
    int childCount() const { return fieldCount() + 2 + hotspotCount(); }
    QAccessibleInterface* Child(int index);
    int IndexOfChild(const QAccessibleInterface* child) const;
    /// The child of the field under the cursor, or nullptr.
    QAccessibleInterface* FocusedField();
    /// What the announcer says now (the last announcement).
    const QString& announcement() const { return announcement_; }

    /// Field children at most: a screen has no more fields than the format table.
    static constexpr int kMaxFieldChildren = 256;

private:
    QAccessibleInterface* FieldChild(int slot);
    QAccessibleInterface* HotspotChild(int slot);
    void Announce(const QString& text);

    CTelnetView& view_;
    /// The children, registered with Qt's accessibility; made when first
    /// asked for, at most kMaxFieldChildren + 2, freed with the view.
    std::vector<QAccessible::Id> fieldIds_;
    std::vector<QAccessible::Id> hotspotIds_;  ///< at most kMaxHotspots
    QAccessible::Id statusId_ = 0;
    QAccessible::Id announcerId_ = 0;

    // What assistive technology was last told.
    bool known_ = false;
    QString text_;
    int caret_ = -1;
    int focusedFirst_ = -2;  ///< first position of the focused field, -1 none
    std::vector<int> layout_;  ///< first position and length of every field
    std::string title_;
    QString status_;
    QString announcement_;
};

}  // namespace quenlix::app
