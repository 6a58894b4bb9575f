// The Macro menu and the macros' keys in the desktop program.
#include "app/MacroCommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/KeyTranslator.h"
#include "app/MacroEditorDialog.h"
#include "app/MacroPlayback.h"
#include "app/MacroRecording.h"
#include "app/SessionController.h"
#include "macro/MacroScript.h"
#include "macro/MacroStore.h"

namespace quenlix::app {

namespace {

QString Qs(const std::string& s) { return QString::fromStdString(s); }

QString Joined(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& l : lines) out << Qs(l);
    return out.join(QLatin1Char('\n'));
}

}  // namespace

MacroCommands::MacroCommands(std::function<SessionController&()> active, QObject* parent)
    : QObject(parent), active_(std::move(active)) {
    askName = [this](const QString& title) -> std::optional<std::string> {
        bool ok = false;
        const QString name = QInputDialog::getText(active_().window(), title,
                                                   QStringLiteral("Name of the macro:"),
                                                   QLineEdit::Normal, QString(), &ok);
        if (!ok) return std::nullopt;
        return name.trimmed().toStdString();
    };
    chooseMacro = [this](const QString& title, const std::vector<std::string>& names,
                         bool none) -> std::optional<std::string> {
        QStringList items;
        if (none) items << QStringLiteral("(none)");
        for (const std::string& n : names) items << Qs(n);
        if (items.isEmpty()) {
            Warn(QStringLiteral("There is no saved macro yet: record one first."));
            return std::nullopt;
        }
        bool ok = false;
        const QString chosen = QInputDialog::getItem(active_().window(), title,
                                                     QStringLiteral("Macro:"), items, 0, false, &ok);
        if (!ok) return std::nullopt;
        if (none && chosen == items.front()) return std::string();
        return chosen.toStdString();
    };
    askImportPath = [this]() -> std::optional<std::string> {
        const QString path = QFileDialog::getOpenFileName(
            active_().window(), QStringLiteral("Import Macro"), QString(),
            QStringLiteral("Macros (*.qtm);;All files (*)"));
        if (path.isEmpty()) return std::nullopt;
        return path.toStdString();
    };
    askExportPath = [this](const std::string& name) -> std::optional<std::string> {
        const QString path = QFileDialog::getSaveFileName(
            active_().window(), QStringLiteral("Export Macro"), Qs(name) + QStringLiteral(".qtm"),
            QStringLiteral("Macros (*.qtm);;All files (*)"));
        if (path.isEmpty()) return std::nullopt;
        return path.toStdString();
    };
    warn = [this](const QString& text) {
        QMessageBox::warning(active_().window(), QStringLiteral("Macro"), text);
    };
}

MacroCommands::~MacroCommands() {
    playbacks_.clear();
    recordings_.clear();
}

void MacroCommands::Warn(const QString& text) {
    if (warn) warn(text);
}

void MacroCommands::Register(CMainFrame& f) {
    auto recordingHere = [this] { return recording(active_()) != nullptr; };
    auto playingHere = [this] { return playback(active_()) != nullptr; };
    f.SetHandler(kCmdMacroRecord, {[this] { RecordCommand(); },
                                   [recordingHere, playingHere] { return !recordingHere() && !playingHere(); }});
    f.SetHandler(kCmdMacroStop, {[this] { StopCommand(); },
                                 [recordingHere, playingHere] { return recordingHere() || playingHere(); }});
    f.SetHandler(kCmdMacroPlay, {[this] { PlayCommand(); },
                                 [recordingHere, playingHere] { return !recordingHere() && !playingHere(); }});
    f.SetHandler(kCmdMacroEdit, {[this] { EditCommand(); }});
    f.SetHandler(kCmdMacroImport, {[this] { ImportCommand(); }});
    f.SetHandler(kCmdMacroExport, {[this] { ExportCommand(); }});
    f.SetHandler(kCmdMacroStartMacro, {[this] { StartMacroCommand(); }});
    // A recording's Paste writes what it pasted.
    f.SetHandler(kCmdPaste, {[this] {
                                 SessionController& c = active_();
                                 if (MacroRecording* r = recording(c)) {
                                     r->Pasted(QApplication::clipboard()->text().toStdString());
                                 }
                                 c.session().input().clipboard().Paste();
                             },
                             [this] { return active_().session().input().clipboard().PasteEnabled(); }});
    // The saved macros, listed below the last separator when the menu opens.
    QMenu* menu = f.macroMenu();
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        for (QAction* a : menu->actions()) {
            if (a->property("macroEntry").toBool()) {
                menu->removeAction(a);
                a->deleteLater();
            }
        }
        const std::vector<std::string> names = macro::UserMacroNames();
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string name = names[i];
            auto* a = new QAction(Qs(name), menu);
            a->setProperty("macroEntry", true);
            a->setStatusTip(QStringLiteral("Play the macro %1").arg(Qs(name)));
            a->setEnabled(!recording(active_()) && !playback(active_()));
            connect(a, &QAction::triggered, this, [this, name] { Play(active_(), name); });
            menu->addAction(a);
        }
    });
}

