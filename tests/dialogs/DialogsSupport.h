// A program with its window on the offscreen platform, over an in-memory
// store, for the dialog tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "app/CTelnetApp.h"
#include "app/DialogContext.h"

namespace quenlix::app::testing {

/// The application of the test program (tests/support/QtTestMain.cpp).
inline QApplication& App() { return *qApp; }

class DialogsTest : public ::testing::Test {
protected:
    DialogsTest() : app_((App(), QUENLIX_TABLE_DIR), "TESTPC", store, nullptr) {
        app_.messages().interceptor = [this](std::string_view text, MessageIcon icon) {
            messages.emplace_back(text);
            icons.push_back(icon);
        };
        Terminal& t = terminal();
        t.screen.AllocateCells(80, 24);
        t.screen.SetGeometry(80, 24);
        app_.frame().resize(1000, 700);
        app_.frame().show();
        QApplication::processEvents();
    }

    DialogContext& context() { return *DialogContextOf(app_.frame()); }
    Terminal& terminal() { return app_.session().terminal; }
    CTelnetView& view() { return *app_.frame().view(); }
    UserSettings& prefs() { return app_.userSettings(); }

    MemorySettingsStore store;
    std::vector<std::string> messages;
    std::vector<MessageIcon> icons;
    CTelnetApp app_;
};

}  // namespace quenlix::app::testing
