// The accessible terminal view, its field, status and announcer children,
// and the events each frame raises.
#include "app/AccessibleTerminal.h"
#include "app/AccessibleChild.h"

#include <QAccessibleWidget>
#include <QHash>
#include <algorithm>

#include "app/AccessibleHotspot.h"
#include "app/AccessibleText.h"
#include "app/CTelnetView.h"
#include "display/ViewLayout.h"
#include "terminal/Languages.h"
#include "terminal/ScreenReading.h"

namespace quenlix::app {

namespace {

/// The live accessibility of each view: interfaces look their view up here,
/// so nothing reaches a view's parts while it is being destroyed.
QHash<const CTelnetView*, TerminalAccessibility*>& Registry() {
    static QHash<const CTelnetView*, TerminalAccessibility*> registry;
    return registry;
}

QRect ToGlobal(const CTelnetView& view, const PixelRect& screenRect) {
    const PixelRect w = ToWindow(screenRect, view.horizontalOffset());
    const QRect local(w.left, w.top, w.right - w.left, w.bottom - w.top);
    return QRect(view.mapToGlobal(local.topLeft()), local.size());
}

/// The text interface calls that select nothing: the screen's text is read,
/// never selected through assistive technology.
class ReadOnlySelection : public QAccessibleTextInterface {
public:
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                             int* endOffset) const override {
        const QString all = text(0, characterCount());
        return PieceText(all, PieceBefore(all, offset, boundary), startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                            int* endOffset) const override {
        const QString all = text(0, characterCount());
        return PieceText(all, PieceAfter(all, offset, boundary), startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                         int* endOffset) const override {
        const QString all = text(0, characterCount());
        return PieceText(all, PieceAt(all, offset, boundary), startOffset, endOffset);
    }
};

/// The terminal view itself.
class ViewAccessible : public QAccessibleWidget, public ReadOnlySelection {
public:
    explicit ViewAccessible(CTelnetView* view) : QAccessibleWidget(view, QAccessible::Terminal) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text which) const override {
        const TerminalAccessibility* a = Accessibility();
        const Terminal* t = a ? a->terminal() : nullptr;
        if (which == QAccessible::Name) {
            const QString title = t ? a->FromPc(TitleText(*t)) : QString();
            return title.isEmpty() ? QStringLiteral("5250 screen")
                                   : QStringLiteral("5250 screen: ") + title;
        }
        if (which == QAccessible::Description && t) return a->FromPc(StatusText(*t));
        return QAccessibleWidget::text(which);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.multiLine = true;
        s.readOnly = true;
        return s;
    }
    int childCount() const override {
        const TerminalAccessibility* a = Accessibility();
        return a ? a->childCount() : 0;
    }
    QAccessibleInterface* child(int index) const override {
        TerminalAccessibility* a = Accessibility();
        return a ? a->Child(index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const TerminalAccessibility* a = Accessibility();
        return a ? a->IndexOfChild(child) : -1;
    }
    QAccessibleInterface* focusChild() const override {
        TerminalAccessibility* a = Accessibility();
        QAccessibleInterface* field = a && widget()->hasFocus() ? a->FocusedField() : nullptr;
        return field ? field : QAccessibleWidget::focusChild();
    }

    // The text interface: the screen, the caret at the cursor.
    QString text(int startOffset, int endOffset) const override {
        const TerminalAccessibility* a = Accessibility();
        if (!a || endOffset <= startOffset) return {};
        return a->ScreenText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override {
        const TerminalAccessibility* a = Accessibility();
        return a ? static_cast<int>(a->ScreenText().size()) : 0;
    }
    int cursorPosition() const override {
        const TerminalAccessibility* a = Accessibility();
        return a ? a->CaretOffset() : 0;
    }
    // The attributes of the position at an offset and the run of positions
    // on its row that share them; a row's line end has none.
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        const TerminalAccessibility* a = Accessibility();
        const Terminal* t = a ? a->terminal() : nullptr;
        if (!t || offset < 0 || t->columns() <= 0) return {};
        const int stride = t->columns() + 1;
        const int row = offset / stride;
        const int column = offset % stride;
        if (row >= t->rows() || column >= t->columns()) return {};
        auto at = [&](int c) {
            return CellTextAttributes(t->screen.at(row * t->columns() + c), t->colors);
        };
        const QString here = at(column);
        int first = column;
        while (first > 0 && at(first - 1) == here) --first;
        int last = column + 1;
        while (last < t->columns() && at(last) == here) ++last;
        *startOffset = row * stride + first;
        *endOffset = row * stride + last;
        return here;
    }
    void setCursorPosition(int) override {}  // the cursor is the operator's and the host's
    QRect characterRect(int offset) const override {
        const TerminalAccessibility* a = Accessibility();
        const Terminal* t = a ? a->terminal() : nullptr;
        if (!t || offset < 0) return {};
        const int row = offset / (t->columns() + 1);
        const int column = offset % (t->columns() + 1);
        return ToGlobal(a->view(), t->CellRectToPixels(column, row, column + 1, row + 1));
    }
    int offsetAtPoint(const QPoint& point) const override {
        const TerminalAccessibility* a = Accessibility();
        const Terminal* t = a ? a->terminal() : nullptr;
        if (!t || t->state.cellWidth <= 0 || t->state.cellHeight <= 0) return -1;
        const QPoint local = a->view().mapFromGlobal(point);
        const int column = (local.x() - a->view().horizontalOffset()) / t->state.cellWidth;
        const int row = local.y() / t->state.cellHeight;
        if (column < 0 || column >= t->columns() || row < 0 || row >= t->rows()) return -1;
        return TextOffsetOf(*t, row, column);
    }

private:
    TerminalAccessibility* Accessibility() const {
        return TerminalAccessibility::Of(static_cast<const CTelnetView*>(object()));
    }
};


/// One input field, by its place in the screen's field list.
class FieldAccessible : public ChildAccessible, public ReadOnlySelection {
public:
    FieldAccessible(TerminalAccessibility& owner, int slot) : ChildAccessible(owner), slot_(slot) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return nullptr;
    }
    bool isValid() const override { return slot_ < owner_.fieldCount(); }
    QAccessible::Role role() const override { return QAccessible::EditableText; }
    QAccessible::State state() const override {
        QAccessible::State s;
        const FieldReading f = Reading();
        if (f.index < 0) {
            s.invalid = true;
            return s;
        }
        const Terminal& t = *owner_.terminal();
        s.focusable = !f.kind.bypass;
        s.focused = owner_.view().hasFocus() && FieldAtCursor(t) == f.index;
        s.passwordEdit = f.kind.password;
        s.editable = !f.kind.bypass;
        s.readOnly = f.kind.bypass;
        return s;
    }
    QString text(QAccessible::Text which) const override {
        const FieldReading f = Reading();
        if (f.index < 0) return {};
        switch (which) {
            case QAccessible::Name:
                return f.label.empty() ? QStringLiteral("Field") : owner_.FromPc(f.label);
            case QAccessible::Description: {
                QString kind = owner_.FromPc(DescribeKind(f.kind));
                if (!kind.isEmpty()) kind += QStringLiteral(", ");
                return kind + QStringLiteral("row %1 column %2, %3 positions")
                                  .arg(f.row + 1).arg(f.column + 1).arg(f.length);
            }
            case QAccessible::Value: return owner_.FromPc(f.value);
            default: return {};
        }
    }
    QRect rect() const override {
        const FieldReading f = Reading();
        const Terminal* t = owner_.terminal();
        if (f.index < 0 || !t) return {};
        const int right = std::min(t->columns(), f.column + f.length);
        return ToGlobal(owner_.view(), t->CellRectToPixels(f.column, f.row, right, f.row + 1));
    }

    // The text interface: the value (nothing of a password field), the
    // caret where the cursor is when it is in this field.
    QString text(int startOffset, int endOffset) const override {
        if (endOffset <= startOffset) return {};
        return owner_.FromPc(Reading().value).mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(Reading().value.size()); }
    int cursorPosition() const override {
        const FieldReading f = Reading();
        const Terminal* t = owner_.terminal();
        if (f.index < 0 || !t || FieldAtCursor(*t) != f.index) return 0;
        return std::clamp(t->CursorPosition() - f.first, 0, static_cast<int>(f.value.size()));
    }
    void setCursorPosition(int) override {}
    QRect characterRect(int offset) const override {
        const FieldReading f = Reading();
        const Terminal* t = owner_.terminal();
        if (f.index < 0 || !t || offset < 0 || offset >= f.length || t->columns() <= 0) return {};
        const int pos = f.first + offset;
        const int row = pos / t->columns();
        const int column = pos % t->columns();
        return ToGlobal(owner_.view(), t->CellRectToPixels(column, row, column + 1, row + 1));
    }
    int offsetAtPoint(const QPoint&) const override { return -1; }

private:
    FieldReading Reading() const {
        const Terminal* t = owner_.terminal();
        if (!t) return {};
        std::vector<FieldReading> fields = FieldList(*t);
        if (slot_ < 0 || static_cast<std::size_t>(slot_) >= fields.size()) return {};
        return std::move(fields[static_cast<std::size_t>(slot_)]);
    }
    int slot_;
};

/// The indicator row in words.
class StatusAccessible : public ChildAccessible {
public:
    using ChildAccessible::ChildAccessible;
    QAccessible::Role role() const override { return QAccessible::StatusBar; }
    QAccessible::State state() const override { return {}; }
    QString text(QAccessible::Text which) const override {
        const Terminal* t = owner_.terminal();
        if (which != QAccessible::Name || !t) return {};
        return owner_.FromPc(StatusText(*t));
    }
    QRect rect() const override {
        const Terminal* t = owner_.terminal();
        if (!t) return {};
        return ToGlobal(owner_.view(), t->CellRectToPixels(0, t->rows() + 1, t->columns(), t->rows() + 2));
    }
};

/// Says each announcement: a notification shown with the announcement as
/// its name, which screen readers speak when it is shown.
class AnnouncerAccessible : public ChildAccessible {
public:
    using ChildAccessible::ChildAccessible;
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = owner_.announcement().isEmpty();
        return s;
    }
    QString text(QAccessible::Text which) const override {
        return which == QAccessible::Name ? owner_.announcement() : QString();
    }
    QRect rect() const override { return {}; }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<CTelnetView*>(object)) return new ViewAccessible(view);
    return nullptr;
}