void MacroCommands::Attach(SessionController& c) {
    attached_.push_back(&c);
    c.view().installEventFilter(this);
    c.onConnected = [this, &c] {
        const std::string& name = c.session().activeSettings.StartMacro;
        if (name.empty() || !c.connected() || playback(c)) return;
        // After the connection's own work is done.
        QTimer::singleShot(0, this, [this, &c, name] {
            if (std::find(attached_.begin(), attached_.end(), &c) == attached_.end()) return;
            if (c.connected() && !playback(c)) Play(c, name);
        });
    };
}

void MacroCommands::Forget(SessionController& c) {
    recordings_.erase(&c);
    playbacks_.erase(&c);
    attached_.erase(std::remove(attached_.begin(), attached_.end(), &c), attached_.end());
}

SessionController* MacroCommands::ControllerOfView(QObject* view) const {
    for (SessionController* c : attached_) {
        if (&c->view() == view) return c;
    }
    return nullptr;
}

bool MacroCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    SessionController* c = ControllerOfView(watched);
    if (!c) return QObject::eventFilter(watched, event);
    const std::optional<KeyChord> chord = ChordOf(*static_cast<QKeyEvent*>(event));
    if (!chord) return QObject::eventFilter(watched, event);
    const std::optional<std::string> name = c->session().input().keyMap().MacroOf(*chord);
    if (!name) return QObject::eventFilter(watched, event);
    // The key plays its macro and goes no further; while one plays or a
    // recording runs it does nothing.
    if (!recording(*c) && !playback(*c)) Play(*c, *name);
    return true;
}

MacroRecording* MacroCommands::recording(const SessionController& c) const {
    const auto it = recordings_.find(&c);
    return it == recordings_.end() ? nullptr : it->second.get();
}

MacroPlayback* MacroCommands::playback(const SessionController& c) const {
    const auto it = playbacks_.find(&c);
    return it == playbacks_.end() ? nullptr : it->second.get();
}

bool MacroCommands::StartRecording(SessionController& c) {
    if (recording(c) || playback(c)) return false;
    recordings_[&c] = std::make_unique<MacroRecording>(c);
    return true;
}

std::optional<std::string> MacroCommands::StopRecording(SessionController& c) {
    const auto it = recordings_.find(&c);
    if (it == recordings_.end()) return std::nullopt;
    std::string text = it->second->Finish();
    recordings_.erase(it);
    return text;
}

bool MacroCommands::Play(SessionController& c, const std::string& name) {
    if (playback(c) || recording(c)) return false;
    std::string text;
    const std::string path = macro::MacroPath(name);
    if (const int cause = path.empty() ? EINVAL : macro::ReadMacroFile(path, text); cause != 0) {
        Warn(QStringLiteral("The macro %1 cannot be read: %2")
                 .arg(Qs(name), QString::fromUtf8(std::strerror(cause))));
        return false;
    }
    macro::MacroScript script = macro::ReadMacroScript(text);
    if (!script.ok()) {
        Warn(QStringLiteral("The macro %1 is not played: its lines are wrong.\n%2")
                 .arg(Qs(name), Joined(script.errors)));
        return false;
    }
    auto playing = std::make_unique<MacroPlayback>(c, name, std::move(script.steps));
    MacroPlayback* p = playing.get();
    p->onEnded = [this, &c] {
        // Let go after the playback has returned from what ended it.
        QTimer::singleShot(0, this, [this, &c] { playbacks_.erase(&c); });
    };
    playbacks_[&c] = std::move(playing);
    if (preparePlayback) preparePlayback(*p);
    p->Start();
    return true;
}

