// Playing a macro in the desktop program.
#include "app/MacroPlayback.h"

#include <QDesktopServices>
#include <QDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/SessionController.h"

namespace quenlix::app {

namespace {
QString Qs(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

/// The session a macro plays on.
class MacroPlayback::Target : public macro::MacroTarget {
public:
    explicit Target(SessionController& c) : c_(c) {}
    Terminal& terminal() override { return c_.session().terminal; }
    OperatorInput& input() override { return c_.session().input(); }
    const PcCharset& charset() const override {
        return PcCharset::ForCodePage(c_.session().activeSettings.PageCode);
    }
    bool HostCanSend() const override {
        return c_.connected() && c_.session().endpoint().IsOpen();
    }
    unsigned long blocksArrived() const override { return c_.session().blocksProcessed(); }
    bool Connect(std::string& error) override {
        if (c_.connected()) return true;
        c_.commands().Start();
        if (c_.connected()) return true;
        error = "the session did not connect";
        return false;
    }
    void Disconnect() override { c_.session().EndSession(); }
    void OpenAddress(const std::string& address) override {
        QDesktopServices::openUrl(QUrl(Qs(address)));
    }

private:
    SessionController& c_;
};

MacroPlayback::MacroPlayback(SessionController& controller, std::string name,
                             std::vector<macro::MacroStep> steps)
    : controller_(controller),
      name_(std::move(name)),
      player_(std::move(steps)),
      target_(std::make_unique<Target>(controller)) {
    askAnswer = [this](const QString& question, bool hidden) -> std::optional<std::string> {
        bool ok = false;
        const QString answer = QInputDialog::getText(
            controller_.window(), QStringLiteral("Macro %1").arg(Qs(name_)), question,
            hidden ? QLineEdit::Password : QLineEdit::Normal, QString(), &ok);
        if (!ok) return std::nullopt;
        return answer.toStdString();
    };
    showFailure = [this](const QString& text, const QString& screen) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Macro stopped"), text,
                                    QMessageBox::Ok, controller_.window());
        box->setDetailedText(screen);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    };
    timer_.setInterval(kTickMilliseconds);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

MacroPlayback::~MacroPlayback() {
    timer_.stop();
    delete window_.data();
}

void MacroPlayback::Start() {
    auto* window = new QDialog(controller_.window());
    window->setWindowTitle(QStringLiteral("Playing macro %1").arg(Qs(name_)));
    window->setModal(false);
    auto* layout = new QVBoxLayout(window);
    step_ = new QLabel(window);
    wait_ = new QLabel(window);
    bar_ = new QProgressBar(window);
    bar_->setRange(0, static_cast<int>(player_.stepCount()));
    layout->addWidget(step_);
    layout->addWidget(wait_);
    layout->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    pause_ = new QPushButton(QStringLiteral("&Pause"), window);
    auto* stop = new QPushButton(QStringLiteral("&Stop"), window);
    buttons->addWidget(pause_);
    buttons->addWidget(stop);
    layout->addLayout(buttons);
    connect(pause_, &QPushButton::clicked, this, [this] {
        if (player_.state() == macro::MacroPlayer::State::kPaused) {
            Resume();
        } else {
            Pause();
        }
    });
    connect(stop, &QPushButton::clicked, this, [this] { Stop(); });
    // Closing the window stops the macro as Stop does.
    connect(window, &QDialog::rejected, this, [this] { Stop(); });
    window_ = window;
    window->show();
    timer_.start();
    Tick();
}

void MacroPlayback::Pause() {
    player_.Pause();
    ShowProgress();
}

void MacroPlayback::Resume() {
    player_.Resume();
    Tick();
}

void MacroPlayback::Stop() {
    player_.Stop();
    End();
}

QString MacroPlayback::StepText() const {
    const macro::MacroStep* step = player_.currentStep();
    if (!step) return QStringLiteral("All %1 steps done").arg(player_.stepCount());
    return QStringLiteral("Step %1 of %2 (line %3): %4")
        .arg(player_.stepIndex() + 1)
        .arg(player_.stepCount())
        .arg(step->line)
        .arg(Qs(step->text));
}

QString MacroPlayback::WaitText() const {
    using State = macro::MacroPlayer::State;
    switch (player_.state()) {
        case State::kWaiting: {
            const std::string awaited = player_.awaited();
            return awaited.empty() ? QStringLiteral("Waiting")
                                   : QStringLiteral("Waiting for the screen \u201c%1\u201d").arg(Qs(awaited));
        }
        case State::kAsking: return QStringLiteral("Asking: %1").arg(Qs(player_.question().question));
        case State::kPaused: return QStringLiteral("Paused");
        case State::kStopped: return QStringLiteral("Stopped");
        case State::kFailed: return QStringLiteral("Failed");
        case State::kFinished: return QStringLiteral("Finished");
        case State::kRunning: return {};
    }
    return {};
}

QString MacroPlayback::FailureText() const {
    const macro::MacroPlayer::Failure& f = player_.failure();
    return QStringLiteral(
               "The macro %1 stopped at step %2 of %3 (line %4):\n    %5\n\n%6\n\nNothing more "
               "was typed: carry on by hand. The screen it saw is in the details.")
        .arg(Qs(name_))
        .arg(player_.stepIndex() + 1)
        .arg(player_.stepCount())
        .arg(f.line)
        .arg(Qs(f.step), Qs(f.reason));
}

QString MacroPlayback::FailureScreen() const {
    QStringList lines;
    for (const std::string& line : player_.failure().screen) lines << Qs(line);
    return lines.join(QLatin1Char('\n'));
}

void MacroPlayback::Tick() {
    if (asking_ || ended_) return;
    player_.Advance(*target_, macro::MacroPlayer::Clock::now());
    controller_.session().FlushDamage();
    ShowProgress();
    if (player_.state() == macro::MacroPlayer::State::kAsking) {
        // The question's box runs its own event loop: no tick meanwhile.
        asking_ = true;
        timer_.stop();
        const macro::MacroPlayer::Question q = player_.question();
        // The session (and this object with it) may go while the box is up.
        const QPointer<MacroPlayback> self(this);
        std::optional<std::string> answer = askAnswer(Qs(q.question), q.hidden);
        if (!self) return;
        asking_ = false;
        if (ended_) return;
        player_.Answer(*target_, std::move(answer));
        controller_.session().FlushDamage();
        if (!player_.Done()) {
            timer_.start();
            QTimer::singleShot(0, this, [this] { Tick(); });
            return;
        }
    }
    if (player_.Done()) End();
}

void MacroPlayback::ShowProgress() {
    if (!window_) return;
    step_->setText(StepText());
    wait_->setText(WaitText());
    bar_->setValue(static_cast<int>(player_.stepIndex()));
    pause_->setText(player_.state() == macro::MacroPlayer::State::kPaused ? QStringLiteral("&Resume")
                                                                          : QStringLiteral("&Pause"));
}

void MacroPlayback::End() {
    if (ended_) return;
    ended_ = true;
    timer_.stop();
    if (window_) window_->hide();
    if (player_.state() == macro::MacroPlayer::State::kFailed && showFailure) {
        showFailure(FailureText(), FailureScreen());
    }
    if (onEnded) onEnded();
}

}  // namespace quenlix::app
