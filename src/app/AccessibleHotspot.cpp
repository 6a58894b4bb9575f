// The accessible hotspots of the terminal view.
#include "app/AccessibleHotspot.h"

#include <QAccessibleActionInterface>
#include <QStringList>
#include <QWidget>
#include <QWindow>
#include <optional>

#include "app/AccessibleChild.h"
#include "app/AccessibleTerminal.h"
#include "app/CTelnetView.h"
#include "display/ViewLayout.h"

namespace quenlix::app {

QString HotspotActionWords(const Hotspot& h, const QString& text) {
    switch (h.kind) {
        case HotspotKind::kAid:
        case HotspotKind::kMore:
            if (h.action == "RollUp") return QStringLiteral("rolls up");
            if (h.action == "RollDown") return QStringLiteral("rolls down");
            return QStringLiteral("presses ") + text;
        case HotspotKind::kOption:
            return QStringLiteral("types ") + text +
                   (h.enter ? QStringLiteral(" and presses Enter") : QString());
        case HotspotKind::kUrl:
            return QStringLiteral("opens ") + text;
    }
    return {};
}

namespace {

class HotspotAccessible : public ChildAccessible, public QAccessibleActionInterface {
public:
    HotspotAccessible(TerminalAccessibility& owner, int slot) : ChildAccessible(owner), slot_(slot) {}

    bool isValid() const override { return Current().has_value(); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        return nullptr;
    }
    QAccessible::Role role() const override {
        const std::optional<Hotspot> h = Current();
        return h && h->kind == HotspotKind::kUrl ? QAccessible::Link : QAccessible::Button;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!Current()) s.invalid = true;
        if (role() == QAccessible::Link) s.linked = true;
        return s;
    }
    QString text(QAccessible::Text which) const override {
        const std::optional<Hotspot> h = Current();
        if (!h) return {};
        switch (which) {
            case QAccessible::Name:
                return owner_.FromPc(h->text);
            case QAccessible::Description:
                return HotspotActionWords(*h, owner_.FromPc(h->action));
            default:
                return {};
        }
    }
    QRect rect() const override {
        const std::optional<Hotspot> h = Current();
        const Terminal* t = owner_.terminal();
        if (!h || !t) return {};
        const CTelnetView& view = owner_.view();
        const PixelRect r =
            ToWindow(t->CellRectToPixels(h->column, h->row, h->column + h->length, h->row + 1),
                     view.horizontalOffset());
        const QRect local(r.left, r.top, r.right - r.left, r.bottom - r.top);
        return QRect(view.mapToGlobal(local.topLeft()), local.size());
    }

    // One action, the click.
    QStringList actionNames() const override { return {pressAction()}; }
    QString localizedActionDescription(const QString& name) const override {
        return name == pressAction() ? text(QAccessible::Description) : QString();
    }
    void doAction(const QString& name) override {
        if (name != pressAction()) return;
        if (const std::optional<Hotspot> h = Current()) owner_.view().PerformHotspot(*h);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    /// The hotspot in this child's place on the screen now.
    std::optional<Hotspot> Current() const {
        const std::vector<Hotspot>& list = owner_.view().Hotspots();
        if (slot_ < 0 || static_cast<std::size_t>(slot_) >= list.size()) return std::nullopt;
        return list[static_cast<std::size_t>(slot_)];
    }

    int slot_;
};

}  // namespace

QAccessibleInterface* NewHotspotAccessible(TerminalAccessibility& owner, int slot) {
    return new HotspotAccessible(owner, slot);
}

}  // namespace quenlix::app