TerminalAccessibility::EventSink sink = nullptr;

bool Listening() { return sink || QAccessible::isActive(); }

void Send(QAccessibleEvent* event) {
    if (sink) {
        sink(event);
    } else {
        QAccessible::updateAccessibility(event);
    }
}

void Post(QAccessibleInterface* iface, QAccessible::Event type) {
    if (!iface) return;
    QAccessibleEvent event(iface, type);
    Send(&event);
}

}  // namespace

int TextOffsetOf(const Terminal& t, int row, int column) { return row * (t.columns() + 1) + column; }

TerminalAccessibility::TerminalAccessibility(CTelnetView& view) : view_(view) {
    Registry().insert(&view_, this);
}

TerminalAccessibility::~TerminalAccessibility() {
    Registry().remove(&view_);
    for (const QAccessible::Id id : fieldIds_) QAccessible::deleteAccessibleInterface(id);
    for (const QAccessible::Id id : hotspotIds_) QAccessible::deleteAccessibleInterface(id);
    if (statusId_) QAccessible::deleteAccessibleInterface(statusId_);
    if (announcerId_) QAccessible::deleteAccessibleInterface(announcerId_);
}

void TerminalAccessibility::InstallFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void TerminalAccessibility::SetEventSink(EventSink eventSink) { sink = eventSink; }

