// Session commands and connection control.
#include "app/SessionCommands.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "input/KeyMapStore.h"
#include "keyring/SessionPasswords.h"
#include "session/ConnectFile.h"
#include "session/FileIo.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

bool FileReadable(const std::string& path) {
    // The same test the session file reader applies, without waiting on a
    // FIFO, so that what passes here is what ReadSessionFile can read.
    return !path.empty() && CheckSmallFile(path) == 0;
}

std::string WithSessionExtension(std::string path) {
    static constexpr std::string_view kExtension = ".stn";
    bool has = path.size() >= kExtension.size();
    for (std::size_t i = 0; has && i < kExtension.size(); ++i) {
        char c = path[path.size() - kExtension.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        has = c == kExtension[i];
    }
    if (!has) path += kExtension;
    return path;
}

std::string AbsoluteSessionPath(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) return path;
    std::error_code error;
    const fs::path given(path);
    const bool climbs = std::any_of(given.begin(), given.end(),
                                    [](const fs::path& part) { return part == ".."; });
    // Without "..", the lexical form is exact; with it, only the file system
    // knows where a symbolic link before it leads.
    fs::path result = climbs ? fs::weakly_canonical(given, error) : fs::absolute(given, error);
    if (error) return path;
    result = result.lexically_normal();
    std::string text = result.string();
    // A folder's trailing separator is not part of a file's name.
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

std::string SaveFailedText(const std::string& path, int cause) {
    // The headless front end says the same.
    return CConnectFile::SaveFailedText(path, cause);
}

SessionCommands::SessionCommands(TerminalSession& session, Questions& questions,
                                 MessageBoxes& messages, std::string computerName)
    : recent(ownRecent_),
      session_(session),
      questions_(questions),
      messages_(messages),
      computerName_(std::move(computerName)) {}

SessionCommands::SessionCommands(TerminalSession& session, Questions& questions,
                                 MessageBoxes& messages, std::string computerName,
                                 RecentSessionList& recentList)
    : recent(recentList),
      session_(session),
      questions_(questions),
      messages_(messages),
      computerName_(std::move(computerName)) {}

bool SessionCommands::SessionLoaded() const {
    return session_.activeSettings.Name != LoadString(kStrNoName);
}

bool SessionCommands::ConfirmReplace() {
    if (connected() && !questions_.AskYesNo(kStrEndSessionQuestion)) return false;
    if (sessionModified && questions_.AskYesNo(kStrSaveChangedQuestion) &&
        !SaveSession(sessionFilePath)) {
        return false;
    }
    return true;
}

void SessionCommands::Connect() {
    if (session_.activeSettings.IsPrinter()) {
        // The display's interpreter would take the host's SCS for screens.
        if (startPrinter) startPrinter(session_.activeSettings);
        return;
    }
    ObtainPassword();
    session_.StartConnection();
    if (afterConnect) afterConnect();
}

void SessionCommands::ObtainPassword() {
    SessionSettings& active = session_.activeSettings;
    if (!PasswordToFetch(active)) return;
    const KeyringAnswer answer = FetchPassword(*keyring_, active);
    if (!answer.ok()) {
        // Never a file: the operator's answer lives as long as the session.
        std::optional<std::string> typed = questions_.AskPassword(PasswordQuestion(active, answer));
        // None given: the host's sign-on screen asks for it.
        if (!typed || typed->empty()) return;
        active.UserPassword = std::move(*typed);
    }
    // The edited copy of the same session takes it too, so that the end of
    // this connection, which makes it the copy in use, does not lose it.
    SessionSettings& pending = session_.pendingSettings;
    if (pending.UserPassword.empty() && pending.PasswordStore == PasswordStorage::kKeyring &&
        AccountOf(pending) == AccountOf(active)) {
        pending.UserPassword = active.UserPassword;
    }
}

void SessionCommands::ShowStoredPassword(SessionSettings& pending) {
    if (pending.PasswordStore != PasswordStorage::kKeyring || !pending.UserPassword.empty() ||
        pending.IP.empty() || pending.UserID.empty()) {
        return;
    }
    // Without a keyring the field stays empty, and left so it changes nothing.
    FetchPassword(*keyring_, pending);
}

std::string SessionCommands::OpenSessionFile(std::string path) {
    const bool wasConnected = connected();
    if (wasConnected && !questions_.AskYesNo(kStrEndSessionQuestion)) return {};
    if (sessionModified && questions_.AskYesNo(kStrSaveChangedQuestion) &&
        !SaveSession(sessionFilePath)) {
        return {};
    }
    sessionModified = false;
    if (path.empty()) {
        std::optional<std::string> chosen = questions_.AskOpenPath();
        if (!chosen || chosen->empty()) return {};
        path = *chosen;
    }
    path = AbsoluteSessionPath(path);
    // Read first: a file that cannot be read (missing, a folder, a pipe)
    // leaves the session as it is.
    SessionSettings read = session_.activeSettings;
    if (!CConnectFile::ReadSessionFile(path, read, computerName_)) {
        std::string text(LoadString(kStrOpenSessionFailed));
        text += '\n';
        text += path;
        messages_.ShowMessage(text, MessageIcon::Exclamation);
        return {};
    }
    if (wasConnected) session_.EndSession();
    sessionFilePath = path;
    recent.Add(path);
    session_.activeSettings = read;
    session_.pendingSettings = read;
    hasSessionFile = true;
    UseSessionKeyMap();
    if (refreshDisplay) refreshDisplay();
    if (session_.activeSettings.LaunchConnection) Connect();
    return path;
}

bool SessionCommands::SaveSession(const std::string& path) {
    std::string target = path;
    if (!FileReadable(target)) {
        std::optional<std::string> chosen =
            questions_.AskSavePath(session_.activeSettings.Name + ".stn");
        if (!chosen || chosen->empty()) return false;
        target = *chosen;
    }
    target = AbsoluteSessionPath(WithSessionExtension(std::move(target)));
    SessionSettings& pending = session_.pendingSettings;
    if (pending.PasswordStore == PasswordStorage::kOlderSessionFile &&
        !pending.UserPassword.empty()) {
        switch (questions_.AskMovePassword(MovePasswordQuestion(pending))) {
            case PasswordMoveChoice::Cancel: return false;
            case PasswordMoveChoice::LeaveOut:
                pending.PasswordStore = PasswordStorage::kNone;
                break;
            case PasswordMoveChoice::Move:
                if (const KeyringAnswer moved = MoveOlderPassword(*keyring_, pending);
                    !moved.ok()) {
                    messages_.ShowMessage(MoveFailedText(moved), MessageIcon::Exclamation);
                    return false;
                }
                break;
        }
        // The copy in use is the same session: it is not asked about again.
        SessionSettings& active = session_.activeSettings;
        if (active.PasswordStore == PasswordStorage::kOlderSessionFile &&
            AccountOf(active) == AccountOf(pending)) {
            active.PasswordStore = pending.PasswordStore;
        }
    }
    int cause = 0;
    if (!CConnectFile::WriteSessionFile(target, session_.pendingSettings, &cause)) {
        messages_.ShowMessage(SaveFailedText(target, cause), MessageIcon::Exclamation);
        return false;
    }
    sessionModified = false;
    hasSessionFile = true;
    sessionFilePath = target;
    recent.Add(target);
    return true;
}

void SessionCommands::NewSession() {
    if (!ConfirmReplace()) return;
    // A new session has no file yet: the sheet shows none.
    std::optional<SessionSettings> sheet = questions_.EditProperties(kStrAddSession, nullptr, {});
    if (!sheet) return;
    if (const std::string problem = KeepEditedPassword(*keyring_, SessionSettings{}, *sheet);
        !problem.empty()) {
        messages_.ShowMessage(problem, MessageIcon::Exclamation);
    }
    session_.EndSession();
    session_.activeSettings = *sheet;
    session_.pendingSettings = *sheet;
    sessionModified = true;
    hasSessionFile = false;
    sessionFilePath.clear();
    UseSessionKeyMap();
    if (refreshDisplay) refreshDisplay();
}

void SessionCommands::CloseSession() {
    if (!ConfirmReplace()) return;
    session_.EndSession();
    hasSessionFile = false;
    sessionModified = false;
    sessionFilePath.clear();
    session_.activeSettings = StartActiveSettings(computerName_);
    SessionSettings pending = StartPendingSettings(computerName_);
    pending.Name = session_.pendingSettings.Name;
    pending.TerminalCaract = session_.pendingSettings.TerminalCaract;
    session_.pendingSettings = pending;
    UseSessionKeyMap();
    if (refreshDisplay) refreshDisplay();
}

void SessionCommands::UseSessionKeyMap() {
    KeyMapFileResult loaded = LoadKeyMap(session_.activeSettings.KeyboardMap);
    if (!loaded.errors.empty()) {
        std::string text = "The keyboard map has errors; its other lines are used:";
        for (const std::string& e : loaded.errors) text += "\n" + e;
        messages_.ShowMessage(text, MessageIcon::Exclamation);
    }
    session_.input().SetKeyMap(std::move(loaded.map));
}

void SessionCommands::ChooseKeyMap(const std::string& name, KeyMap map) {
    session_.input().SetKeyMap(std::move(map));
    if (session_.activeSettings.KeyboardMap == name && session_.pendingSettings.KeyboardMap == name) {
        return;
    }
    session_.activeSettings.KeyboardMap = name;
    session_.pendingSettings.KeyboardMap = name;
    sessionModified = true;
}

void SessionCommands::Start() {
    if (connected()) return;
    if (session_.activeSettings.IP.empty()) {
        switch (questions_.ChooseNoSession()) {
            case NoSessionChoice::Cancel: return;
            case NoSessionChoice::Create: NewSession(); break;
            case NoSessionChoice::Open: OpenSessionFile({}); break;
        }
    }
    if (!session_.activeSettings.IP.empty() && !connected()) Connect();
}

void SessionCommands::Stop() {
    if (questions_.AskYesNo(kStrEndSessionQuestion)) session_.EndSession();
}

void SessionCommands::ConnectDisconnect() {
    if (connected()) {
        Stop();
    } else {
        Start();
    }
}

void SessionCommands::OpenRecent(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= recent.entries().size()) return;
    const std::string path = recent.entries()[static_cast<std::size_t>(index)];
    const std::string opened = OpenSessionFile(path);
    if (opened.empty()) return;
    // An entry stored by a relative path gives way to the absolute one.
    if (opened != path) recent.Remove(path);
    recent.Add(opened);
}

