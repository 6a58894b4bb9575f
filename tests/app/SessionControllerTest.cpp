// Two session controllers side by side, without the program's window
// around them, each connected to a demo host of its own on loopback: the
// keys and answers of each reach its own connection, ending one leaves the
// other connected, a host that ends one marks only that one, and a hidden
// session's boxes wait until it comes to the front.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "ShellDoubles.h"
#include "app/SessionController.h"
#include "keyring/MemoryKeyring.h"
#include "session/ConnectFile.h"
#include "support/DemoHostThread.h"
#include "terminal/ScreenReading.h"

namespace quenlix::app {
namespace {

using quenlix::testing::DemoHostThread;

bool WaitFor(const std::function<bool()>& done, int milliseconds = 10000) {
    const QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

bool Shows(SessionController& c, const std::string& text) {
    return ReadableText(c.session().terminal).find(text) != std::string::npos;
}

class TwoSessions : public ::testing::Test {
protected:
    TwoSessions()
        : hostA(std::make_unique<DemoHostThread>(0, "unused", false)),
          hostB(std::make_unique<DemoHostThread>(0, "unused", false)),
          a(Program(), &window, *window.statusBar()),
          b(Program(), &window, *window.statusBar()) {
        for (SessionController* c : {&a, &b}) {
            c->messages().interceptor = [this, c](std::string_view text, MessageIcon) {
                (c == &a ? shownA : shownB).emplace_back(text);
            };
            c->session().unplacedByteTrace().SetPath("");
        }
    }

    SessionController::Program Program() {
        return {QUENLIX_TABLE_DIR, "PC1", questions, keyring, recent};
    }

    std::string SessionFile(const std::string& name, int port) {
        SessionSettings s;
        s.Name = name;
        s.IP = "127.0.0.1";
        s.Port = port;
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        s.PageCode = 37;
        s.LaunchConnection = 1;
        const std::string path = dir.filePath(QString::fromStdString(name + ".stn")).toStdString();
        EXPECT_TRUE(CConnectFile::WriteSessionFile(path, s));
        return path;
    }

    /// Both sessions connected, each at its host's sign-on screen.
    void ConnectBoth() {
        ASSERT_FALSE(a.commands().OpenSessionFile(SessionFile("Alpha", hostA->port())).empty());
        ASSERT_FALSE(b.commands().OpenSessionFile(SessionFile("Beta", hostB->port())).empty());
        ASSERT_TRUE(WaitFor([&] { return Shows(a, "Sign On") && Shows(b, "Sign On"); }))
            << ReadableText(a.session().terminal) << ReadableText(b.session().terminal);
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-tabs-XXXXXX")};
    testing::ScriptedQuestions questions;
    MemoryKeyring keyring;
    RecentSessionList recent;
    std::unique_ptr<DemoHostThread> hostA;
    std::unique_ptr<DemoHostThread> hostB;
    QMainWindow window;
    SessionController a;
    SessionController b;
    std::vector<std::string> shownA;
    std::vector<std::string> shownB;
};

TEST_F(TwoSessions, EachSessionsKeysAndAnswersGoToItsOwnConnection) {
    ConnectBoth();
    // Typed one after the other, with neither answer awaited in between.
    a.session().input().Type("ALICE\r");
    b.session().input().Type("BOB\r");
    ASSERT_TRUE(WaitFor([&] { return Shows(a, "User: ALICE") && Shows(b, "User: BOB"); }))
        << ReadableText(a.session().terminal) << ReadableText(b.session().terminal);
    EXPECT_FALSE(Shows(a, "BOB"));
    EXPECT_FALSE(Shows(b, "ALICE"));
    // Both opens went to the one list the program keeps.
    EXPECT_EQ(recent.entries().size(), 2u);
    EXPECT_EQ(&a.commands().recent, &b.commands().recent);
}

TEST_F(TwoSessions, EndingOneSessionLeavesTheOtherConnectedAndWorking) {
    ConnectBoth();
    questions.yesNo = {true};  // end the session?
    ASSERT_TRUE(a.commands().PrepareClose());
    EXPECT_FALSE(a.connected());
    EXPECT_FALSE(a.marks().connected);
    EXPECT_TRUE(b.connected());
    b.session().input().Type("CAROL\r");
    EXPECT_TRUE(WaitFor([&] { return Shows(b, "User: CAROL"); }))
        << ReadableText(b.session().terminal);
}

TEST_F(TwoSessions, AHostEndingOneSessionMarksOnlyThatOne) {
    ConnectBoth();
    // Both settled at their sign-on screens before counting.
    a.OnTick();
    b.OnTick();
    int marksA = 0;
    int marksB = 0;
    a.onMarksChanged = [&] { ++marksA; };
    b.onMarksChanged = [&] { ++marksB; };
    a.SetInFront(false);  // behind: the end is no box to hold
    hostA.reset();  // the host goes, and its connections with it
    ASSERT_TRUE(WaitFor([&] {
        a.OnTick();
        b.OnTick();
        return !a.connected();
    }));
    EXPECT_FALSE(a.marks().connected);
    EXPECT_GE(marksA, 1);
    EXPECT_FALSE(a.IdleStatus().isEmpty()) << "the status says why";
    EXPECT_FALSE(a.marks().attention);
    EXPECT_TRUE(b.connected());
    EXPECT_TRUE(b.marks().connected);
    EXPECT_EQ(marksB, 0);
    EXPECT_TRUE(b.IdleStatus().isEmpty());
}

TEST_F(TwoSessions, AHiddenSessionsBoxesWaitForTheFrontAndItNeverPaints) {
    ConnectBoth();
    b.SetInFront(false);
    EXPECT_TRUE(b.view().hidden());
    const unsigned long framesBefore = b.view().frameCount();
    // What the hidden session's host sends is taken, not painted.
    b.session().input().Type("DAVE\r");
    ASSERT_TRUE(WaitFor([&] { return Shows(b, "User: DAVE"); }));
    EXPECT_EQ(b.view().frameCount(), framesBefore);
    // A message of the hidden session is held and marks it.
    b.sessionMessages().ShowMessage("from behind", MessageIcon::Exclamation);
    EXPECT_TRUE(shownB.empty());
    EXPECT_EQ(b.heldMessages(), 1);
    EXPECT_TRUE(b.marks().attention);
    // Brought to the front, it paints what came and shows the box.
    b.SetInFront(true);
    EXPECT_GT(b.view().frameCount(), framesBefore);
    ASSERT_TRUE(WaitFor([&] { return !shownB.empty(); }));
    EXPECT_EQ(shownB, std::vector<std::string>{"from behind"});
    EXPECT_EQ(b.heldMessages(), 0);
    EXPECT_FALSE(b.marks().attention);
    EXPECT_TRUE(shownA.empty());
}

TEST_F(TwoSessions, AHiddenSessionsCertificateQuestionWaitsAndIsDroppedWhenNoLongerAsked) {
    CertificateQuestion question;
    question.host = "127.0.0.1";
    question.port = 992;
    question.text = "The host's certificate is not trusted.";
    std::vector<CertificateAnswer> answers;
    for (const bool stillAskedAtFront : {true, false}) {
        SCOPED_TRACE(stillAskedAtFront ? "still asked" : "no longer asked");
        bool stillAsked = true;
        b.SetInFront(false);
        b.sessionCertificateQuestions().AskAboutCertificate(
            question, [&](CertificateAnswer answer) { answers.push_back(answer); },
            [&] { return stillAsked; });
        QCoreApplication::processEvents();
        EXPECT_EQ(b.certificateQuestions().openDialog(), nullptr) << "never over the session in front";
        EXPECT_TRUE(b.marks().attention);
        stillAsked = stillAskedAtFront;
        b.SetInFront(true);
        QCoreApplication::processEvents();
        EXPECT_FALSE(b.marks().attention);
        CertificateDialog* dialog = b.certificateQuestions().openDialog();
        EXPECT_EQ(dialog != nullptr, stillAskedAtFront);
        if (dialog) dialog->reject();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(answers.size(), 1u) << "only the question still asked is answered";
    EXPECT_EQ(a.certificateQuestions().openDialog(), nullptr);
}

TEST(SessionMarksTest, TabTextAndWordsCarryEveryMark) {
    SessionMarks m;
    EXPECT_EQ(TabText("PROD", m), QStringLiteral("PROD (off)"));
    EXPECT_EQ(MarksInWords(m), QStringLiteral("not connected"));
    m.connected = true;
    EXPECT_EQ(TabText("PROD", m), QStringLiteral("PROD"));
    m.tls = m.keyboardLocked = m.messageWaiting = m.attention = true;
    EXPECT_EQ(TabText("PROD", m), QStringLiteral("PROD [TLS] [X] [MW] (!)"));
    EXPECT_EQ(MarksInWords(m), QStringLiteral("connected, encrypted, keyboard locked, message "
                                              "waiting, a message waits to be shown"));
}

}  // namespace
}  // namespace quenlix::app