TerminalAccessibility* TerminalAccessibility::Of(const CTelnetView* view) {
    return Registry().value(view, nullptr);
}

const Terminal* TerminalAccessibility::terminal() const {
    const TerminalSession* session = view_.session();
    return session ? &session->terminal : nullptr;
}

QString TerminalAccessibility::FromPc(const std::string& pc) const {
    const TerminalSession* session = view_.session();
    const PcCharset& charset = PcCharset::ForCodePage(session ? session->activeSettings.PageCode : 0);
    QString out;
    out.reserve(static_cast<qsizetype>(pc.size()));
    for (const char c : pc) out += QChar(charset.ToUnicode(static_cast<std::uint8_t>(c)));
    return out;
}

QString TerminalAccessibility::ScreenText() const {
    const Terminal* t = terminal();
    if (!t || t->columns() <= 0) return {};
    const std::string readable = ReadableText(*t);
    std::string text;
    text.reserve(static_cast<std::size_t>(t->rows() * (t->columns() + 1)));
    for (int row = 0; row < t->rows(); ++row) {
        if (row > 0) text += '\n';
        text += RowOf(*t, readable, row);
    }
    return FromPc(text);
}

int TerminalAccessibility::CaretOffset() const {
    const Terminal* t = terminal();
    if (!t || t->columns() <= 0) return 0;
    const int row = t->CursorRow();
    if (row < 0 || row >= t->rows()) return std::max(0, t->rows() * (t->columns() + 1) - 1);
    return TextOffsetOf(*t, row, std::clamp(t->CursorColumn(), 0, t->columns() - 1));
}