void MacroCommands::StopPlaying(SessionController& c) {
    if (MacroPlayback* p = playback(c)) p->Stop();
}

void MacroCommands::RecordCommand() { StartRecording(active_()); }

void MacroCommands::StopCommand() {
    SessionController& c = active_();
    if (playback(c)) {
        StopPlaying(c);
        return;
    }
    const std::optional<std::string> text = StopRecording(c);
    if (!text) return;
    for (;;) {
        const std::optional<std::string> name = askName(QStringLiteral("Save the Recorded Macro"));
        if (!name) return;  // the recording is dropped
        if (!IsMacroName(*name)) {
            Warn(QStringLiteral("A macro's name is made of letters, digits, blanks, '_', '-' and '.'."));
            continue;
        }
        if (const int cause = macro::WriteMacroFile(macro::MacroPath(*name), *text); cause != 0) {
            Warn(QStringLiteral("The macro cannot be saved: %1").arg(QString::fromUtf8(std::strerror(cause))));
            return;
        }
        return;
    }
}

void MacroCommands::PlayCommand() {
    const std::optional<std::string> name =
        chooseMacro(QStringLiteral("Play Macro"), macro::UserMacroNames(), false);
    if (name && !name->empty()) Play(active_(), *name);
}

void MacroCommands::EditCommand() {
    const std::optional<std::string> name =
        chooseMacro(QStringLiteral("Edit Macro"), macro::UserMacroNames(), false);
    if (!name || name->empty()) return;
    std::string text;
    if (const int cause = macro::ReadMacroFile(macro::MacroPath(*name), text); cause != 0) {
        Warn(QStringLiteral("The macro %1 cannot be read: %2")
                 .arg(Qs(*name), QString::fromUtf8(std::strerror(cause))));
        return;
    }
    MacroEditorDialog dialog(*name, text, active_().window());
    dialog.exec();
}

void MacroCommands::ImportCommand() {
    const std::optional<std::string> path = askImportPath();
    if (!path) return;
    const std::string name = macro::MacroNameOfPath(*path);
    std::string text;
    if (name.empty()) {
        Warn(QStringLiteral("A macro file is named <name>.qtm, the name of letters, digits, blanks, "
                            "'_', '-' and '.'."));
        return;
    }
    if (const int cause = macro::ReadMacroFile(*path, text); cause != 0) {
        Warn(QStringLiteral("%1 cannot be read: %2").arg(Qs(*path), QString::fromUtf8(std::strerror(cause))));
        return;
    }
    const macro::MacroScript script = macro::ReadMacroScript(text);
    if (!script.ok()) {
        Warn(QStringLiteral("%1 is not imported: its lines are wrong.\n%2").arg(Qs(*path), Joined(script.errors)));
        return;
    }
    if (const int cause = macro::WriteMacroFile(macro::MacroPath(name), text); cause != 0) {
        Warn(QStringLiteral("The macro cannot be saved: %1").arg(QString::fromUtf8(std::strerror(cause))));
    }
}

void MacroCommands::ExportCommand() {
    const std::optional<std::string> name =
        chooseMacro(QStringLiteral("Export Macro"), macro::UserMacroNames(), false);
    if (!name || name->empty()) return;
    const std::optional<std::string> path = askExportPath(*name);
    if (!path) return;
    std::string text;
    int cause = macro::ReadMacroFile(macro::MacroPath(*name), text);
    if (cause == 0) cause = macro::WriteMacroFile(*path, text);
    if (cause != 0) {
        Warn(QStringLiteral("The macro %1 cannot be exported: %2")
                 .arg(Qs(*name), QString::fromUtf8(std::strerror(cause))));
    }
}

void MacroCommands::StartMacroCommand() {
    SessionController& c = active_();
    const std::optional<std::string> name =
        chooseMacro(QStringLiteral("Play After Connecting"), macro::UserMacroNames(), true);
    if (!name) return;
    // Both copies: in force now, and saved with the session's file.
    c.session().activeSettings.StartMacro = *name;
    c.session().pendingSettings.StartMacro = *name;
}

}  // namespace quenlix::app
