// One macro playing in one session of the desktop program: the macro
// library's player driven by a timer and by the session's screens, a small
// window with the progress (the step, the screen awaited) and Pause and
// Stop, a question for each prompt (no echo for a password field), and a box
// that says why a step failed, which step, and the screen seen instead. After
// a failure nothing more is typed: the operator carries on by hand.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "macro/MacroPlayer.h"

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;

namespace quenlix::app {

class SessionController;

class MacroPlayback : public QObject {
    Q_OBJECT
public:
    /// How often the player looks at the screen while a step waits.
    static constexpr int kTickMilliseconds = 50;

    MacroPlayback(SessionController& controller, std::string name,
                  std::vector<macro::MacroStep> steps);
    ~MacroPlayback() override;

    /// Shows the progress window and runs the first steps.
    void Start();
    void Pause();
    void Resume();
    /// Stops where it is; nothing more is typed.
    void Stop();

    const macro::MacroPlayer& player() const { return player_; }
    const std::string& name() const { return name_; }
    /// "Step 3 of 12 (line 5): expect "Main Menu"".
    QString StepText() const;
    /// "Waiting for the screen "Main Menu"", "Paused"..., or empty.
    QString WaitText() const;
    /// What the failure box says, and the screen seen as its details.
    QString FailureText() const;
    QString FailureScreen() const;
    QDialog* progressWindow() const { return window_; }

    /// The prompt's question: the answer, or empty when declined (the
    /// macro stops). A hidden answer is asked without echo.
    std::function<std::optional<std::string>(const QString& question, bool hidden)> askAnswer;
    /// Shows why the macro stopped (not modal: the operator carries on).
    std::function<void(const QString& text, const QString& screen)> showFailure;
    /// The macro ended, however (the owner lets this object go later).
    std::function<void()> onEnded;

private:
    class Target;
    void Tick();
    void ShowProgress();
    void End();

    SessionController& controller_;
    std::string name_;
    macro::MacroPlayer player_;
    std::unique_ptr<Target> target_;
    QTimer timer_;
    QPointer<QDialog> window_;
    QLabel* step_ = nullptr;
    QLabel* wait_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* pause_ = nullptr;
    bool asking_ = false;
    bool ended_ = false;
};

}  // namespace quenlix::app