int TerminalAccessibility::fieldCount() const {
    const Terminal* t = terminal();
    return t ? std::min(static_cast<int>(FieldList(*t).size()), kMaxFieldChildren) : 0;
}

QAccessibleInterface* TerminalAccessibility::FieldChild(int slot) {
    if (slot < 0 || slot >= kMaxFieldChildren) return nullptr;
    while (static_cast<int>(fieldIds_.size()) <= slot) {
        fieldIds_.push_back(QAccessible::registerAccessibleInterface(
            new FieldAccessible(*this, static_cast<int>(fieldIds_.size()))));
    }
    return QAccessible::accessibleInterface(fieldIds_[static_cast<std::size_t>(slot)]);
}

int TerminalAccessibility::hotspotCount() const {
    return static_cast<int>(std::min(view_.Hotspots().size(), kMaxHotspots));
}

QAccessibleInterface* TerminalAccessibility::HotspotChild(int slot) {
    if (slot < 0 || slot >= static_cast<int>(kMaxHotspots)) return nullptr;
    while (static_cast<int>(hotspotIds_.size()) <= slot) {
        hotspotIds_.push_back(QAccessible::registerAccessibleInterface(
            NewHotspotAccessible(*this, static_cast<int>(hotspotIds_.size()))));
    }
    return QAccessible::accessibleInterface(hotspotIds_[static_cast<std::size_t>(slot)]);
}

QAccessibleInterface* TerminalAccessibility::Child(int index) {
    const int fields = fieldCount();
    if (index >= fields + 2 && index < fields + 2 + hotspotCount()) {
        return HotspotChild(index - fields - 2);
    }
    if (index >= 0 && index < fields) return FieldChild(index);
    if (index == fields) {
        if (!statusId_) statusId_ = QAccessible::registerAccessibleInterface(new StatusAccessible(*this));
        return QAccessible::accessibleInterface(statusId_);
    }
    if (index == fields + 1) {
        if (!announcerId_) {
            announcerId_ = QAccessible::registerAccessibleInterface(new AnnouncerAccessible(*this));
        }
        return QAccessible::accessibleInterface(announcerId_);
    }
    return nullptr;
}

int TerminalAccessibility::IndexOfChild(const QAccessibleInterface* child) const {
    if (!child) return -1;
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
    const int fields = fieldCount();
    for (int slot = 0; slot < fields && slot < static_cast<int>(fieldIds_.size()); ++slot) {
        if (fieldIds_[static_cast<std::size_t>(slot)] == id) return slot;
    }
    if (statusId_ && id == statusId_) return fields;
    if (announcerId_ && id == announcerId_) return fields + 1;
    const int hotspots = hotspotCount();
    for (int slot = 0; slot < hotspots && slot < static_cast<int>(hotspotIds_.size()); ++slot) {
        if (hotspotIds_[static_cast<std::size_t>(slot)] == id) return fields + 2 + slot;
    }
    return -1;
}

QAccessibleInterface* TerminalAccessibility::FocusedField() {
    const Terminal* t = terminal();
    if (!t) return nullptr;
    const int index = FieldAtCursor(*t);
    if (index < 0) return nullptr;
    const std::vector<FieldReading> fields = FieldList(*t);
    for (std::size_t slot = 0; slot < fields.size(); ++slot) {
        if (fields[slot].index == index) return FieldChild(static_cast<int>(slot));
    }
    return nullptr;
}

void TerminalAccessibility::Announce(const QString& text) {
    if (text.isEmpty()) return;
    announcement_ = text;
    if (!Listening()) return;
    QAccessibleInterface* announcer = Child(fieldCount() + 1);
    Post(announcer, QAccessible::NameChanged);
    Post(announcer, QAccessible::ObjectShow);
}