void SessionCommands::Properties() {
    SessionSettings& pending = session_.pendingSettings;
    ShowStoredPassword(pending);
    std::optional<SessionSettings> sheet =
        questions_.EditProperties(kStrSessionProperties, &pending, sessionFilePath);
    if (!sheet) return;
    // The sheet has no place for the key map: the session keeps the one it
    // names and has in force, whatever else changes or restarts.
    sheet->KeyboardMap = pending.KeyboardMap;
    // The typed password goes to the keyring, never to the file.
    if (const std::string problem = KeepEditedPassword(*keyring_, pending, *sheet);
        !problem.empty()) {
        messages_.ShowMessage(problem, MessageIcon::Exclamation);
    }
    const SessionSettings& s = *sheet;
    const bool connectionChanged = s.IP != pending.IP || s.Port != pending.Port ||
                                   s.TerminalName != pending.TerminalName ||
                                   s.DisplayName != pending.DisplayName ||
                                   s.DisplayNameAuto != pending.DisplayNameAuto;
    const bool otherChanged =
        s.Name != pending.Name || s.Language != pending.Language ||
        s.LaunchConnection != pending.LaunchConnection ||
        s.AutoConnection != pending.AutoConnection || s.UserID != pending.UserID ||
        s.UserPassword != pending.UserPassword || s.PasswordStore != pending.PasswordStore ||
        s.Menu != pending.Menu ||
        s.ProgProc != pending.ProgProc || s.CurLib != pending.CurLib;
    const bool languageChanged = s.Language != session_.activeSettings.Language;
    if (!connectionChanged && !otherChanged) return;
    sessionModified = true;
    if (connected() && connectionChanged) {
        switch (questions_.ChooseNewParams()) {
            case NewParamsChoice::Cancel: return;
            case NewParamsChoice::Restart:
                pending = s;
                session_.EndSession();
                Connect();
                return;
            case NewParamsChoice::Continue: pending = s; break;
        }
    } else {
        pending = s;
        session_.activeSettings = s;
    }
    if (refreshDisplay) refreshDisplay();
    if (languageChanged) {
        RetranslateScreen(session_.terminal, session_.tables, session_.activeSettings.PageCode);
        session_.FlushDamage();
    }
}

bool SessionCommands::PrepareClose() {
    if (!ConfirmReplace()) return false;
    try {
        session_.EndSession();
    } catch (...) {
        // The close goes on whatever went wrong while signing off.
    }
    return true;
}

}  // namespace quenlix::app
