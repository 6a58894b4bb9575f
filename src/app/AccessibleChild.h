// The base of the view's accessible children (its fields, status bar,
// announcer and hotspots).
#pragma once

#include <QAccessibleInterface>
#include <QWidget>
#include <QWindow>

#include "app/AccessibleTerminal.h"
#include "app/CTelnetView.h"

namespace quenlix::app {

/// What every child of the view shares: it lives as long as the view's
/// accessibility, which frees it.
class ChildAccessible : public QAccessibleInterface {
public:
    explicit ChildAccessible(TerminalAccessibility& owner) : owner_(owner) {}
    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        const QWidget* top = owner_.view().window();
        return top ? top->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(&owner_.view());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    TerminalAccessibility& owner_;
};

}  // namespace quenlix::app
