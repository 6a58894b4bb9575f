// Session file reading and writing, and password scrambling.
#include "session/ConnectFile.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "session/ProfileAccess.h"
#include "terminal/StringTable.h"

namespace quenlix {

namespace {

constexpr std::string_view kConnection = "Connection";
constexpr std::string_view kProfile = "Profile";
constexpr std::string_view kPrinter = "Printer";
constexpr std::string_view kPrinterDevice = "Printer";
constexpr std::string_view kPasswordInKeyring = "Password In Keyring";

constexpr std::int32_t kDefaultPort = 23;
constexpr std::int32_t kDefaultPageCode = 37;
constexpr std::string_view kDefaultLanguage = "U.S.";
constexpr std::string_view kDefaultTerminalName = "IBM-3477-FC";
constexpr std::string_view kDefaultTerminalCaract = "27 * 132";

using ScrambleKey = std::array<std::uint8_t, CConnectFile::kPasswordLength>;

// The key is not kept as a literal: it is generated from a seed by a linear
// recurrence. Changing either constant makes every stored password unreadable.
constexpr unsigned kKeySeed = 0x3B;
constexpr unsigned kKeyMultiplier = 37;
constexpr unsigned kKeyIncrement = 0x59;

ScrambleKey BuildKey() {
    ScrambleKey key{};
    unsigned b = kKeySeed;
    for (std::uint8_t& k : key) {
        k = static_cast<std::uint8_t>(b);
        b = (b * kKeyMultiplier + kKeyIncrement) & 0xFF;
    }
    return key;
}

// Where password byte i sits in the stored order: the first five bytes go to
// the even places, the last five to the odd places from the end.
constexpr std::array<std::size_t, CConnectFile::kPasswordLength> kStoredPlace = {0, 2, 4, 6, 8,
                                                                                 9, 7, 5, 3, 1};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The digits at the start of a pair; none gives 0.
std::uint8_t ReadHexPair(std::string_view pair) {
    unsigned value = 0;
    for (char c : pair) {
        int digit = HexDigit(c);
        if (digit < 0) break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace

std::string_view CConnectFile::SecurityName(ConnectionSecurity security) {
    return security == ConnectionSecurity::kTls ? "TLS" : "None";
}

ConnectionSecurity CConnectFile::ParseSecurity(std::string_view text) {
    static constexpr std::string_view kNone = "none";
    if (text.empty()) return ConnectionSecurity::kNone;
    bool none = text.size() == kNone.size();
    for (std::size_t i = 0; none && i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        none = c == kNone[i];
    }
    return none ? ConnectionSecurity::kNone : ConnectionSecurity::kTls;
}

std::string CConnectFile::PasswordLevelName(int level) {
    if (level < 0 || level > 4) return "Automatic";
    return std::to_string(level);
}

int CConnectFile::ParsePasswordLevel(std::string_view text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '4') return text[0] - '0';
    return kAutomaticPasswordLevel;
}

std::string CConnectFile::ScramblePassword(std::string_view password) {
    const ScrambleKey key = BuildKey();
    std::array<std::uint8_t, kPasswordLength> buffer;
    buffer.fill(' ');
    for (std::size_t i = 0; i < buffer.size() && i < password.size(); ++i) {
        buffer[i] = static_cast<std::uint8_t>(password[i]);
    }
    std::array<std::uint8_t, kPasswordLength> out{};
    for (std::size_t i = 0; i < buffer.size(); ++i) out[kStoredPlace[i]] = buffer[i];

    std::string text;
    for (std::size_t i = 0; i < out.size(); ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%.2X",
                      static_cast<unsigned>(static_cast<std::uint8_t>(out[i] - key[i])));
        text += digits;
    }
    return text;
}

std::string CConnectFile::UnscramblePassword(std::string_view stored) {
    const ScrambleKey key = BuildKey();
    std::array<std::uint8_t, kPasswordLength> b{};
    for (std::size_t i = 0; i < b.size(); ++i) {
        std::string_view pair = 2 * i < stored.size() ? stored.substr(2 * i, 2) : "";
        b[i] = static_cast<std::uint8_t>(ReadHexPair(pair) + key[i]);
    }
    std::string password(kPasswordLength, ' ');
    for (std::size_t i = 0; i < password.size(); ++i) {
        password[i] = static_cast<char>(b[kStoredPlace[i]]);
    }
    std::size_t end = password.find_last_not_of(' ');
    password.resize(end == password.npos ? 0 : end + 1);
    return password;
}

bool CConnectFile::ReadSessionFile(const std::string& path, SessionSettings& settings,
                                   std::string_view computerName) {
    const CProfileAccess file(path, true);
    settings.Name = file.GetString(kConnection, "Name", LoadString(kStrNoName));
    settings.IP = file.GetString(kConnection, "IP", "");
    settings.Port = file.GetInt(kConnection, "Port", kDefaultPort);
    settings.DisplayName = file.GetString(kConnection, "DisplayName", computerName);
    settings.DisplayNameAuto = file.GetBool(kConnection, "DisplayNameAuto", 1);
    settings.Language = file.GetString(kConnection, "Language", kDefaultLanguage);
    settings.PageCode = file.GetInt(kConnection, "Page Code", kDefaultPageCode);
    settings.TerminalName = file.GetString(kConnection, "Terminal Name", kDefaultTerminalName);
    settings.TerminalCaract =
        file.GetString(kConnection, "Terminal Caract", kDefaultTerminalCaract);
    settings.Security = ParseSecurity(file.GetString(kConnection, "Security", ""));
    settings.CAFile = file.GetString(kConnection, "CA File", "");
    settings.ClientCertificate = file.GetString(kConnection, "Client Certificate", "");
    settings.KeyboardMap = file.GetString(kConnection, "Keyboard Map", "");
    settings.Enhanced = file.GetBool(kConnection, "Enhanced", 0);

    settings.LaunchConnection = file.GetBool(kProfile, "Launch Connection", 0);
    settings.AutoConnection = file.GetBool(kProfile, "Auto Connection", 0);
    settings.UserID = file.GetString(kProfile, "UserID", "");
    settings.Menu = file.GetString(kProfile, "Menu", "");
    settings.ProgProc = file.GetString(kProfile, "ProgProc", "");
    settings.CurLib = file.GetString(kProfile, "CurLib", "");
    // A file that says the keyring keeps the password holds none itself; an
    // older file's scrambled one is still taken, and moved on the next save.
    settings.UserPassword.clear();
    settings.PasswordStore = PasswordStorage::kNone;
    if (file.GetBool(kProfile, kPasswordInKeyring, 0)) {
        settings.PasswordStore = PasswordStorage::kKeyring;
    } else if (std::string stored = file.GetString(kProfile, "User Password", "");
               !stored.empty()) {
        settings.UserPassword = UnscramblePassword(stored);
        if (!settings.UserPassword.empty()) {
            settings.PasswordStore = PasswordStorage::kOlderSessionFile;
        }
    }
    settings.PasswordLevel = ParsePasswordLevel(file.GetString(kProfile, "Password Level", ""));
    settings.SendPasswordInClear = file.GetBool(kProfile, "Send Password In Clear", 0);
    settings.StartMacro = file.GetString(kProfile, "Start Macro", "");

    const SessionSettings defaults;
    settings.Device = file.GetString(kConnection, "Device", "") == kPrinterDevice
                          ? DeviceKind::kPrinter
                          : DeviceKind::kDisplay;
    settings.PrinterMessageQueue =
        file.GetString(kPrinter, "Message Queue", defaults.PrinterMessageQueue);
    settings.PrinterMessageLibrary =
        file.GetString(kPrinter, "Message Library", defaults.PrinterMessageLibrary);
    settings.PrinterFont = file.GetInt(kPrinter, "Font", defaults.PrinterFont);
    settings.HostPrintTransform = file.GetBool(kPrinter, "Host Print Transform", 0);
    settings.PrinterModel = file.GetString(kPrinter, "Printer Model", defaults.PrinterModel);
    settings.PaperSizeName = FindPaperSize(file.GetString(kPrinter, "Paper Size", "")).name;
    settings.OutputFolder = file.GetString(kPrinter, "Output Folder", "");
    settings.SystemPrinter = file.GetString(kPrinter, "System Printer", "");
    return file.Loaded();
}

bool CConnectFile::WriteSessionFile(const std::string& path, const SessionSettings& settings,
                                    int* cause) {
    // The file holds only what follows: whatever it held before is dropped,
    // so there is nothing to load.
    CProfileAccess file(path, false);
    file.Clear(false);
    // The puts below cannot fail: the names are fixed and nothing is flushed.
    file.PutString(kConnection, "Name", settings.Name, "", false);
    file.PutString(kConnection, "IP", settings.IP, "", false);
    file.PutInt(kConnection, "Port", settings.Port, 0, false);
    file.PutString(kConnection, "DisplayName", settings.DisplayName, "", false);
    file.PutInt(kConnection, "DisplayNameAuto", settings.DisplayNameAuto, 1, false);
    file.PutString(kConnection, "Language", settings.Language, "", false);
    file.PutInt(kConnection, "Page Code", settings.PageCode, 0, false);
    file.PutString(kConnection, "Terminal Name", settings.TerminalName, "", false);
    file.PutString(kConnection, "Terminal Caract", settings.TerminalCaract, "", false);
    file.PutString(kConnection, "Security", SecurityName(settings.Security),
                   SecurityName(ConnectionSecurity::kNone), false);
    file.PutString(kConnection, "CA File", settings.CAFile, "", false);
    file.PutString(kConnection, "Client Certificate", settings.ClientCertificate, "", false);
    // Written only when chosen: a session on the Standard map saves the
    // same file as before the key existed.
    if (!settings.KeyboardMap.empty()) {
        file.PutString(kConnection, "Keyboard Map", settings.KeyboardMap, "", false);
    }
    if (settings.Enhanced != 0) file.PutInt(kConnection, "Enhanced", 1, 0, false);

    file.PutInt(kProfile, "Launch Connection", settings.LaunchConnection, 0, false);
    file.PutInt(kProfile, "Auto Connection", settings.AutoConnection, 0, false);
    file.PutString(kProfile, "UserID", settings.UserID, "", false);
    file.PutString(kProfile, "Menu", settings.Menu, "", false);
    file.PutString(kProfile, "ProgProc", settings.ProgProc, "", false);
    file.PutString(kProfile, "CurLib", settings.CurLib, "", false);
    // The password itself is never written, not even scrambled: the file
    // only says where it is. A program that does not know the key reads no
    // password, as from a session saved without one.
    file.PutInt(kProfile, kPasswordInKeyring,
                settings.PasswordStore == PasswordStorage::kKeyring ? 1 : 0, 0, false);
    // Both written only when chosen, so an older program reads the file as before.
    if (settings.PasswordLevel != kAutomaticPasswordLevel) {
        file.PutString(kProfile, "Password Level", PasswordLevelName(settings.PasswordLevel), "",
                       false);
    }
    if (settings.SendPasswordInClear != 0) {
        file.PutInt(kProfile, "Send Password In Clear", 1, 0, false);
    }
    // Written only when chosen, as the two above; an older program ignores it.
    if (!settings.StartMacro.empty()) {
        file.PutString(kProfile, "Start Macro", settings.StartMacro, "", false);
    }
    // A display session's file has neither the key nor the section: an
    // older program reads it as before, and reads a printer's as a display.
    if (settings.IsPrinter()) {
        file.PutString(kConnection, "Device", kPrinterDevice, "", false);
        file.PutString(kPrinter, "Message Queue", settings.PrinterMessageQueue, "", false);
        file.PutString(kPrinter, "Message Library", settings.PrinterMessageLibrary, "", false);
        file.PutInt(kPrinter, "Font", settings.PrinterFont, 0, false);
        file.PutInt(kPrinter, "Host Print Transform", settings.HostPrintTransform != 0 ? 1 : 0,
                    0, false);
        file.PutString(kPrinter, "Printer Model", settings.PrinterModel, "", false);
        file.PutString(kPrinter, "Paper Size", settings.PaperSizeName, "", false);
        file.PutString(kPrinter, "Output Folder", settings.OutputFolder, "", false);
        file.PutString(kPrinter, "System Printer", settings.SystemPrinter, "", false);
    }
    if (file.Flush()) return true;
    if (cause) *cause = file.LastError();
    return false;
}

std::string CConnectFile::SaveFailedText(const std::string& path, int cause) {
    std::string text(LoadString(kStrSaveSessionFailed));
    text += '\n';
    text += path;
    if (cause != 0) {
        text += '\n';
        text += std::strerror(cause);
    }
    return text;
}

}  // namespace quenlix