void TerminalAccessibility::FocusGained() {
    if (!Listening()) return;
    // The toolkit raises the view's own focus event after the view's focus-in
    // handler: the field under the cursor takes the focus once that is done.
    QMetaObject::invokeMethod(
        &view_,
        [this] {
            if (QAccessibleInterface* field = FocusedField()) Post(field, QAccessible::Focus);
        },
        Qt::QueuedConnection);
}

void TerminalAccessibility::FrameTaken(const ScreenDamage& damage) {
    const Terminal* t = terminal();
    if (!Listening() || !t || t->columns() <= 0) {
        known_ = false;  // told nothing: the first frame heard tells everything
        return;
    }
    QAccessibleInterface* self = QAccessible::queryAccessibleInterface(&view_);
    if (!self) return;

    const QString text = ScreenText();
    const std::vector<FieldReading> fields = FieldList(*t);
    std::vector<int> layout;
    layout.reserve(fields.size() * 2);
    for (const FieldReading& f : fields) {
        layout.push_back(f.first);
        layout.push_back(f.length);
    }
    const std::string title = TitleText(*t);
    const bool newScreen = !known_ || damage.all() || layout != layout_ || title != title_;

    // What changed in each row the damage names, cut to the characters that
    // differ; the whole text when its size changed.
    if (!known_ || text.size() != text_.size()) {
        if (!text_.isEmpty()) {
            QAccessibleTextRemoveEvent removed(self, 0, text_);
            Send(&removed);
        }
        QAccessibleTextInsertEvent inserted(self, 0, text);
        Send(&inserted);
    } else {
        for (int row = 0; row < t->rows(); ++row) {
            const ScreenDamage::Columns c = damage.row(row);
            if (!damage.all() && (row >= ScreenDamage::kMaxRows || c.empty())) continue;
            const int start = TextOffsetOf(*t, row, 0);
            int first = 0;
            int last = t->columns();
            while (first < last && text[start + first] == text_[start + first]) ++first;
            while (last > first && text[start + last - 1] == text_[start + last - 1]) --last;
            if (first == last) continue;
            QAccessibleTextRemoveEvent removed(self, start + first, text_.mid(start + first, last - first));
            Send(&removed);
            QAccessibleTextInsertEvent inserted(self, start + first, text.mid(start + first, last - first));
            Send(&inserted);
        }
    }
    text_ = text;
    if (layout != layout_) Post(self, QAccessible::ObjectReorder);

    // Focus follows the cursor from field to field.
    const int focusedIndex = FieldAtCursor(*t);
    int focusedFirst = -1;
    int focusedSlot = -1;
    for (std::size_t slot = 0; slot < fields.size(); ++slot) {
        if (fields[slot].index == focusedIndex) {
            focusedFirst = fields[slot].first;
            focusedSlot = static_cast<int>(slot);
        }
    }
    if (view_.hasFocus() && (newScreen || focusedFirst != focusedFirst_)) {
        Post(focusedSlot >= 0 ? FieldChild(focusedSlot) : self, QAccessible::Focus);
    }
    focusedFirst_ = focusedFirst;
    const int caret = CaretOffset();
    if (caret != caret_) {
        QAccessibleTextCursorEvent moved(self, caret);
        Send(&moved);
        caret_ = caret;
    }

    const QString status = FromPc(StatusText(*t));
    if (status != status_) {
        status_ = status;
        Post(Child(fieldCount()), QAccessible::NameChanged);
    }

    // A new screen says its title; an error the host writes says itself.
    const int messageRow = MessageRow(*t) - 1;
    const bool messageWritten =
        t->state.errorLineWritten != 0 && (damage.all() || !damage.row(messageRow).empty());
    QString announcement;
    if (newScreen) announcement = FromPc(title);
    if (messageWritten) {
        const QString message = FromPc(MessageLineText(*t));
        if (!message.isEmpty() && message != announcement) {
            announcement += announcement.isEmpty() ? message : QStringLiteral(". ") + message;
        }
    }
    Announce(announcement);

    layout_ = std::move(layout);
    title_ = title;
    known_ = true;
}

}  // namespace quenlix::app
